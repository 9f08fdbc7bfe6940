#pragma once

#include "MeterLine.h"
#include "cli/Cli.h"
#include "cli/Command.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// One run of the console program in-process against the meter on the line.
struct CliRun
{
    int status;
    QString out;
    QString err;
};

inline CliRun RunCommand(const MeterLine& line, QStringList words)
{
    QString out;
    QString err;
    QString in;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QTextStream inStream(&in);
    ConsoleStreams io{outStream, errStream, inStream, false};
    words.prepend(QStringLiteral("vemo400-cli"));
    words << QStringLiteral("--port") << QString::fromStdString(line.Path());
    const int status = RunCli(words, io);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}
