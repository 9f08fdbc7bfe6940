// vemo400-sim: a simulated VEMO400 meter on a pseudo-terminal.

#include "sim/Console.h"
#include "sim/SimGateway.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"
#include "sim/SiteSettings.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <string_view>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace {
const char kUsage[] =
    "usage: vemo400-sim [options]\n"
    "A simulated VEMO400 meter, a Modbus RTU slave on a pseudo-terminal. It prints the path\n"
    "of the terminal a master opens as its serial port, then serves until stopped.\n"
    "\n"
    "options:\n"
    "  --link PATH        also make a symbolic link PATH to the terminal (replaced if present)\n"
    "  --address N        meter's slave address, 1 to 247 (1)\n"
    "  --second N         a second meter on the same line at address N, otherwise alike\n"
    "  --meters LIST      the meters on the line, at the addresses of LIST (1-40 or 1,3,5-9),\n"
    "                     otherwise alike, each with the seed after the one before it; the\n"
    "                     console acts on the first (in place of --address and --second)\n"
    "  --baud RATE        meter's rate: 4800, 9600, 19200 or 38400 (9600)\n"
    "  --ct PRIMARY       CT primary in A, 1 to 65535, secondary 5 A (100)\n"
    "  --pt PRIMARY       PT primary in V, 1 to 2147483647, secondary 220 V (220)\n"
    "  --frozen           keep every value still (the model does not run)\n"
    "  --speed FACTOR     model seconds per real second, 0.000001 to 1000000 (1)\n"
    "  --seed N           seed of the noise and the random faults, 0 to 4294967295 (1)\n"
    "  --no-timing        answer at once, without wire time and turnaround\n"
    "  --turnaround MS    turnaround delay before a reply, 0 to 1000 (3)\n"
    "  --late MS          delay of the late-reply fault, 0 to 60000 (1000)\n"
    "  --echo             hand every request back before its reply, as a two-wire converter\n"
    "                     without echo suppression does\n"
    "  --quiet-needed MS  ignore a request that starts sooner than MS after the previous\n"
    "                     frame, as a meter that needs idle time does, 0 to 60000 (0)\n"
    "  --fault MODE[:N|@P] inject a fault, may repeat: MODE:N for the next N requests or\n"
    "                     MODE@P with probability P; modes: no-reply bad-crc late-reply\n"
    "                     exception short-reply garbage\n"
    "  --wiring LIST      how the meter is wired to the site: correct (the default), or faults\n"
    "                     joined by commas: ct-reversed:B ct-swap:AB ct-rotate all-ct-reversed\n"
    "                     pt-reversed:C pt-missing:A no-neutral\n"
    "  --power-factor PF[,PF,PF]  the load's power factor, 1, 0.9lag or 0.95lead, for every\n"
    "                     phase or each (the plant's swinging load)\n"
    "  --load SHARE[,SHARE,SHARE]  each phase's current as a share of the CT's rating, 0 to 2\n"
    "  --flow import|export  whether the site draws power or feeds it into the supply (import)\n"
    "  --volts V          phase voltage on the PT's secondary, 30 to 300 (220)\n"
    "  --thd-u PERCENT    the supply's voltage THD, 0 to 30 (the plant's own, about 3 %)\n"
    "  --harmonic-u ORDER:PERCENT  one order of the supply's voltage, may repeat\n"
    "  --tcp [HOST:]PORT  also serve the line's meters as a Modbus TCP gateway, one client at a time,\n"
    "                     on HOST (127.0.0.1) and PORT (0: a free one); prints tcp://HOST:PORT\n"
    "                     after the terminal's path\n"
    "  --rtu-tcp [HOST:]PORT  the same with RTU frames over TCP; prints rtu-tcp://HOST:PORT\n"
    "  --unknown-units silent|exception\n"
    "                     a gateway's answer to a unit id no meter on the line has: nothing\n"
    "                     (silent) or exception 0x0B\n"
    "  --help             show this text\n"
    "\n"
    "Commands on standard input ('help' lists them) show the status and the last requests,\n"
    "set registers, change inputs and start or stop faults. With standard input closed or\n"
    "at its end the simulator just serves; SIGINT or SIGTERM stops it.\n";

struct GatewayOrder
{
    GatewayMode mode;
    std::string host;
    int port;
};

struct Options
{
    MeterOptions meter{.model = ModelMode::Running};
    LineTiming timing;
    std::string link;
    std::vector<std::string> faults;
    std::vector<GatewayOrder> gateways;
    UnknownUnits unknownUnits = UnknownUnits::Silent;
    bool addressGiven = false;
    int secondAddress = 0;   // none
    std::vector<int> meters; // --meters: every meter's address, the first's first
};

bool ToAddress(std::string_view text, int& address)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, address);
    return error == std::errc() && stop == end && address >= 1 && address <= 247;
}

