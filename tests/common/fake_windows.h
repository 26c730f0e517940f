#pragma once

#include <string>
#include <vector>

#include "app/window_host.h"

namespace lintari::testing_support {

// Records what the logic did with the windows.
class FakeWindows : public WindowHost {
 public:
  void hideMainWindow() override { mainVisible = false; calls.push_back("hideMain"); }
  void showMainWindow() override { mainVisible = true; calls.push_back("showMain"); }
  void setMainWindowEnabled(bool enabled) override {
    mainEnabled = enabled;
    calls.push_back(enabled ? "enableMain" : "disableMain");
  }
  void showSetupWindow() override { setupVisible = true; calls.push_back("showSetup"); }
  void hideSetupWindow() override { setupVisible = false; calls.push_back("hideSetup"); }
  void showDiagramWindow() override { diagramVisible = true; calls.push_back("showDiagram"); }
  void hideDiagramWindow() override { diagramVisible = false; calls.push_back("hideDiagram"); }
  void showMessage(std::string_view text) override { messages.emplace_back(text); calls.push_back("message"); }
  void showError(std::string_view message) override { errors.emplace_back(message); calls.push_back("error"); }
  void closeMainWindow() override { closed = true; calls.push_back("closeMain"); }

  bool mainVisible = false;
  bool mainEnabled = true;
  bool setupVisible = false;
  bool diagramVisible = false;
  bool closed = false;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> calls;
};

}  // namespace lintari::testing_support
