#pragma once

#include <string>
#include <string_view>

#include "app/context.h"
#include "app/main_window.h"

namespace lintari {

// The setup window TForm2 ("Установка"): which installed modem, on which COM
// port, of which series. Saving stores the choice, forgets the firmware
// identification and ends the program, which must be started again.
class SetupWindow {
 public:
  static constexpr std::string_view kRestartMessage = "Пожалуйста перезапустите программу";
  // The operating-system family this program reports; it picks the class key
  // of the installed modems.
  static constexpr std::string_view kLinuxFamily = "Linux";

  // `family` stands for the system-information source LMDSysInfo1.
  SetupWindow(Context& context, MainWindow& mainWindow, std::string_view family = kLinuxFamily)
      : context_(context), mainWindow_(mainWindow), family_(family) {}

  // The installed-modem class key for an operating-system family.
  static std::string_view classKeyFor(std::string_view family);
  // Subkey of modem slot `index`: "00" and the index as at least two
  // upper-case hexadecimal digits ("0000", "0009", "000A", "00FF", "00100").
  static std::string slotName(unsigned index);

  // Runs once, when start-up creates the window: the start-up check of `path`
  // and `port`, then the list of installed modems.
  void FormCreate();
  // "Сделать выбранный модем - текущим".
  void Button1Click();

  void bind(Handlers& handlers);

 private:
  void checkStartUpValue(std::string_view name);
  void fillModemList();

  Context& context_;
  MainWindow& mainWindow_;
  std::string family_;
};

}  // namespace lintari
