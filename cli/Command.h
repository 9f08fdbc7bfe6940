#pragma once

#include "reading/MeterLink.h"
#include "reading/TextTable.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>
#include <chrono>
#include <optional>

// Exit statuses of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitNoAnswer = 1;       // the port would not open or the meter did not answer
inline constexpr int kExitBadUsage = 2;       // bad usage or bad input; nothing was written
inline constexpr int kExitFault = 3;          // check found a wiring or supply fault
inline constexpr int kExitPartlyWritten = 4;  // settings load wrote some blocks and failed at a later one
inline constexpr int kExitFileNotWritten = 5; // a file the command writes could not be written

// Where a command writes and reads: standard output for results, standard
// error for messages and the progress bar, standard input for confirmations.
struct ConsoleStreams
{
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
    bool terminal = false; // standard error is a terminal: show progress
};

// What a command gets: its words after the command name, the parsed options
// and the common line settings and output format already checked.
struct Command
{
    QStringList words;
    const QCommandLineParser& options;
    LineSettings line;
    OutputFormat format = OutputFormat::Table;
    ConsoleStreams& io;

    // Reports a failed exchange with the meter and returns kExitNoAnswer.
    int Failed(const MeterLink& link) const;
    // Reports bad usage or input and returns kExitBadUsage.
    int BadUsage(const QString& why) const;
    // Reports a file that could not be written and returns kExitFileNotWritten.
    int FileNotWritten(const QString& why) const;
    // Opens the line; on a failure reports it.
    bool Open(MeterLink& link) const;
};

// A whole number from a command-line text, if it is one and lies in [min, max].
std::optional<long long> WholeNumber(const QString& text, long long min, long long max);
// "4800", "9600", "19200" or "38400"; nothing for any other rate.
std::optional<unsigned> BaudRate(const QString& text);
// A number of seconds from 0.1 to 86400, the intervals of log and serve; nothing for any other text.
std::optional<std::chrono::milliseconds> IntervalSeconds(const QString& text);
// "none", "odd" or "even" as 0, 1, 2.
std::optional<int> ParityNamed(const QString& text);

namespace Diagnosis {
struct Declarations;
}
// The wiring check's declarations of check and report (--nominal, --flow, --load); an empty text
// when they are good, else why not.
QString TakeDeclarations(const Command& command, Diagnosis::Declarations& declared);

struct ReadOptions;
// The page options of read and log (the harmonic channel); an empty text when they are good, else why not.
QString TakeReadOptions(const Command& command, const QString& page, ReadOptions& options);

int RunScan(const Command& command);
int RunRead(const Command& command);
int RunLog(const Command& command);
int RunSettings(const Command& command);
int RunClock(const Command& command);
int RunReport(const Command& command);
int RunServe(const Command& command);
int RunCheck(const Command& command);
