#include "comm/PortDiagnostics.h"

#include "comm/PortList.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

namespace {
// Membership of a new group takes effect only in a new login session.
std::string GroupAdvice(const std::string& path)
{
    struct stat device = {};
    if (::stat(path.c_str(), &device) != 0)
        return {};
    const group* owner = ::getgrgid(device.st_gid);
    const std::string name = owner ? owner->gr_name : std::to_string(device.st_gid);
    return "; you must be in the group '" + name + "' that owns " + path + " (sudo usermod -aG " + name +
           " $USER) and log in again";
}

std::string PresentDevices()
{
    std::string list;
    for (const std::string& port : PresentPorts())
        list += " " + port;
    if (list.empty())
        return "\nvemo400: no serial devices found (/dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/*)";
    return "\nvemo400: serial devices present:" + list + "; set VEMO400_COMn to one of them";
}
} // namespace

std::string PortOpenAdvice(const std::string& path, int error)
{
    if (error == EACCES)
        return GroupAdvice(path);
    if (error == ENOENT)
        return PresentDevices();
    return {};
}
