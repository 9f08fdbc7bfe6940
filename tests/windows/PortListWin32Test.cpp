#include "comm/PortList.h"

#include <gtest/gtest.h>
#include <windows.h>

// A serial-port map of the test's own, laid out as the system's: one value per
// port, the driver's device as the name and the port's name as the data.
namespace {
constexpr char kKey[] = "SOFTWARE\\vemo400-test\\SERIALCOMM";

void SetPort(HKEY key, const char* device, const char* port)
{
    RegSetValueExA(key, device, 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                   static_cast<DWORD>(strlen(port) + 1));
}
} // namespace

TEST(PortListWin32Test, listsTheMappedPortsInNaturalOrderAndAfreshEachTime)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    SetPort(key, "\\Device\\VCP1", "COM12");
    SetPort(key, "\\Device\\Serial0", "COM1");
    SetPort(key, "\\Device\\VCP0", "COM5");
    EXPECT_EQ(PresentPorts(kKey), (std::vector<std::string>{"COM1", "COM5", "COM12"}));
    EXPECT_EQ(PortNames(PresentPorts(kKey)),
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM12"}));

    SetPort(key, "\\Device\\VCP2", "COM7");
    EXPECT_EQ(PresentPorts(kKey), (std::vector<std::string>{"COM1", "COM5", "COM7", "COM12"}));
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\vemo400-test");
    EXPECT_TRUE(PresentPorts(kKey).empty());
}
