// The simulated meter's console commands and command-line options: nothing a
// user types stops the simulator, every answer is whole lines, and every number
// taken is within its range.

#include "FuzzCheck.h"
#include "sim/Console.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <cmath>
#include <cstdio>
#include <sstream>

// The option parser lives in the program's own source file; compiled here with
// its entry point renamed, the target calls the parser the program runs.
#define main SimulatorMain
#include "sim/main.cpp"
#undef main

namespace {
void CheckConsole(const std::string& lines)
{
    CSimMeter meter;
    CSimServer server(meter);
    CSimConsole console(meter, server);
    std::istringstream in(lines);
    std::string line;
    for (int n = 0; n < 8 && std::getline(in, line); ++n) {
        const std::string answer = console.Execute(line);
        FUZZ_CHECK(answer.empty() || answer.back() == '\n');
        const LineTiming timing = server.Timing();
        FUZZ_CHECK(timing.turnaround.count() >= 0 && timing.lateReply.count() >= 0);
    }
}

// The words of the input, split at spaces and line ends, as a command line.
void CheckOptions(const std::string& text)
{
    std::vector<std::string> words{"vemo400-sim"};
    std::istringstream in(text);
    for (std::string word; words.size() < 16 && in >> word;)
        words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    Options options;
    // The usage text goes nowhere: a fuzzer would print it a million times.
    FILE* const out = stdout;
    FILE* const err = stderr;
    stdout = stderr = std::fopen("/dev/null", "w");
    const int status = ParseOptions(static_cast<int>(words.size()), argv.data(), options);
    std::fclose(stdout);
    stdout = out;
    stderr = err;
    FUZZ_CHECK(status == 0 || status == -1 || status == 2);
    if (status != 0)
        return;
    const MeterOptions& meter = options.meter;
    FUZZ_CHECK(meter.slaveAddress >= 1 && meter.slaveAddress <= 247);
    FUZZ_CHECK(meter.ctPrimary >= 1 && meter.ctPrimary <= 65535 && meter.ptPrimary >= 1);
    FUZZ_CHECK(std::isfinite(meter.speed) && meter.speed > 0.0);
    FUZZ_CHECK(options.timing.turnaround.count() >= 0 && options.timing.lateReply.count() >= 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const bool options = input.Byte() % 4 == 0;
    const std::string text = input.RestAsText();
    if (options)
        CheckOptions(text);
    else
        CheckConsole(text);
    return 0;
}
