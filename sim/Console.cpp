#include "sim/Console.h"

#include "sim/MeterRegisters.h"
#include "sim/SimGateway.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"
#include "sim/SiteSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {
// Typed numbers are held to what a register, an address or a count can be, so that
// no arithmetic on them can overflow.
constexpr long kLowestNumber = -32768;
constexpr long kHighestNumber = 65535;
// Longest cable pull, turnaround and late-reply delay a console command takes.
constexpr double kLongestPullSeconds = 86400.0;
constexpr double kLongestTurnaroundMs = 1000.0;
constexpr double kLongestLateMs = 60000.0;

// The whole numbers of a command's arguments, or the reason one was refused.
struct Numbers
{
    std::vector<long> values;
    std::string refusal;
};

Numbers ReadNumbers(std::istringstream& in)
{
    Numbers numbers;
    std::string word;
    while (in >> word) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(word.c_str(), &end, 0);
        if (*end != '\0')
            return {{}, "not a whole number: " + word + "\n"};
        if (errno == ERANGE || value < kLowestNumber || value > kHighestNumber)
            return {{}, "out of range: " + word + " (whole numbers from -32768 to 65535)\n"};
        numbers.values.push_back(value);
    }
    return numbers;
}

// Reads one number from low to high (NaN fails every comparison and is refused too).
bool ReadWithin(std::istringstream& in, double low, double high, double& value)
{
    return in >> value && value >= low && value <= high;
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
} // namespace

std::string CSimConsole::Help()
{
    return "commands:\n"
           "  status                     address, rate, line, faults and a few live values\n"
           "  requests [N]               the last N requests (10) with their replies\n"
           "  get ADDR [COUNT]           show registers\n"
           "  set ADDR VALUE [VALUE...]  set registers (any of the map, read-only ones too)\n"
           "  input N open|close         change switch input N (1 to 8), stored as an event\n"
           "  relay N open|close         switch relay N (1 to 4)\n"
           "  fault MODE[:N|@P]          MODE for the next N requests (1) or with probability P;\n"
           "                             modes: no-reply bad-crc late-reply exception short-reply garbage\n"
           "  fault off [MODE]           stop one fault mode, or all\n"
           "  cable pull [SECONDS]       stop answering, for a while or until 'cable plug'\n"
           "  cable plug                 answer again\n"
           "  timing on|off              line timing (wire time and turnaround)\n"
           "  timing turnaround MS       turnaround delay;  timing late MS: late-reply delay\n"
           "  timing echo on|off         hand every request back before its reply\n"
           "  timing quiet MS            ignore requests sooner than MS after the previous frame\n"
           "  gateway unknown silent|exception\n"
           "                             TCP gateways answer a unit id no meter on the line has\n"
           "                             with nothing, or with exception 0x0B\n"
           "  model run|freeze           let the installation live, or keep every value still\n"
           "  site                       the site's load and supply and the meter's wiring\n"
           "  site NAME VALUE            set one: wiring, power-factor, load, flow, volts, thd-u or\n"
           "                             harmonic-u, as the options of the same names take them\n"
           "  quit                       stop the simulator\n";
}

std::string CSimConsole::Execute(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    if (!(in >> command))
        return "";
    std::string rest;
    std::getline(in, rest);
    if (command == "help" || command == "?")
        return Help();
    if (command == "status")
        return Status();
    if (command == "requests") {
        std::istringstream arguments(rest);
        const Numbers count = ReadNumbers(arguments);
        if (!count.refusal.empty())
            return count.refusal;
        if (!count.values.empty() && (count.values[0] < 1 || count.values[0] > long(CRequestLog::kKept)))
            return "usage: requests [N], N from 1 to " + std::to_string(CRequestLog::kKept) + "\n";
        return Requests(count.values.empty() ? 10 : static_cast<int>(count.values[0]));
    }
    if (command == "get")
        return GetRegisters(rest);
    if (command == "set")
        return SetRegisters(rest);
    if (command == "input" || command == "relay")
        return SetSwitch(rest, command == "input");
    if (command == "fault")
        return Fault(rest);
    if (command == "cable")
        return Cable(rest);
    if (command == "timing")
        return Timing(rest);
    if (command == "gateway")
        return Gateway(rest);
    if (command == "site")
        return Site(rest);
    if (command == "model" && (rest == " run" || rest == " freeze")) {
        m_meter.SetModel(rest == " run" ? ModelMode::Running : ModelMode::Frozen);
        return "model " + rest.substr(1) + "\n";
    }
    if (command == "quit" || command == "exit") {
        m_quit = true;
        return "";
    }
    return "unknown command '" + command + "'; 'help' lists the commands\n";
}

