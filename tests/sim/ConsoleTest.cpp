// The simulator's console commands and the vemo400-sim executable.

#include "sim/Console.h"
#include "LineClient.h"
#include "TcpClient.h"
#include "sim/MeterRegisters.h"
#include "sim/SimGateway.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {
testing::AssertionResult Contains(const std::string& text, const std::string& part)
{
    if (text.find(part) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << text << "\" lacks \"" << part << '"';
}

// Starts the simulator with the given arguments, standard input at its end and
// standard output into output (or nowhere), standard error nowhere.
pid_t SpawnSimulator(std::vector<const char*> arguments, int output = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    arguments.insert(arguments.begin(), VEMO_SIM_EXECUTABLE);
    arguments.push_back(nullptr);
    pid_t child = -1;
    posix_spawn(&child, VEMO_SIM_EXECUTABLE, &actions, nullptr, const_cast<char**>(arguments.data()),
                environ);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

class Console : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()) << server.Error(); }

    CSimMeter meter;
    CSimServer server{meter, LineTiming{false}};
    CSimConsole console{meter, server};
};
} // namespace

TEST_F(Console, setsAndShowsRegistersWithinTheMapOnly)
{
    EXPECT_EQ(console.Execute("set 100 23000 22900"), "set 2 register(s) from 100\n");
    EXPECT_EQ(meter.Registers(100, 2), (std::vector<uint16_t>{23000, 22900}));
    EXPECT_EQ(console.Execute("get 101"), "101 = 22900\n");
    EXPECT_TRUE(Contains(console.Execute("set 1008 1"), "usage"));
    EXPECT_TRUE(Contains(console.Execute("get 40 10"), "usage"));
}

TEST_F(Console, changesInputsAndRelays)
{
    console.Execute("input 8 close");
    EXPECT_TRUE(meter.Input(8));
    EXPECT_EQ(meter.Register(MeterReg::kCommonEventCount), 1);
    console.Execute("relay 2 close");
    EXPECT_TRUE(meter.Relay(2));
    EXPECT_TRUE(Contains(console.Execute("input 9 close"), "usage"));
    EXPECT_TRUE(Contains(console.Execute("relay 1 maybe"), "usage"));
}

TEST_F(Console, startsAndStopsFaultsAndTheCable)
{
    EXPECT_EQ(console.Execute("fault bad-crc:2"), "faults: bad-crc for the next 2\n");
    EXPECT_EQ(console.Execute("fault off bad-crc"), "faults: none\n");
    EXPECT_TRUE(Contains(console.Execute("fault loud"), "usage"));
    console.Execute("cable pull");
    EXPECT_TRUE(server.IsCablePulled());
    console.Execute("cable plug");
    EXPECT_FALSE(server.IsCablePulled());
    console.Execute("timing on");
    console.Execute("timing turnaround 7.5");
    EXPECT_TRUE(server.Timing().enabled);
    EXPECT_EQ(server.Timing().turnaround, 7500us);
}

TEST_F(Console, showsStatusAndTheLastRequests)
{
    EXPECT_EQ(console.Execute("requests"), "no requests yet\n");
    CLineClient line;
    ASSERT_TRUE(line.Open(server.SlavePath(), 9600));
    line.Ask(ReadRequest(1, 1006, 1));
    EXPECT_EQ(console.Execute("requests 1"),
              "[01 03 03 EE 00 01 E4 7B] -> [01 03 02 00 01 79 84] answered\n");
    EXPECT_TRUE(
        Contains(console.Execute("status"), server.SlavePath() + ", address 1, 9600 baud, model frozen"));
    EXPECT_TRUE(Contains(console.Execute("model run"), "run"));
    EXPECT_EQ(meter.Model(), ModelMode::Running);
}

TEST_F(Console, refusesNumbersOutOfRangeWithAMessageAndChangesNothing)
{
    const char* const typed[] = {"get 2147483647 2",  "set 2147483647 1 2",    "get 1 2147483647",
                                 "set 100 70000",     "fault bad-crc:3e9",     "cable pull 1e300",
                                 "timing late 1e300", "timing turnaround nan", "requests 99999"};
    for (const char* command : typed) {
        const std::string answer = console.Execute(command);
        EXPECT_TRUE(Contains(answer, "usage") || Contains(answer, "out of range"))
            << command << ": " << answer;
    }
    EXPECT_EQ(server.Faults().Describe(), "none");
    EXPECT_FALSE(server.IsCablePulled());
    EXPECT_FALSE(console.QuitRequested());
}

