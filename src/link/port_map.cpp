#include "link/port_map.h"

namespace lintari {

std::string devicePathForPort(Registry& registry, int portNumber) {
  if (portNumber < 1) return {};
  const std::string portName = "COM" + std::to_string(portNumber);
  if (auto key = registry.openReadOnly(kSerialCommKeyPath)) {
    for (const RegistryValue& v : key->listValues()) {
      if (v.text && sameName(*v.text, portName) && !v.name.empty() && v.name.front() == '/') return v.name;
    }
  }
  return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace lintari
