#pragma once

#include <QStringList>

struct ConsoleStreams;

// The console program: parses the arguments (program name first), runs one
// command against the meter and returns the exit status.
int RunCli(const QStringList& arguments, ConsoleStreams& io);