std::string CSimConsole::Status() const
{
    m_meter.Update();
    const auto live = m_meter.Registers(MeterReg::kCommonPhaseVoltage, 18);
    const auto clock = m_meter.Registers(MeterReg::kClock, 6);
    char time[64];
    std::snprintf(time, sizeof time, "20%02d-%02d-%02d %02d:%02d:%02d", clock[0], clock[1], clock[2],
                  clock[3], clock[4], clock[5]);
    const LineTiming timing = m_server.Timing();
    std::string text = "slave " + m_server.SlavePath() + ", address " +
                       std::to_string(m_meter.SlaveAddress()) + ", " + std::to_string(m_meter.Baud()) +
                       " baud, model " + (m_meter.Model() == ModelMode::Running ? "running" : "frozen") +
                       "\n";
    text += "line: timing " + std::string(timing.enabled ? "on" : "off") + ", turnaround " +
            std::to_string(timing.turnaround.count() / 1000.0).substr(0, 5) + " ms, echo " +
            (timing.echo ? "on" : "off") + ", quiet needed " + std::to_string(timing.quietNeeded.count()) +
            " ms, cable " + (m_server.IsCablePulled() ? "pulled" : "in") + ", " +
            std::to_string(m_server.Log().Total()) + " requests\nfaults: " + m_server.Faults().Describe() +
            "\n";
    text += "clock " + std::string(time) + ", Ua " + Format("%.2f V", live[0] / 100.0) + ", Ia " +
            Format("%.3f A", live[6] / 1000.0) + ", P " +
            Format("%.1f W", m_meter.RegisterS32(MeterReg::kCommonP) / 10.0) + ", F " +
            Format("%.2f Hz", static_cast<int16_t>(live[17]) / 100.0) + ", inputs " +
            std::to_string(m_meter.Register(MeterReg::kInputs)) + ", relays " +
            std::to_string(m_meter.Register(MeterReg::kRelays)) + "\n";
    return text + GatewayStatus();
}

std::string CSimConsole::Site(const std::string& arguments)
{
    std::istringstream in(arguments);
    std::string name, value, extra;
    in >> name >> value >> extra;
    SitePlan plan = m_meter.Site();
    Connection connection = m_meter.Wiring();
    if (!name.empty()) {
        if (value.empty() || !extra.empty())
            return "usage: site [NAME VALUE]\n";
        if (const std::string why = SiteSettings::Apply(name, value, plan, connection); !why.empty())
            return why + "\n";
        m_meter.SetSite(plan, connection);
    }
    return SiteSettings::Describe(plan, connection);
}

std::string CSimConsole::GatewayStatus() const
{
    std::string text;
    for (const CSimGateway* gateway : m_gateways)
        text += "gateway " + gateway->Url() + ": " +
                (gateway->HasClient() ? "client connected" : "no client") + ", unknown units " +
                (gateway->Unknown() == UnknownUnits::Exception ? "exception" : "silent") + "\n";
    return text;
}

std::string CSimConsole::Gateway(const std::string& arguments)
{
    std::istringstream in(arguments);
    std::string what, answer, extra;
    in >> what >> answer >> extra;
    if (what != "unknown" || (answer != "silent" && answer != "exception") || !extra.empty())
        return "usage: gateway unknown silent|exception\n";
    if (m_gateways.empty())
        return "no gateway: start the simulator with --tcp or --rtu-tcp\n";
    for (CSimGateway* gateway : m_gateways)
        gateway->SetUnknownUnits(answer == "exception" ? UnknownUnits::Exception : UnknownUnits::Silent);
    return "gateway unknown units " + answer + "\n";
}

std::string CSimConsole::Requests(int count) const
{
    const auto records = m_server.Log().Records();
    std::string text;
    const std::size_t first = records.size() > static_cast<std::size_t>(count) ? records.size() - count : 0;
    for (std::size_t i = first; i < records.size(); ++i)
        text += CRequestLog::Describe(records[i]) + "\n";
    return text.empty() ? "no requests yet\n" : text;
}

std::string CSimConsole::GetRegisters(const std::string& arguments) const
{
    std::istringstream in(arguments);
    const Numbers read = ReadNumbers(in);
    if (!read.refusal.empty())
        return read.refusal;
    const std::vector<long>& numbers = read.values;
    const int count = numbers.size() > 1 ? static_cast<int>(numbers[1]) : 1;
    if (numbers.empty() || !CRegisterBank::IsMapped(static_cast<int>(numbers[0]), count))
        return "usage: get ADDR [COUNT], within the register map\n";
    std::string text;
    const auto values = m_meter.Registers(static_cast<int>(numbers[0]), count);
    for (int i = 0; i < count; ++i)
        text += std::to_string(numbers[0] + i) + " = " + std::to_string(values[static_cast<std::size_t>(i)]) +
                "\n";
    return text;
}

