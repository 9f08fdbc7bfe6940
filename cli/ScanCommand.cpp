#include "cli/Command.h"
#include "comm/FrameGap.h"
#include "comm/Line.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/PageReads.h"
#include "meter/RegisterValues.h"

#include <algorithm>
#include <vector>

namespace {
// Block A: the transformer ratios, the wiring, the meter's own address and rate.
constexpr int kSettingsStart = PageReads::BlockA::kBlock.first;
constexpr int kSettingsCount = PageReads::BlockA::kBlock.count;
// A read of 8 registers: an 8-byte request and a reply of 5 + 2 × 8 bytes.
constexpr int kExchangeCharacters = 8 + 5 + 2 * kSettingsCount;
// Time a meter may take to turn round before it answers.
constexpr int kTurnaroundMs = 40;

struct ScanPlan
{
    int firstAddress = kMinAddress;
    int lastAddress = kMaxAddress;
    std::vector<unsigned> bauds{4800, 9600, 19200, 38400};
    std::vector<int> parities;
};

// The wait for one address: the wire time of the request and its reply, plus
// the turnaround. Shorter than the pages' waits, so that a scan of all 247
// addresses at four rates with nothing on the line ends within about 70 s.
int ScanWaitMs(unsigned baud, int parity)
{
    const int bitsPerCharacter = parity == 0 ? 10 : 11;
    const int wireMs = static_cast<int>((kExchangeCharacters * bitsPerCharacter * 1000 + baud - 1) / baud);
    return wireMs + kTurnaroundMs;
}

// A list separated by commas, every entry taken by parse; false at the first it refuses.
template <class T>
bool TakeList(const QString& text, std::optional<T> (*parse)(const QString&), std::vector<T>& list)
{
    list.clear();
    for (const QString& entry : text.split(QLatin1Char(','))) {
        const std::optional<T> value = parse(entry);
        if (!value)
            return false;
        list.push_back(*value);
    }
    return true;
}

QString TakePlan(const Command& command, ScanPlan& plan)
{
    const QCommandLineParser& options = command.options;
    plan.parities = {command.line.parity};
    if (options.isSet("addresses")) {
        const QStringList ends = options.value("addresses").split(QLatin1Char('-'));
        const auto first = WholeNumber(ends.value(0), kMinAddress, kMaxAddress);
        const auto last = WholeNumber(ends.value(ends.size() - 1), kMinAddress, kMaxAddress);
        if (ends.size() > 2 || !first || !last || *first > *last)
            return QStringLiteral("--addresses must be A-B with 1 <= A <= B <= 247");
        plan.firstAddress = static_cast<int>(*first);
        plan.lastAddress = static_cast<int>(*last);
    }
    if (options.isSet("bauds") && !TakeList(options.value("bauds"), BaudRate, plan.bauds))
        return QStringLiteral("--bauds takes 4800, 9600, 19200 and 38400, separated by commas");
    if (options.isSet("parities") && !TakeList(options.value("parities"), ParityNamed, plan.parities))
        return QStringLiteral("--parities takes none, odd and even, separated by commas");
    // A gateway's serial side is set up on the gateway: only the unit ids are scanned.
    if (IsGatewayName(command.line.port.toLocal8Bit().constData())) {
        if (options.isSet("bauds") || options.isSet("parities"))
            return QStringLiteral("--bauds and --parities do not apply to a gateway");
        plan.bauds = {command.line.baud};
    }
    return {};
}

// The transaction helper takes only a reply from the address asked with all eight registers,
// so a late answer of the meter at the address before is not taken for this one.
bool AnswersAt(int address, int waitMs)
{
    SlaveId = address;
    return Modbus::ReadRegisters(kSettingsStart, kSettingsCount, waitMs, 250);
}

QString Ratio(int primary, int secondary)
{
    return secondary == 0 ? QStringLiteral("-") : QString::number(primary / secondary);
}

// What a scan that found nothing waited for each address, so that the user knows what to lengthen.
QString WaitsTaken(const std::vector<int>& waits)
{
    const auto [shortest, longest] = std::minmax_element(waits.begin(), waits.end());
    const QString range = *shortest == *longest ? QString::number(*shortest)
                                                : QStringLiteral("%1 to %2").arg(*shortest).arg(*longest);
    QString text = QStringLiteral("each address was waited for %1 ms").arg(range);
    if (const int pause = FrameGap::PauseMs(); pause > 0)
        text += QStringLiteral(" after a pause of %1 ms").arg(pause);
    return text + QStringLiteral(".\n");
}

constexpr const char* kWaitLonger =
    "A meter that answers slowly needs a longer wait (--timeout MS). A meter that ignores the line for a\n"
    "while after a frame for another address needs idle time before each request (--pause MS; 500 suits\n"
    "most, and makes a scan of all 247 addresses take about two minutes per rate and parity).\n";

void ShowProgress(const Command& command, long done, long total)
{
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(done * kWidth / total);
    command.io.err << '\r' << '[' << QString(filled, QLatin1Char('#'))
                   << QString(kWidth - filled, QLatin1Char('.')) << "] " << done << '/' << total
                   << (done == total ? "\n" : "");
    command.io.err.flush();
}
} // namespace

int RunScan(const Command& command)
{
    ScanPlan plan;
    if (!command.words.isEmpty())
        return command.BadUsage(QStringLiteral("scan takes no words, only options"));
    if (const QString bad = TakePlan(command, plan); !bad.isEmpty())
        return command.BadUsage(bad);
    const long addresses = plan.lastAddress - plan.firstAddress + 1;
    const long total = addresses * static_cast<long>(plan.bauds.size() * plan.parities.size());
    long done = 0;
    std::vector<int> waits;
    TextTable found{{"address", "baud", "parity", "ct ratio", "pt ratio"}, {}};
    for (int parity : plan.parities) {
        for (unsigned baud : plan.bauds) {
            LineSettings line = command.line;
            line.baud = baud;
            line.parity = parity;
            MeterLink link(line);
            if (!command.Open(link))
                return kExitNoAnswer;
            const int waitMs = line.timeoutMs > 0 ? line.timeoutMs : ScanWaitMs(baud, parity);
            waits.push_back(waitMs);
            for (int address = plan.firstAddress; address <= plan.lastAddress; ++address) {
                if (AnswersAt(address, waitMs)) {
                    using namespace PageReads::BlockA;
                    const int ptPrimary = Registers::S32(kPtPrimary);
                    const bool gateway = IsGatewayName(line.port.toLocal8Bit().constData());
                    found.rows.append({QString::number(address),
                                       gateway ? QStringLiteral("-") : QString::number(baud),
                                       gateway ? QStringLiteral("-") : ParityName(parity),
                                       Ratio(Registers::U16(kCtPrimary), Registers::U16(kCtSecondary)),
                                       Ratio(ptPrimary, Registers::U16(kPtSecondary))});
                }
                if (command.io.terminal)
                    ShowProgress(command, ++done, total);
            }
        }
    }
    if (found.rows.isEmpty()) {
        command.io.err << "vemo400-cli: " << command.line.port << ": no meter answered at addresses "
                       << plan.firstAddress << " to " << plan.lastAddress << "; " << WaitsTaken(waits)
                       << kWaitLonger;
        return kExitNoAnswer;
    }
    command.io.out << found.Render(command.format);
    return kExitSuccess;
}
