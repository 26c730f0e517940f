#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/context.h"
#include "pages/init_string.h"

namespace lintari {

// The transmit level S91 that a position of RxSlider1 stands for, and the
// position for a level: the slider runs from S91 = 20 at its left end
// (position 3) to S91 = 3 at its right end (position 20), shown as -S91.
std::int32_t TransmitLevelAt(int position);
int PositionForTransmitLevel(std::int32_t level);

// S91 in a transmit-level reply, the three characters after "ATS91?".
// Throws the conversion error when they are not a number.
std::int32_t ReadTransmitLevel(std::string_view replyText);

// The two 4-bit fields of S215 as slider positions: bits 0 to 3 for the
// aggressiveness slider, the value shifted right by four for the noise
// detector slider. The sliders take positions 1 to 9 of these.
struct LineAdaptation {
  std::int32_t aggressiveness;  // RxSlider2
  std::int32_t noiseDetector;   // RxSlider3
};

// S215 in a line-adaptation reply, the three characters after "ATS215?",
// split into its two fields. Throws the conversion error when the value is
// not a number (or negative, so that its bits carry a minus sign); both fields
// are known before anything is shown.
LineAdaptation ReadLineAdaptation(std::string_view replyText);

// The settings as "В строку" appends them; the commands are "AT" and these.
std::string TransmitLevelSetting(std::int32_t level);   // "S91=10"
std::string LineAdaptationSetting(std::int32_t value);  // "S215=83"

// The upper group of the "Уровни сигналов" page (transmit level S91 on
// RxSlider1 with its number in RxLabel1) and the lower group (line adaptation
// S215 on RxSlider2 and RxSlider3). Plugs the transmit-level and
// line-adaptation reply branches into the link.
class TransmitLevelPage {
 public:
  TransmitLevelPage(Context& context, InitString& initString);
  TransmitLevelPage(const TransmitLevelPage&) = delete;
  TransmitLevelPage& operator=(const TransmitLevelPage&) = delete;

  // Transmit level: "Считать", "Записать", "В строку", and the user's move of
  // the slider, which shows the level it stands for.
  void SpeedButton12Click();
  void SpeedButton13Click();
  void SpeedButton14Click();
  void RxSlider1Changed();

  // Line adaptation: "Считать", "Записать", "В строку".
  void SpeedButton15Click();
  void SpeedButton16Click();
  void SpeedButton17Click();

  void bind(Handlers& handlers);

 private:
  void showTransmitLevel();
  void showLineAdaptation();
  [[nodiscard]] std::int32_t sliderLevel() const;
  [[nodiscard]] std::int32_t sliderLineAdaptation() const;

  Context& context_;
  InitString& initString_;
};

}  // namespace lintari
