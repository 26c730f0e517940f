#pragma once

#include <string>
#include <string_view>

#include "core/registry.h"

namespace lintari {

// The serial port map, as Windows keeps it: value name = device path, data =
// port name, for example "/dev/ttyUSB0"="COM3".
inline constexpr std::string_view kSerialCommKeyPath = "\\HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The device of COM<portNumber>: the map entry whose data is "COM<n>" (any
// case), else /dev/ttyS<n-1>. Entries whose name is not an absolute path
// (a Windows "\Device\Serial0" pasted from an export) and values of other
// types are passed over. A number below 1 names no device: the result is
// empty, which the port opener reports as a port that does not exist.
std::string devicePathForPort(Registry& registry, int portNumber);

}  // namespace lintari