// "1-40" or "1,3,5-9" as addresses; false for anything else.
bool ToAddresses(std::string_view text, std::vector<int>& addresses)
{
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        int first = 0;
        int last = 0;
        if (!ToAddress(item.substr(0, dash), first) ||
            !ToAddress(dash == std::string_view::npos ? item : item.substr(dash + 1), last) || last < first)
            return false;
        for (int address = first; address <= last; ++address)
            addresses.push_back(address);
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

// --tcp, --rtu-tcp and --unknown-units; false for another option or a wrong value.
bool ApplyGatewayOption(Options& options, const std::string& name, const std::string& text)
{
    if (name == "--unknown-units" && (text == "silent" || text == "exception")) {
        options.unknownUnits = text == "exception" ? UnknownUnits::Exception : UnknownUnits::Silent;
        return true;
    }
    GatewayOrder order{name == "--tcp" ? GatewayMode::ModbusTcp : GatewayMode::RtuOverTcp, {}, 0};
    if ((name != "--tcp" && name != "--rtu-tcp") || !CSimGateway::ParseEndpoint(text, order.host, order.port))
        return false;
    options.gateways.push_back(order);
    return true;
}

bool ToNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *text != '\0' && *end == '\0';
}

// The values each numeric option takes; anything outside (NaN included) is refused
// before it is converted, so no conversion can overflow.
struct NumericOption
{
    const char* name;
    double lowest;
    double highest;
};
constexpr NumericOption kNumericOptions[] = {
    {"--address", 1, 247},        {"--second", 1, 247},      {"--baud", 1, 1000000},
    {"--ct", 1, 65535},           {"--pt", 1, 2147483647},   {"--speed", 1e-6, 1e6},
    {"--seed", 0, 4294967295.0},  {"--turnaround", 0, 1000}, {"--late", 0, 60000},
    {"--quiet-needed", 0, 60000},
};

bool WithinRange(const std::string& name, double value)
{
    for (const NumericOption& option : kNumericOptions)
        if (name == option.name)
            return value >= option.lowest && value <= option.highest;
    return false;
}

bool IsSiteSetting(const std::string& option)
{
    return std::any_of(std::begin(SiteSettings::kNames), std::end(SiteSettings::kNames),
                       [&option](const char* name) { return option == std::string("--") + name; });
}

// Applies one option with its value; false when either is wrong.
bool ApplyOption(Options& options, const std::string& name, const char* text)
{
    double value = 0.0;
    if (IsSiteSetting(name)) {
        const std::string why =
            SiteSettings::Apply(name.substr(2), text, options.meter.site, options.meter.connection);
        if (!why.empty())
            std::fprintf(stderr, "vemo400-sim: %s\n", why.c_str());
        return why.empty();
    }
    if (name == "--link")
        options.link = text;
    else if (name == "--fault")
        options.faults.emplace_back(text);
    else if (name == "--tcp" || name == "--rtu-tcp" || name == "--unknown-units")
        return ApplyGatewayOption(options, name, text);
    else if (name == "--meters")
        return ToAddresses(text, options.meters);
    else if (!ToNumber(text, value) || !WithinRange(name, value))
        return false;
    else if (name == "--address") {
        options.meter.slaveAddress = static_cast<int>(value);
        options.addressGiven = true;
    } else if (name == "--second")
        options.secondAddress = static_cast<int>(value);
    else if (name == "--baud")
        options.meter.baud = static_cast<int>(value);
    else if (name == "--ct")
        options.meter.ctPrimary = static_cast<int>(value);
    else if (name == "--pt")
        options.meter.ptPrimary = static_cast<int>(value);
    else if (name == "--speed")
        options.meter.speed = value;
    else if (name == "--seed")
        options.meter.seed = static_cast<uint32_t>(value);
    else if (name == "--turnaround")
        options.timing.turnaround = std::chrono::microseconds(static_cast<long>(value * 1000.0));
    else if (name == "--late")
        options.timing.lateReply = std::chrono::milliseconds(static_cast<long>(value));
    else
        options.timing.quietNeeded = std::chrono::milliseconds(static_cast<long>(value));
    return true;
}

// 0 to go on, otherwise the exit status (after --help or an error).
int ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        }
        if (name == "--frozen")
            options.meter.model = ModelMode::Frozen;
        else if (name == "--no-timing")
            options.timing.enabled = false;
        else if (name == "--echo")
            options.timing.echo = true;
        else if (i + 1 >= argc || !ApplyOption(options, name, argv[i + 1])) {
            std::fprintf(stderr, "vemo400-sim: bad option or value: %s %s\n%s", name.c_str(),
                         i + 1 < argc ? argv[i + 1] : "(none)", kUsage);
            return 2;
        } else
            ++i;
    }
    return 0;
}

