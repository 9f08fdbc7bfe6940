#pragma once

#include <string>

// What a field engineer needs beside the system's reason when a serial device
// will not open: for "Permission denied" the group that owns the device (on
// the same line), for a missing device the serial devices that do exist (on
// the next line). Empty for any other error.
std::string PortOpenAdvice(const std::string& path, int error);
