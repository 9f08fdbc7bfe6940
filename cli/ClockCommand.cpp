#include "cli/Command.h"
#include "comm/ModbusRtu.h"
#include "meter/TimeTexts.h"
#include "reading/PageReaders.h"

#include <QDateTime>
#include <algorithm>
#include <array>

namespace {
// The meter's clock as the SOE page shows it, with this computer's beside it.
int ShowClock(const Command& command, MeterLink& link)
{
    const std::optional<MeterClock> clock = ReadMeterClock(link);
    if (!clock)
        return command.Failed(link);
    const QString computer = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-M-d HH:mm:ss"));
    const TextTable table{{"meter clock", "computer clock"}, {{TimeTexts::MeterClockText(*clock), computer}}};
    command.io.out << table.Render(command.format);
    return kExitSuccess;
}

// Unlike the page, the write's echo is checked: a meter that refused the time is reported.
int SyncClock(const Command& command, MeterLink& link)
{
    const MeterClock clock = TimeTexts::MeterClockRegisters(QDateTime::currentDateTime());
    std::copy(clock.begin(), clock.end(), RegisterBlock);
    if (!link.Write(PageReads::Clock::kBlock.Set()))
        return command.Failed(link);
    return ShowClock(command, link);
}
} // namespace

int RunClock(const Command& command)
{
    const QString action = command.words.value(0);
    if (command.words.size() != 1 || (action != QLatin1String("show") && action != QLatin1String("sync")))
        return command.BadUsage(QStringLiteral("clock takes show or sync"));
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    return action == QLatin1String("sync") ? SyncClock(command, link) : ShowClock(command, link);
}