bool MakeLink(const std::string& link, const std::string& target)
{
    ::unlink(link.c_str());
    if (::symlink(target.c_str(), link.c_str()) == 0)
        return true;
    std::fprintf(stderr, "vemo400-sim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
    return false;
}

// Starts the gateways asked for and prints the address of each; false when one cannot listen.
bool StartGateways(const Options& options, CSimServer& server, CSimConsole& console,
                   std::vector<std::unique_ptr<CSimGateway>>& gateways)
{
    for (const GatewayOrder& order : options.gateways) {
        auto gateway = std::make_unique<CSimGateway>(server, order.mode);
        gateway->SetUnknownUnits(options.unknownUnits);
        if (!gateway->Start(order.host, order.port)) {
            std::fprintf(stderr, "vemo400-sim: %s\n", gateway->Error().c_str());
            return false;
        }
        std::printf("%s\n", gateway->Url().c_str());
        console.AddGateway(*gateway);
        gateways.push_back(std::move(gateway));
    }
    std::fflush(stdout);
    return true;
}

// The addresses of the meters on the line, the first's first; nothing, with the reason told, when
// the options contradict each other or two meters would share an address.
std::optional<std::vector<int>> MeterAddresses(const Options& options)
{
    if (!options.meters.empty() && (options.addressGiven || options.secondAddress != 0)) {
        std::fprintf(stderr, "vemo400-sim: --meters names every meter; leave out --address and --second\n");
        return std::nullopt;
    }
    std::vector<int> addresses = options.meters;
    if (addresses.empty())
        addresses.push_back(options.meter.slaveAddress);
    if (options.secondAddress != 0)
        addresses.push_back(options.secondAddress);
    if (std::set<int>(addresses.begin(), addresses.end()).size() != addresses.size()) {
        std::fprintf(stderr, "vemo400-sim: every meter needs an address of its own\n");
        return std::nullopt;
    }
    return addresses;
}

// A running installation is found with its door contact (S1) and breaker
// feedback (S3) closed, as recorded when the meter powered up.
void PowerUp(CSimMeter& meter)
{
    if (meter.Model() == ModelMode::Running) {
        meter.SetInput(1, true);
        meter.SetInput(3, true);
    }
}

// The meters at the addresses, alike but for each one's noise, whose seed follows the one before's,
// so that their values differ.
std::vector<std::unique_ptr<CSimMeter>> MakeMeters(const MeterOptions& alike,
                                                   const std::vector<int>& addresses)
{
    std::vector<std::unique_ptr<CSimMeter>> meters;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        MeterOptions options = alike;
        options.slaveAddress = addresses[i];
        options.seed = alike.seed + static_cast<uint32_t>(i);
        meters.push_back(std::make_unique<CSimMeter>(options));
        PowerUp(*meters.back());
    }
    return meters;
}

// Serves until a signal or "quit"; reads console commands while standard input lasts.
void RunConsole(CSimConsole& console, int signals)
{
    pollfd fds[2] = {{signals, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    nfds_t watched = 2;
    std::string line;
    while (!console.QuitRequested()) {
        if (::poll(fds, watched, -1) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN)
            return;
        if (watched == 2 && fds[1].revents) {
            if (!std::getline(std::cin, line)) {
                watched = 1;
                continue;
            }
            std::cout << console.Execute(line) << std::flush;
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const int status = ParseOptions(argc, argv, options))
        return status < 0 ? 0 : status;
    const std::optional<std::vector<int>> addresses = MeterAddresses(options);
    if (!addresses)
        return 2;
    const std::vector<std::unique_ptr<CSimMeter>> meters = MakeMeters(options.meter, *addresses);
    CSimMeter& meter = *meters.front();
    if (!meter.SetBaud(options.meter.baud)) {
        std::fprintf(stderr, "vemo400-sim: the meter runs at 4800, 9600, 19200 or 38400 baud\n");
        return 2;
    }
    CSimServer server(meter, options.timing);
    for (std::size_t i = 1; i < meters.size(); ++i)
        server.AddMeter(*meters[i]);
    for (const std::string& order : options.faults)
        if (!server.Faults().ApplyOrder(order)) {
            std::fprintf(stderr, "vemo400-sim: bad fault: %s\n", order.c_str());
            return 2;
        }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, signal);
    // Blocked before the serving thread starts, so only the signal descriptor sees them.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (!server.Start()) {
        std::fprintf(stderr, "vemo400-sim: %s\n", server.Error().c_str());
        return 1;
    }
    if (!options.link.empty() && !MakeLink(options.link, server.SlavePath()))
        return 1;
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    CSimConsole console(meter, server);
    std::vector<std::unique_ptr<CSimGateway>> gateways;
    const bool serving = StartGateways(options, server, console, gateways);
    if (serving)
        RunConsole(console, signals);
    gateways.clear();
    server.Stop();
    if (!options.link.empty())
        ::unlink(options.link.c_str());
    return serving ? 0 : 1;
}
