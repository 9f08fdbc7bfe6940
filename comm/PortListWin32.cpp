#include "comm/PortList.h"

#include <algorithm>
#include <windows.h>

std::vector<std::string> PresentPorts()
{
    return PresentPorts("HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

// Each value of the key names one port: its data is the port's name ("COM7"),
// its name the driver's device ("\Device\VCP0").
std::vector<std::string> PresentPorts(const std::string& where)
{
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, where.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        char device[256] = {};
        BYTE name[256] = {};
        DWORD deviceLength = sizeof device;
        DWORD nameLength = sizeof name - 1;
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(key, index, device, &deviceLength, nullptr, &type, name, &nameLength);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        std::string port(reinterpret_cast<const char*>(name), nameLength);
        while (!port.empty() && port.back() == '\0')
            port.pop_back();
        if (!port.empty() && std::find(ports.begin(), ports.end(), port) == ports.end())
            ports.push_back(port);
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end(), NaturalLess);
    return ports;
}
