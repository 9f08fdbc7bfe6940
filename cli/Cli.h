#pragma once

#include <QStringList>

struct ConsoleStreams;

// The console program: parses the arguments (program name first), runs one
// command against the meter and returns the exit status.
int RunCli(const QStringList& arguments, ConsoleStreams& io);

// Whether the command in the arguments draws text (the report's charts), which
// needs the fonts of a QGuiApplication rather than a QCoreApplication.
bool CommandDrawsText(const QStringList& arguments);
