#include "cli/Command.h"

// A build without Qt's SVG module has no report: its charts are drawn on Qt's SVG generator.
int RunReport(const Command& command)
{
    return command.BadUsage(QStringLiteral("report is not in this build: its charts need Qt's SVG module"));
}