std::string CSimConsole::SetRegisters(const std::string& arguments)
{
    std::istringstream in(arguments);
    const Numbers read = ReadNumbers(in);
    if (!read.refusal.empty())
        return read.refusal;
    const std::vector<long>& numbers = read.values;
    if (numbers.size() < 2 || !CRegisterBank::IsMapped(static_cast<int>(numbers[0]), int(numbers.size()) - 1))
        return "usage: set ADDR VALUE [VALUE...], within the register map\n";
    std::vector<uint16_t> values;
    for (std::size_t i = 1; i < numbers.size(); ++i)
        values.push_back(static_cast<uint16_t>(numbers[i]));
    m_meter.SetRegisters(static_cast<int>(numbers[0]), values);
    return "set " + std::to_string(values.size()) + " register(s) from " + std::to_string(numbers[0]) + "\n";
}

std::string CSimConsole::SetSwitch(const std::string& arguments, bool isInput)
{
    std::istringstream in(arguments);
    int number = 0;
    std::string state;
    const int highest = isInput ? 8 : 4;
    if (!(in >> number >> state) || number < 1 || number > highest || (state != "open" && state != "close"))
        return isInput ? "usage: input N open|close, N from 1 to 8\n"
                       : "usage: relay N open|close, N from 1 to 4\n";
    if (isInput)
        m_meter.SetInput(number, state == "close");
    else
        m_meter.SetRelay(number, state == "close");
    return std::string(isInput ? "input " : "relay ") + std::to_string(number) + " " + state + "\n";
}

std::string CSimConsole::Fault(const std::string& arguments)
{
    std::istringstream in(arguments);
    std::string order, mode;
    in >> order >> mode;
    if (order == "off") {
        if (mode.empty())
            m_server.Faults().StopAll();
        else if (const auto fault = CFaultInjector::FaultNamed(mode))
            m_server.Faults().Stop(*fault);
        else
            return "unknown fault mode '" + mode + "'\n";
        return "faults: " + m_server.Faults().Describe() + "\n";
    }
    if (!m_server.Faults().ApplyOrder(order))
        return "usage: fault MODE[:N|@P] (N from 0 to 1000000, P from 0 to 1) or fault off [MODE]\n";
    return "faults: " + m_server.Faults().Describe() + "\n";
}

std::string CSimConsole::Cable(const std::string& arguments)
{
    std::istringstream in(arguments);
    std::string action;
    double seconds = 0.0;
    in >> action;
    if (action == "plug") {
        m_server.PlugCable();
        return "cable in\n";
    }
    if (action != "pull")
        return "usage: cable pull [SECONDS] or cable plug\n";
    if (in >> std::ws; in.eof())
        m_server.PullCable();
    else if (ReadWithin(in, 0.0, kLongestPullSeconds, seconds))
        m_server.PullCable(std::chrono::milliseconds(static_cast<long>(seconds * 1000.0)));
    else
        return "usage: cable pull [SECONDS], SECONDS from 0 to 86400\n";
    return "cable pulled\n";
}

std::string CSimConsole::Timing(const std::string& arguments)
{
    std::istringstream in(arguments);
    std::string what;
    double value = 0.0;
    in >> what;
    LineTiming timing = m_server.Timing();
    if (what == "on" || what == "off")
        timing.enabled = what == "on";
    else if (what == "turnaround" && ReadWithin(in, 0.0, kLongestTurnaroundMs, value))
        timing.turnaround = std::chrono::microseconds(static_cast<long>(value * 1000.0));
    else if (what == "late" && ReadWithin(in, 0.0, kLongestLateMs, value))
        timing.lateReply = std::chrono::milliseconds(static_cast<long>(value));
    else if (what == "quiet" && ReadWithin(in, 0.0, kLongestLateMs, value))
        timing.quietNeeded = std::chrono::milliseconds(static_cast<long>(value));
    else if (std::string echo; what == "echo" && in >> echo && (echo == "on" || echo == "off"))
        timing.echo = echo == "on";
    else
        return "usage: timing on|off, timing turnaround MS (0 to 1000), timing late MS (0 to 60000),\n"
               "       timing echo on|off, timing quiet MS (0 to 60000)\n";
    m_server.SetTiming(timing);
    return "timing " + std::string(timing.enabled ? "on" : "off") + "\n";
}
