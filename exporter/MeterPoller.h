#pragma once

#include "diagnosis/Finding.h"
#include "exporter/ReadingSchedule.h"

#include <QEventLoop>
#include <QTextStream>
#include <QTimer>
#include <functional>
#include <vector>

class MeterLink;
class MeterMetrics;
struct LineEvent;

// Reads the meters' pages one at a time as they fall due, between the HTTP
// server's answers; a reading's wait runs the event loop, so the server
// answers meanwhile too. It says on the message stream when a meter stops
// answering and when it answers again, once each time, and once that the line
// cannot keep the asked intervals, with those it keeps.
class CMeterPoller
{
public:
    using Clock = ReadingSchedule::Clock;

    CMeterPoller(MeterLink& link, std::vector<int> addresses, Clock::duration every,
                 const Diagnosis::Declarations& declared, MeterMetrics& metrics, QTextStream& messages);
    ~CMeterPoller();
    CMeterPoller(const CMeterPoller&) = delete;
    CMeterPoller& operator=(const CMeterPoller&) = delete;

    // Polls until stopAsked says so (checked ten times a second); the reading in progress ends at once.
    void Run(std::function<bool()> stopAsked);

private:
    void Arm();
    void ReadNext();
    // Reads one page, or the wiring check, of the meter at address into the metrics; whether it answered.
    bool Read(int address, const QString& page, bool& cameBack);
    void CountExchange(const LineEvent& event);
    void Tell(std::size_t meter, bool answered);
    void TellPace();
    void StopWhenAsked();

    MeterLink& m_link;
    std::vector<int> m_addresses;
    Diagnosis::Declarations m_declared;
    MeterMetrics& m_metrics;
    QTextStream& m_messages;
    ReadingSchedule m_schedule;
    std::vector<bool> m_toldSilent; // by meter: its failure was told and it has not answered since
    bool m_toldPace = false;
    std::function<bool()> m_stopAsked;
    QEventLoop m_loop;
    QTimer m_next;
    QTimer m_stopCheck;
};
