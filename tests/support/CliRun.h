#pragma once

#include "MeterLine.h"
#include "cli/Cli.h"
#include "cli/Command.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <utility>

// One run of the console program in-process against the meter on the line.
struct CliRun
{
    int status;
    QString out;
    QString err;
};

// One run against whatever port names: a device or a gateway.
inline CliRun RunCommandOn(const QString& port, QStringList words)
{
    QString out;
    QString err;
    QString in;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QTextStream inStream(&in);
    ConsoleStreams io{outStream, errStream, inStream, false};
    words.prepend(QStringLiteral("vemo400-cli"));
    words << QStringLiteral("--port") << port;
    const int status = RunCli(words, io);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

inline CliRun RunCommand(const MeterLine& line, QStringList words)
{
    return RunCommandOn(QString::fromStdString(line.Path()), std::move(words));
}
