#pragma once

#include <string>
#include <vector>

// The names the Port box offers: COM1 to COM4 first, always and in that order,
// then the other serial ports present now, each once. Asked afresh whenever the
// list opens, so a converter plugged in later appears.
std::vector<std::string> PortNames();

// COM1 to COM4 followed by the present ports that are not among them.
std::vector<std::string> PortNames(const std::vector<std::string>& present);

// The serial ports the system knows now, in natural order (COM5 before COM10).
// On Windows the names listed under HKLM\<where> (the system's serial-port map
// by default); elsewhere the devices /dev/ttyUSB*, /dev/ttyACM* and
// /dev/serial/by-id/* with <where> in place of /dev.
std::vector<std::string> PresentPorts();
std::vector<std::string> PresentPorts(const std::string& where);

// Orders names as a person would: the digits in a name compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b);
