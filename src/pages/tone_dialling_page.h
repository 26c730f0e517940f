#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/context.h"
#include "pages/init_string.h"

namespace lintari {

// S11 in a tone-dialling reply, the three characters after "ATS11?". Throws
// the conversion error when they are not a number.
std::int32_t ReadToneDiallingSpeed(std::string_view replyText);

// The setting as "В строку" appends it ("S11=95"); the command is "AT" and it.
std::string ToneDiallingSetting(std::int32_t value);

// The tone dialling speed group of the "Дополнительно" page: S11 on RxSlider4
// (3 to 100) with its number in RxLabel12. Plugs the tone-dialling reply
// branch into the link.
class ToneDiallingPage {
 public:
  ToneDiallingPage(Context& context, InitString& initString);
  ToneDiallingPage(const ToneDiallingPage&) = delete;
  ToneDiallingPage& operator=(const ToneDiallingPage&) = delete;

  // "Считать", "Записать", "В строку".
  void SpeedButton22Click();
  void SpeedButton23Click();
  void SpeedButton24Click();
  // The user's move of the slider: the label shows the new position.
  void RxSlider4Changed();

  void bind(Handlers& handlers);

 private:
  void showToneDiallingSpeed();
  [[nodiscard]] std::int32_t sliderValue() const;

  Context& context_;
  InitString& initString_;
};

}  // namespace lintari
