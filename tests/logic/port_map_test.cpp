#include "link/port_map.h"

#include <gtest/gtest.h>

#include "common/row_name.h"
#include "core/memory_registry.h"

namespace lintari {
namespace {

struct Entry {
  const char* device;
  const char* port;
};

struct PortRow {
  const char* name;
  std::vector<Entry> map;
  int port;
  const char* device;
};

class PortMap : public testing::TestWithParam<PortRow> {};

TEST_P(PortMap, NamesTheDevice) {
  MemoryRegistry registry;
  for (const Entry& e : GetParam().map) registry.setString(kSerialCommKeyPath, e.device, e.port);
  EXPECT_EQ(devicePathForPort(registry, GetParam().port), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortMap,
    testing::Values(
        PortRow{"NoMapFirstPort", {}, 1, "/dev/ttyS0"}, PortRow{"NoMapLastPort", {}, 18, "/dev/ttyS17"},
        PortRow{"Mapped", {{"/dev/ttyS0", "COM1"}, {"/dev/ttyUSB0", "COM3"}}, 3, "/dev/ttyUSB0"},
        PortRow{"OtherPortsKeepTheirDefault", {{"/dev/ttyUSB0", "COM3"}}, 2, "/dev/ttyS1"},
        PortRow{"PortNameIgnoresCase", {{"/dev/ttyACM0", "com4"}}, 4, "/dev/ttyACM0"},
        PortRow{"NoPrefixMatch", {{"/dev/ttyUSB1", "COM30"}}, 3, "/dev/ttyS2"},
        PortRow{"FirstEntryWins", {{"/dev/ttyUSB0", "COM3"}, {"/dev/ttyUSB1", "COM3"}}, 3, "/dev/ttyUSB0"},
        PortRow{"WindowsDeviceNamePassedOver", {{"\\Device\\Serial0", "COM1"}}, 1, "/dev/ttyS0"},
        PortRow{"NoPortChosen", {}, 0, ""}),
    testing_support::RowName());

TEST(PortMap, ValueOfAnotherTypeIsPassedOver) {
  MemoryRegistry registry;
  registry.setNonString(kSerialCommKeyPath, "/dev/ttyUSB0");
  registry.setString(kSerialCommKeyPath, "/dev/ttyUSB1", "COM2");
  EXPECT_EQ(devicePathForPort(registry, 2), "/dev/ttyUSB1");
  EXPECT_EQ(devicePathForPort(registry, 1), "/dev/ttyS0");
}

}  // namespace
}  // namespace lintari
