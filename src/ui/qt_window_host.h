#pragma once

#include "app/window_host.h"

class QWidget;

namespace lintari::ui {

// The three windows TForm1, TForm2 and TForm4 as the logic moves them. The
// main and setup windows come up centred on the desktop the first time they
// are shown; later they keep where the user put them.
class QtWindowHost : public WindowHost {
 public:
  QtWindowHost(QWidget* main, QWidget* setup, QWidget* diagram);

  void hideMainWindow() override;
  // Also the way back from the tray: restored from minimised, raised and
  // activated, but not enabled.
  void showMainWindow() override;
  void setMainWindowEnabled(bool enabled) override;
  void showSetupWindow() override;
  void hideSetupWindow() override;
  void showDiagramWindow() override;
  void hideDiagramWindow() override;
  void showMessage(std::string_view text) override;
  void showError(std::string_view message) override;
  void closeMainWindow() override;

 private:
  QWidget* main_;
  QWidget* setup_;
  QWidget* diagram_;
  bool mainPlaced_ = false;
  bool setupPlaced_ = false;
};

}  // namespace lintari::ui
