#pragma once

#include <functional>
#include <string_view>

#include "app/context.h"

namespace lintari {

// The frame of the main window TForm1: its initialisation, help, exit, the
// tray menu, the Info page's links and its "Модем" button.
class MainWindow {
 public:
  // The identification units plug in here; an unset hook does nothing.
  struct Hooks {
    std::function<void()> fillInfoPage;
    std::function<void()> applyCapabilityProfile;
    // What a start without a stored firmware version does instead.
    std::function<void()> applyNoFirmwareFallback;
  };

  explicit MainWindow(Context& context) : context_(context) {}

  Hooks& hooks() { return hooks_; }

  // The main window initialisation: run when the window is created and once
  // more for every present value of the setup window's start-up check.
  void FormCreate();

  // "Помощь": the help file by its bare name, which the desktop resolves
  // against the program's current folder.
  void SpeedButton1Click();
  // "Выход" below the pages.
  void SpeedButton3Click();
  // The Info page's web links.
  void Label20Click();
  void Label22Click();
  // "Модем": the setup window comes up; the main window stays usable.
  void SpeedButton21Click();
  // Tray menu "Развернуть": the main window back from the tray, as it was
  // (a main window disabled by the first run stays disabled).
  void N1Click();
  // Tray menu "Выход".
  void N2Click();

  void bind(Handlers& handlers);

 private:
  Context& context_;
  Hooks hooks_;
};

}  // namespace lintari
