#include "cli/Command.h"

// A build without Qt's HTTP server module has no serve: it answers over that module.
int RunServe(const Command& command)
{
    return command.BadUsage(QStringLiteral("serve is not in this build: it needs Qt's HTTP server module"));
}
