#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/context.h"
#include "pages/init_string.h"

namespace lintari {

class BusySignalDiagram;

// One register of the busy-tone timing and the box on the main page that
// holds its value as text.
struct BusyToneRegister {
  std::string_view name;  // "S203"
  std::string_view box;   // "Edit2"
};

// Top to bottom on the page: minimum and maximum tone time, minimum and
// maximum pause time (the four the diagram draws), then the number of tone
// cycles.
inline constexpr std::array<BusyToneRegister, 5> kBusyToneRegisters{{
    {"S203", "Edit2"},
    {"S204", "Edit3"},
    {"S205", "Edit4"},
    {"S206", "Edit5"},
    {"S207", "Edit6"},
}};

// The five value texts of a busy-tone read, in register order, exactly as the
// modem answered them ("010", leading zeros kept). Every text must convert
// with TextToInt; the first that does not throws its conversion error.
std::array<std::string, 5> ReadBusyToneValues(std::string_view replyText);

// The busy-signal group of the main page: read, write and "В строку" of
// S203..S207, and the button that opens the diagram window.
class BusyTonePage {
 public:
  BusyTonePage(Context& context, InitString& initString, BusySignalDiagram& diagram);

  // "Считать".
  void SpeedButton4Click();
  // "Записать": the five values as typed, the store command and a reset.
  void SpeedButton5Click();
  // "В строку".
  void SpeedButton8Click();
  // The picture button: the diagram window from Edit2..Edit5.
  void LMD3DEffectButton1Click();

  void bind(Handlers& handlers);

 private:
  void showReadValues();

  Context& context_;
  InitString& initString_;
  BusySignalDiagram& diagram_;
};

}  // namespace lintari
