#include "comm/PortList.h"

#include <algorithm>
#include <glob.h>

namespace {
// The kinds of device a USB RS-485 converter shows up as, and the stable names
// udev gives them; built-in ports (/dev/ttyS*) are reached as COM1 to COM4.
constexpr const char* kPatterns[] = {"/ttyUSB*", "/ttyACM*", "/serial/by-id/*"};

std::vector<std::string> Matching(const std::string& pattern)
{
    std::vector<std::string> found;
    glob_t matches{};
    if (::glob(pattern.c_str(), 0, nullptr, &matches) == 0)
        found.assign(matches.gl_pathv, matches.gl_pathv + matches.gl_pathc);
    ::globfree(&matches);
    std::sort(found.begin(), found.end(), NaturalLess);
    return found;
}
} // namespace

std::vector<std::string> PresentPorts()
{
    return PresentPorts("/dev");
}

std::vector<std::string> PresentPorts(const std::string& where)
{
    std::vector<std::string> ports;
    for (const char* pattern : kPatterns) {
        const std::vector<std::string> found = Matching(where + pattern);
        ports.insert(ports.end(), found.begin(), found.end());
    }
    return ports;
}
