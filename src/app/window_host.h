#pragma once

#include <string_view>

#include "link/modem_link.h"

namespace lintari {

// The three windows as the logic moves them. The Qt layer implements it over
// TForm1, TForm2 and TForm4; tests record the calls.
class WindowHost : public MainWindowHandle {
 public:
  virtual void showMainWindow() = 0;
  virtual void setMainWindowEnabled(bool enabled) = 0;
  virtual void showSetupWindow() = 0;
  virtual void hideSetupWindow() = 0;
  virtual void showDiagramWindow() = 0;
  virtual void hideDiagramWindow() = 0;
  // A plain modal message with one OK button; returns when it is confirmed.
  virtual void showMessage(std::string_view text) = 0;
  // The error box for an Error that a handler caught so as to carry on.
  virtual void showError(std::string_view message) = 0;
  // Closes the main window, which ends the program.
  virtual void closeMainWindow() = 0;
};

}  // namespace lintari
