#pragma once

#include "app/context.h"
#include "app/design.h"
#include "app/settings_store.h"
#include "common/fake_clock.h"
#include "common/fake_form.h"
#include "common/fake_port.h"
#include "common/fake_windows.h"
#include "core/memory_registry.h"
#include "core/shell.h"
#include "link/modem_link.h"

namespace lintari::testing_support {

class RecordingShell : public Shell {
 public:
  void open(std::string_view target) override { opened.emplace_back(target); }
  std::vector<std::string> opened;
};

// Everything a unit of the program needs, in memory: the three windows in
// their design state, a registry, a scripted port behind a real link.
struct LogicFixture {
  MemoryRegistry registry;
  SettingsStore settings{registry};
  FakeClock clock;
  FakePort port{clock};
  FakeWindows windows;
  RecordingShell shell;
  ModemLink link{settings, port, clock, windows};
  FakeForm main{design::mainWindow()};
  FakeForm setup{design::setupWindow()};
  FakeForm diagram{design::diagramWindow()};
  Context context{main, setup, diagram, registry, settings, link, windows, shell};

  // A modem configured in the settings, so requests can open the port.
  void configureModem(std::string_view path = "\\SYSTEM\\Modems\\0000", std::string_view portSetting = "1") {
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, path);
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, portSetting);
  }
};

}  // namespace lintari::testing_support
