#include "cli/Command.h"
#include "cli/SettingsFile.h"
#include "comm/Line.h"
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
        return command.FileNotWritten(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
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

// What a block holds, for the message that says which blocks a failed load wrote.
QString BlockName(const PageReads::SettingsBlock& block)
{
    const QString what =
        block.Holds(RegisterMap::kMeterAddress)  ? QStringLiteral("the ratios, wiring, address and rate")
        : block.Holds(RegisterMap::kActivePulse) ? QStringLiteral("the pulse and analog outputs")
        : block.Holds(RegisterMap::kReturnTime)  ? QStringLiteral("the relay return times")
                                                 : QStringLiteral("the relay alarms");
    return QStringLiteral("%1 (%2)").arg(what, RegisterRange(block.first, block.count));
}

// The meter's own address and rate as the file would set them.
struct Communication
{
    int address;
    unsigned baud;
};

Communication WantedCommunication(const RegisterImage& wanted)
{
    return {wanted.at(RegisterMap::kMeterAddress),
            SettingsTexts::ListText(SettingsTexts::kBaudRates, wanted.at(RegisterMap::kBaudIndex)).toUInt()};
}

// Which blocks a load wrote; a failure after the first written block leaves a mix.
struct WriteProgress
{
    QStringList written;
    QStringList notWritten;
};

// Writes the blocks that change, in their order. After the block with the address and
// rate the link follows the meter there (only a load that moves it); that block's echo may
// come at the new rate or not at all, so the read-back decides whether it took.
bool WriteImage(MeterLink& link, const RegisterImage& present, const RegisterImage& wanted,
                WriteProgress& progress)
{
    bool failed = false;
    for (const PageReads::SettingsBlock& block : kSettingsBlocks) {
        if (!BlockDiffers(block, present, wanted))
            continue;
        if (failed) {
            progress.notWritten << BlockName(block);
            continue;
        }
        for (int i = 0; i < block.count; ++i)
            RegisterBlock[i] = wanted.at(block.first + i);
        const bool confirmed = link.Write(block.Set());
        const Communication to = WantedCommunication(wanted);
        const bool moved = block.Holds(RegisterMap::kMeterAddress) &&
                           (to.address != link.Settings().address || to.baud != link.Settings().baud);
        failed = moved ? !link.Follow(to.address, to.baud) : !confirmed;
        (failed ? progress.notWritten : progress.written) << BlockName(block);
    }
    return !failed;
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

// Without --move the meter keeps the address and rate it answers at, so that a backup of one
// meter can be put on another without two meters answering at one address.
QString KeepOrMove(const Command& command, const MeterLink& link, const RegisterImage& present,
                   RegisterImage& wanted)
{
    const bool move = command.options.isSet("move");
    if (!move && command.options.isSet("gateway-rate-changed"))
        return QStringLiteral("--gateway-rate-changed belongs to a load with --move");
    const Communication file = WantedCommunication(wanted);
    if (!move) {
        for (const int reg : {RegisterMap::kMeterAddress, RegisterMap::kBaudIndex})
            wanted[reg] = present.at(reg);
        const Communication kept = WantedCommunication(wanted);
        if (file.address != kept.address || file.baud != kept.baud)
            command.io.err << "vemo400-cli: the meter keeps address " << kept.address << " and " << kept.baud
                           << " baud (the file has address " << file.address << ", " << file.baud
                           << " baud; --move takes them)\n";
        return {};
    }
    const bool gateway = IsGatewayName(link.Settings().port.toLocal8Bit().constData());
    if (gateway && file.baud != WantedCommunication(present).baud &&
        !command.options.isSet("gateway-rate-changed"))
        return QStringLiteral(
                   "the file moves the meter to %1 baud, which the gateway's serial side would no "
                   "longer reach; set the gateway to that rate too and add --gateway-rate-changed; "
                   "nothing was written")
            .arg(file.baud);
    return {};
}

// A meter that moves to another address must not land on one that another meter answers at.
bool AddressTaken(MeterLink& link, int address)
{
    const int own = link.Settings().address;
    if (address == own)
        return false;
    link.SelectMeter(address);
    const bool answered = link.Read(PageReads::BlockA::kBlock.Load());
    link.SelectMeter(own);
    return answered;
}

int Load(const Command& command, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return command.BadUsage(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString why;
    std::optional<RegisterImage> wanted = SettingsFromJson(file.readAll(), why);
    if (!wanted)
        return command.BadUsage(QStringLiteral("%1: %2; nothing was written").arg(path, why));
    MeterLink link(command.line);
    RegisterImage present;
    if (!command.Open(link) || !ReadImage(link, present))
        return link.Failure().isEmpty() ? kExitNoAnswer : command.Failed(link);
    if (const QString bad = KeepOrMove(command, link, present, *wanted); !bad.isEmpty())
        return command.BadUsage(bad);
    if (const int address = WantedCommunication(*wanted).address; AddressTaken(link, address))
        return command.BadUsage(
            QStringLiteral("another meter answers at address %1; nothing was written").arg(address));
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
    WriteProgress progress;
    if (WriteImage(link, present, *wanted, progress))
        return Verify(command, link, *wanted);
    command.Failed(link);
    if (progress.written.isEmpty())
        return kExitNoAnswer;
    command.io.err << "vemo400-cli: written: " << progress.written.join(QStringLiteral(", "))
                   << "; not written: " << progress.notWritten.join(QStringLiteral(", ")) << '\n';
    return kExitPartlyWritten;
}
} // namespace

int RunSettings(const Command& command)
{
    const QString action = command.words.value(0);
    const bool save = action == QLatin1String("save");
    if (command.words.size() != 2 || (!save && action != QLatin1String("load")))
        return command.BadUsage(QStringLiteral("settings takes save FILE.json or load FILE.json"));
    if (save &&
        (command.options.isSet("dry-run") || command.options.isSet("yes") || command.options.isSet("move")))
        return command.BadUsage(QStringLiteral("--dry-run, --yes and --move belong to settings load"));
    return save ? Save(command, command.words[1]) : Load(command, command.words[1]);
}
