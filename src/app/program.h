#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "app/main_window.h"
#include "app/settings_store.h"
#include "app/setup_window.h"
#include "core/clock.h"
#include "link/modem_link.h"
#include "link/serial_port.h"
#include "ident/capability_profile.h"
#include "ident/identification.h"
#include "ident/info_page.h"
#include "pages/busy_signal_diagram.h"
#include "pages/busy_tone_page.h"
#include "pages/connection_speed_page.h"
#include "pages/extended_registers_page.h"
#include "pages/init_string.h"
#include "pages/tone_dialling_page.h"
#include "pages/transmit_level_page.h"

namespace lintari {

// The three windows as the program sees them.
struct ProgramWindows {
  Form& main;     // TForm1
  Form& setup;    // TForm2
  Form& diagram;  // TForm4
  WindowHost& host;
};

// What the program runs on.
struct ProgramPlatform {
  Registry& registry;
  SerialPort& port;
  Clock& clock;
  Shell& shell;
};

// The program object: the settings store, the modem link and every unit, in
// start-up order, over one context. A unit joins with a member below and one
// line in the constructor that binds its handlers (and, for a window's
// creation handler, one start-up step).
class Program {
 public:
  // A window's creation handler; start-up runs them in this order, each on
  // its own, so that an error in one does not keep the next window from being
  // created.
  struct CreationStep {
    std::string_view window;
    std::function<void()> run;
  };

  Program(ProgramWindows windows, ProgramPlatform platform);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  [[nodiscard]] const Handlers& handlers() const { return handlers_; }
  [[nodiscard]] const std::vector<CreationStep>& startUp() const { return startUp_; }

  Context& context() { return context_; }
  ModemLink& link() { return link_; }
  MainWindow& mainWindow() { return mainWindow_; }
  SetupWindow& setupWindow() { return setupWindow_; }
  BusySignalDiagram& diagram() { return diagram_; }

 private:
  SettingsStore settings_;
  ModemLink link_;
  Context context_;

  // The units plug their reply branches into link_, which they must not
  // outlive: declared after it, they are destroyed before it.
  MainWindow mainWindow_{context_};
  SetupWindow setupWindow_{context_, mainWindow_};
  InfoPage infoPage_{context_};
  CapabilityProfile profile_{context_};
  Identification identification_{context_, infoPage_, profile_};
  InitString initString_{context_};
  BusySignalDiagram diagram_{context_};
  BusyTonePage busyTone_{context_, initString_, diagram_};
  TransmitLevelPage transmitLevel_{context_, initString_};
  ToneDiallingPage toneDialling_{context_, initString_};
  ExtendedRegistersPage extendedRegisters_{context_, initString_};
  ConnectionSpeedPage connectionSpeed_{context_, initString_};

  Handlers handlers_;
  std::vector<CreationStep> startUp_;
};

}  // namespace lintari
