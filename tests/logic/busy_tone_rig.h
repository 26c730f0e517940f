#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/logic_fixture.h"
#include "pages/busy_signal_diagram.h"
#include "pages/busy_tone_page.h"
#include "pages/init_string.h"

namespace lintari::testing_support {

// The main page's busy-signal group and the diagram window over a real link,
// with the settings of a set-up program.
struct BusyToneRig : LogicFixture {
  BusyToneRig() { configureModem(); }

  void setBoxes(std::initializer_list<std::string_view> texts) {
    auto text = texts.begin();
    for (const BusyToneRegister& r : kBusyToneRegisters) main.setText(r.box, *text++);
  }
  [[nodiscard]] std::string boxes() const {
    std::string all;
    for (const BusyToneRegister& r : kBusyToneRegisters) all += main.text(r.box) + "|";
    return all;
  }
  [[nodiscard]] std::string labels() const {
    std::string all;
    for (const char* label : {"RxLabel5", "RxLabel6", "RxLabel7", "RxLabel8"})
      all += diagram.text(label) + "|";
    return all;
  }

  InitString initString{context};
  BusySignalDiagram busySignal{context};
  BusyTonePage page{context, initString, busySignal};
};

}  // namespace lintari::testing_support