TEST_F(Console, answersUnknownCommandsAndQuitsOnRequest)
{
    EXPECT_TRUE(Contains(console.Execute("dance"), "unknown command 'dance'"));
    EXPECT_EQ(console.Execute(""), "");
    EXPECT_FALSE(console.QuitRequested());
    console.Execute("quit");
    EXPECT_TRUE(console.QuitRequested());
}

TEST_F(Console, setsTheGatewaysAnswerToUnknownUnits)
{
    CSimGateway gateway(server, GatewayMode::RtuOverTcp);
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    console.AddGateway(gateway);
    console.Execute("gateway unknown exception");
    EXPECT_EQ(gateway.Unknown(), UnknownUnits::Exception);
    EXPECT_TRUE(Contains(console.Execute("status"), "unknown units exception\n"));
}

TEST(SimExecutable, refusesOptionValuesOutOfRangeAndExitsWith2)
{
    const char* const options[][2] = {
        {"--baud", "1e300"},         {"--pt", "1e300"},      {"--seed", "1e20"},
        {"--turnaround", "nan"},     {"--late", "1e300"},    {"--address", "0"},
        {"--tcp", "localhost:1502"}, {"--rtu-tcp", "70000"}, {"--unknown-units", "loud"}};
    for (const auto& option : options) {
        const pid_t child = SpawnSimulator({option[0], option[1]});
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << option[0] << " " << option[1];
    }
}

TEST(SimExecutable, servesWithStandardInputClosedAndStopsOnSigterm)
{
    const std::string link = testing::TempDir() + "vemo400-sim-test-" + std::to_string(getpid());
    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    const pid_t child = SpawnSimulator({"--link", link.c_str(), "--frozen", "--no-timing"}, output[1]);
    ASSERT_GT(child, 0);
    close(output[1]);
    FILE* stream = fdopen(output[0], "r");
    char path[256] = {};
    ASSERT_NE(std::fgets(path, sizeof path, stream), nullptr);
    const std::string slave = std::string(path).substr(0, std::strlen(path) - 1);
    EXPECT_EQ(std::filesystem::read_symlink(link), slave);
    CLineClient line;
    ASSERT_TRUE(line.Open(link, 9600));
    const Frame reply = line.Ask(ReadRequest(1, 1000, 8));
    EXPECT_EQ(reply.size(), 21u);
    EXPECT_TRUE(ModbusFrame::HasValidCrc(reply));
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the simulator";
    std::fclose(stream);
}

TEST(SimExecutable, printsEachGatewayAfterTheTerminalAndServesTheMeterThere)
{
    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    const pid_t child =
        SpawnSimulator({"--frozen", "--no-timing", "--tcp", "0", "--rtu-tcp", "127.0.0.1:0"}, output[1]);
    ASSERT_GT(child, 0);
    close(output[1]);
    FILE* stream = fdopen(output[0], "r");
    char lines[3][256] = {};
    for (char* line : lines)
        ASSERT_NE(std::fgets(line, sizeof lines[0], stream), nullptr);
    const std::string tcp = lines[1];
    const std::string rtuTcp = lines[2];
    ASSERT_EQ(tcp.rfind("tcp://127.0.0.1:", 0), 0u) << tcp;
    ASSERT_EQ(rtuTcp.rfind("rtu-tcp://127.0.0.1:", 0), 0u) << rtuTcp;
    CTcpClient client;
    ASSERT_EQ(client.Connect(std::stoi(tcp.substr(tcp.rfind(':') + 1))), 0);
    ASSERT_TRUE(client.Send({0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x03, 0xE8, 0x00, 0x08}));
    EXPECT_EQ(client.Read(25).size(), 25u) << "header, unit, function, count and eight registers";
    kill(child, SIGTERM);
    EXPECT_EQ(waitpid(child, nullptr, 0), child);
    std::fclose(stream);
}
