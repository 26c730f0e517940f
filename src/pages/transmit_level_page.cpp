#include "pages/transmit_level_page.h"

#include "core/text_to_int.h"
#include "link/codecs.h"
#include "link/modem_link.h"

namespace lintari {
namespace {

constexpr std::string_view kLevelSlider = "RxSlider1";
constexpr std::string_view kLevelLabel = "RxLabel1";
constexpr std::string_view kAggressivenessSlider = "RxSlider2";
constexpr std::string_view kNoiseDetectorSlider = "RxSlider3";

constexpr std::string_view kLevelQuery = "ATS91?";
constexpr std::string_view kLineAdaptationQuery = "ATS215?";

// The two position ends add up to 23, so the level mirrors the position.
constexpr std::int32_t kMirror = 23;

std::string levelCaption(std::int32_t level) { return "-" + std::to_string(level); }

}  // namespace

std::int32_t TransmitLevelAt(int position) { return kMirror - position; }

int PositionForTransmitLevel(std::int32_t level) { return kMirror - level; }

std::int32_t ReadTransmitLevel(std::string_view replyText) {
  return TextToInt(ReadValueAfter(replyText, kLevelQuery));
}

LineAdaptation ReadLineAdaptation(std::string_view replyText) {
  const std::string bits = ByteToBits(TextToInt(ReadValueAfter(replyText, kLineAdaptationQuery)));
  return {BitFieldValue(bits, 1, 4), BitFieldValue(bits, 5, 4)};
}

std::string TransmitLevelSetting(std::int32_t level) { return "S91=" + std::to_string(level); }

std::string LineAdaptationSetting(std::int32_t value) { return "S215=" + std::to_string(value); }

TransmitLevelPage::TransmitLevelPage(Context& context, InitString& initString)
    : context_(context), initString_(initString) {
  context_.link.setBranch(kind::TransmitLevel, [this] { showTransmitLevel(); });
  context_.link.setBranch(kind::LineAdaptation, [this] { showLineAdaptation(); });
}

void TransmitLevelPage::SpeedButton12Click() {
  context_.link.BeginRequest(kind::TransmitLevel);
  context_.link.SendText("ATE1\r");
  // S10 is asked along but its answer is not shown.
  context_.link.SendText("ATS10?\r");
  context_.link.SendText("ATS91?\r");
}

void TransmitLevelPage::SpeedButton13Click() {
  context_.link.StoreCommand(kind::None, "AT" + TransmitLevelSetting(sliderLevel()));
}

void TransmitLevelPage::SpeedButton14Click() { initString_.append(TransmitLevelSetting(sliderLevel())); }

void TransmitLevelPage::RxSlider1Changed() {
  context_.main.setText(kLevelLabel, levelCaption(sliderLevel()));
}

void TransmitLevelPage::SpeedButton15Click() {
  context_.link.BeginRequest(kind::LineAdaptation);
  context_.link.SendText("ATE1\r");
  context_.link.SendText("ATS10?\r");
  context_.link.SendText("ATS215?\r");
}

void TransmitLevelPage::SpeedButton16Click() {
  context_.link.StoreCommand(kind::None, "AT" + LineAdaptationSetting(sliderLineAdaptation()));
}

void TransmitLevelPage::SpeedButton17Click() {
  initString_.append(LineAdaptationSetting(sliderLineAdaptation()));
}

void TransmitLevelPage::showTransmitLevel() {
  const std::int32_t level = ReadTransmitLevel(context_.link.replyText());
  context_.main.setPosition(kLevelSlider, PositionForTransmitLevel(level));
  // The label shows what the modem holds even where the slider cannot (a
  // level of 25 leaves the slider at its left end, labelled "-25").
  context_.main.setText(kLevelLabel, levelCaption(level));
}

void TransmitLevelPage::showLineAdaptation() {
  const LineAdaptation read = ReadLineAdaptation(context_.link.replyText());
  context_.main.setPosition(kAggressivenessSlider, read.aggressiveness);
  context_.main.setPosition(kNoiseDetectorSlider, read.noiseDetector);
}

void TransmitLevelPage::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton12", Event::Click, [this] { SpeedButton12Click(); }});
  handlers.push_back({"TForm1", "SpeedButton13", Event::Click, [this] { SpeedButton13Click(); }});
  handlers.push_back({"TForm1", "SpeedButton14", Event::Click, [this] { SpeedButton14Click(); }});
  handlers.push_back({"TForm1", "RxSlider1", Event::UserMove, [this] { RxSlider1Changed(); }});
  handlers.push_back({"TForm1", "SpeedButton15", Event::Click, [this] { SpeedButton15Click(); }});
  handlers.push_back({"TForm1", "SpeedButton16", Event::Click, [this] { SpeedButton16Click(); }});
  handlers.push_back({"TForm1", "SpeedButton17", Event::Click, [this] { SpeedButton17Click(); }});
}

std::int32_t TransmitLevelPage::sliderLevel() const {
  return TransmitLevelAt(context_.main.position(kLevelSlider));
}

std::int32_t TransmitLevelPage::sliderLineAdaptation() const {
  return NibblesToByte(context_.main.position(kAggressivenessSlider),
                       context_.main.position(kNoiseDetectorSlider));
}

}  // namespace lintari
