#include "app/program.h"

namespace lintari {

Program::Program(ProgramWindows windows, ProgramPlatform platform)
    : settings_(platform.registry),
      link_(settings_, platform.port, platform.clock, windows.host),
      context_{windows.main, windows.setup, windows.diagram, platform.registry,
               settings_,    link_,         windows.host,    platform.shell} {
  mainWindow_.hooks() = {
      .fillInfoPage = [this] { infoPage_.FillInfoPage(); },
      .applyCapabilityProfile = [this] { profile_.ApplyCapabilityProfile(); },
      .applyNoFirmwareFallback = [this] { profile_.applyNoFirmwareFallback(); },
  };

  mainWindow_.bind(handlers_);
  setupWindow_.bind(handlers_);
  identification_.bind(handlers_);
  initString_.bind(handlers_);
  busyTone_.bind(handlers_);
  diagram_.bind(handlers_);
  transmitLevel_.bind(handlers_);
  toneDialling_.bind(handlers_);
  extendedRegisters_.bind(handlers_);
  connectionSpeed_.bind(handlers_);

  startUp_.push_back({"TForm1", [this] { mainWindow_.FormCreate(); }});
  startUp_.push_back({"TForm2", [this] { setupWindow_.FormCreate(); }});
}

}  // namespace lintari
