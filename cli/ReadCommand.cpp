#include "cli/Command.h"
#include "meter/HarmonicTable.h"
#include "reading/PageReaders.h"

QString TakeReadOptions(const Command& command, const QString& page, ReadOptions& options)
{
    if (!command.options.isSet("channel"))
        return {};
    if (page != QLatin1String("harmonics"))
        return QStringLiteral("--channel belongs to the harmonics page");
    for (const HarmonicTable::Channel& channel : HarmonicTable::kChannels)
        if (command.options.value("channel") == QLatin1String(channel.name)) {
            options.harmonicChannel = channel.code;
            return {};
        }
    return QStringLiteral("--channel must be Ia, Ib, Ic, Ua, Ub or Uc");
}

int RunRead(const Command& command)
{
    if (command.words.size() != 1)
        return command.BadUsage(QStringLiteral("read takes one page: ") + PageNames());
    const PageReader* reader = FindPageReader(command.words[0]);
    if (!reader)
        return command.BadUsage(QStringLiteral("no page \"%1\"; the pages are ").arg(command.words[0]) +
                                PageNames());
    ReadOptions options;
    if (const QString bad = TakeReadOptions(command, command.words[0], options); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    const PageReading reading = reader->Read(link, options);
    if (!reading.ok)
        return command.Failed(link);
    TextTable table{{"item", "value", "unit"}, {}};
    for (const ReadingItem& item : reading.items)
        table.rows.append({item.name, item.value, item.unit});
    command.io.out << table.Render(command.format);
    return kExitSuccess;
}
