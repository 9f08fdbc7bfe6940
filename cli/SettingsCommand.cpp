#include "cli/Command.h"
#include "cli/SettingsFile.h"
#include "comm/ModbusRtu.h"
#include "meter/SettingsTexts.h"

#include <QFile>
#include <QSaveFile>

namespace {
bool ReadImage(MeterLink& link, RegisterImage& image)
{
    for (const PageReads::SettingsBlock& block : kSettingsBlocks) {
        if (!link.Read(block.Load()))
            return false;
        for (int i = 0; i < block.count; ++i)
            image[block.first + i] = static_cast<uint16_t>(RegisterBlock[i]);
    }
    return true;
}

bool BlockDiffers(const PageReads::SettingsBlock& block, const RegisterImage& present,
                  const RegisterImage& wanted)
{
    for (int reg = block.first; reg < block.first + block.count; ++reg)
        if (present.at(reg) != wanted.at(reg))
            return true;
    return false;
}

int Save(const Command& command, const QString& path)
{
    MeterLink link(command.line);
    RegisterImage image;
    if (!command.Open(link) || !ReadImage(link, image))
        return link.Failure().isEmpty() ? kExitNoAnswer : command.Failed(link);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SettingsToJson(image)) < 0 || !file.commit())
        return command.BadUsage(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    command.io.err << "vemo400-cli: saved the settings of " << link.Where() << " to " << path << '\n';
    return kExitSuccess;
}

// The fields that differ, one line each: "meter.address: 1 -> 5".
QStringList Differences(const RegisterImage& present, const RegisterImage& wanted)
{
    QStringList lines;
    for (const SettingsField& field : SettingsFields())
        if (field.Value(present) != field.Value(wanted))
            lines << QStringLiteral("%1: %2 -> %3")
                         .arg(field.path)
                         .arg(field.Value(present))
                         .arg(field.Value(wanted));
    return lines;
}

bool Confirmed(const Command& command, const MeterLink& link, qsizetype changes)
{
    if (command.options.isSet("yes"))
        return true;
    command.io.err << "Write " << changes << " changes to " << link.Where() << "? Type yes to go on: ";
    command.io.err.flush();
    return command.io.in.readLine().trimmed() == QLatin1String("yes");
}

// Writes the blocks that change, in their order. After the block with the
// address and rate the link follows the meter there; that block's echo may
// come at the new rate or not at all, so the read-back decides whether it took.
bool WriteImage(MeterLink& link, const RegisterImage& present, const RegisterImage& wanted)
{
    for (const PageReads::SettingsBlock& block : kSettingsBlocks) {
        if (!BlockDiffers(block, present, wanted))
            continue;
        for (int i = 0; i < block.count; ++i)
            RegisterBlock[i] = wanted.at(block.first + i);
        const bool confirmed = link.Write(block.Set());
        if (!block.Holds(RegisterMap::kMeterAddress)) {
            if (!confirmed)
                return false;
            continue;
        }
        const int address = wanted.at(RegisterMap::kMeterAddress);
        const unsigned rate =
            SettingsTexts::ListText(SettingsTexts::kBaudRates, wanted.at(RegisterMap::kBaudIndex)).toUInt();
        const bool moved = address != link.Settings().address || rate != link.Settings().baud;
        if (moved ? !link.Follow(address, rate) : !confirmed)
            return false;
    }
    return true;
}

int Verify(const Command& command, MeterLink& link, const RegisterImage& wanted)
{
    RegisterImage after;
    if (!ReadImage(link, after))
        return command.Failed(link);
    const QStringList left = Differences(after, wanted);
    if (!left.isEmpty()) {
        link.SetFailure(QStringLiteral("read back differs from the file, ") + left.first());
        return command.Failed(link);
    }
    command.io.err << "vemo400-cli: " << link.Where() << " at " << link.Settings().baud
                   << " baud holds the file's settings\n";
    return kExitSuccess;
}

int Load(const Command& command, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return command.BadUsage(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString why;
    const std::optional<RegisterImage> wanted = SettingsFromJson(file.readAll(), why);
    if (!wanted)
        return command.BadUsage(QStringLiteral("%1: %2; nothing was written").arg(path, why));
    MeterLink link(command.line);
    RegisterImage present;
    if (!command.Open(link) || !ReadImage(link, present))
        return link.Failure().isEmpty() ? kExitNoAnswer : command.Failed(link);
    const QStringList changes = Differences(present, *wanted);
    if (changes.isEmpty()) {
        command.io.err << "vemo400-cli: " << link.Where() << " already holds these settings\n";
        return kExitSuccess;
    }
    command.io.out << changes.join('\n') << '\n';
    command.io.out.flush();
    if (command.options.isSet("dry-run"))
        return kExitSuccess;
    if (!Confirmed(command, link, changes.size()))
        return command.BadUsage(QStringLiteral("not confirmed; nothing was written"));
    if (!WriteImage(link, present, *wanted))
        return command.Failed(link);
    return Verify(command, link, *wanted);
}
} // namespace

int RunSettings(const Command& command)
{
    const QString action = command.words.value(0);
    const bool save = action == QLatin1String("save");
    if (command.words.size() != 2 || (!save && action != QLatin1String("load")))
        return command.BadUsage(QStringLiteral("settings takes save FILE.json or load FILE.json"));
    if (save && (command.options.isSet("dry-run") || command.options.isSet("yes")))
        return command.BadUsage(QStringLiteral("--dry-run and --yes belong to settings load"));
    return save ? Save(command, command.words[1]) : Load(command, command.words[1]);
}
