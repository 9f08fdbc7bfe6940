#pragma once

#include "diagnosis/Finding.h"
#include "reading/MeterLink.h"
#include "reading/PageReaders.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One page of the report as it was read: the page's name on the command line,
// its tab label, the harmonic channel for the harmonic page, and what failed.
struct ReportSection
{
    QString page;    // "settings", "io", "realtime", ...
    QString title;   // the page's tab label: "Meter Set", "I/O", ...
    QString channel; // "Ia" to "Uc" on the harmonic page, else empty
    PageReading reading;
    QString failure; // why the reading failed; empty when it is complete

    // "Harmonic Ia", "Realtime Data"
    QString Heading() const { return channel.isEmpty() ? title : title + ' ' + channel; }
};

// Everything a commissioning report shows: when and over which line it was
// taken, every page's reading in the pages' order and the meter's clock.
struct Report
{
    QDateTime taken;
    LineSettings line;
    QString port; // "COM1 (/dev/ttyS0)"
    std::vector<ReportSection> sections;
    std::optional<MeterClock> meterClock;
    QDateTime computerClock; // this computer's clock when the meter's was read
    QString clockFailure;
    std::optional<Diagnosis::CheckResult> check; // the wiring and power-quality check
    QString checkFailure;

    // The meter's clock less this computer's, in seconds; nothing when it was not read or holds no date.
    std::optional<qint64> ClockDifference() const;
    // "the meter is 4 s behind this computer", "... 1 h 0 min 12 s ahead of ...", "the meter agrees with this
    // computer"
    QString ClockDifferenceText() const;
    // The headings of the sections that could not be read, "Meter clock" and "Wiring check" when they could
    // not.
    QStringList Missing() const;
    const ReportSection* Find(const QString& page, const QString& channel = {}) const;
};

// A span of whole seconds in days, hours, minutes and seconds, the largest unit first: "6357 d 11 h 26 min 29
// s".
QString DurationText(qint64 seconds);

inline constexpr const char* kMeterClockTitle = "Meter clock";
inline constexpr const char* kWiringCheckTitle = "Wiring check";

// Reads every page once with its own requests, in the order meter settings,
// relay alarms and I/O, realtime, common, the harmonic table (all six
// channels), demand, max/min, energy, event records, then the meter's clock and
// the wiring check with the declarations given. A page that fails is kept without
// values; the reading goes on.
// Reading is told the title of each part before it is read ("Meter Set", "Wiring check").
using ReportProgress = std::function<void(const QString& part)>;
Report ReadReport(MeterLink& link, const Diagnosis::Declarations& declared = {},
                  const ReportProgress& progress = {});
