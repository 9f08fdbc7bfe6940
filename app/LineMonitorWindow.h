#pragma once

#include "app/LineCounters.h"
#include "comm/ExchangeVerdict.h"
#include "comm/LineObserver.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <deque>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The line monitor: every exchange as it happens (time of day, direction, reply
// time, verdict, bytes in hex) under the counters since it was opened or
// cleared. It watches the line only while it is shown. An exchange is only
// noted during the poll; the text is written from the event loop a few times a
// second, so the polls run as fast with it open as without.
class CLineMonitorWindow : public QWidget
{
    Q_OBJECT
public:
    // The text keeps the last kHistoryLines lines; older ones drop off the top.
    static constexpr int kHistoryLines = 5000;

    explicit CLineMonitorWindow(QWidget* parent = nullptr);
    ~CLineMonitorWindow() override;

    const LineCounters& Counters() const { return m_counters; }
    QString Text() const;
    bool Paused() const;
    void SetPaused(bool paused);
    void Clear();
    // The counters and the lines as plain text; false when the file cannot be written.
    bool SaveText(const QString& path) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Record
    {
        LineEvent::Kind kind;
        ExchangeVerdict verdict;
        QByteArray request;
        QByteArray reply;
        int64_t sentAtMs;
        int64_t replyMs;
        QString reason;
        int64_t strayBytes = 0;
    };

    void BuildLayout();
    QWidget* BuildCounters();
    void Note(const LineEvent& event);
    void Flush();
    void ShowCounters();

    LineCounters m_counters;
    std::deque<Record> m_pending;
    QTimer m_flushTimer;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_pause = nullptr;
    std::array<QLabel*, ExchangeVerdict::KindCount> m_countLabels{};
    QLabel* m_requestsLabel = nullptr;
    QLabel* m_meanLabel = nullptr;
    QLabel* m_longestLabel = nullptr;
};
