#include "pages/tone_dialling_page.h"

#include "core/text_to_int.h"
#include "link/modem_link.h"

namespace lintari {
namespace {

constexpr std::string_view kSlider = "RxSlider4";
constexpr std::string_view kLabel = "RxLabel12";

}  // namespace

std::int32_t ReadToneDiallingSpeed(std::string_view replyText) {
  return TextToInt(ReadValueAfter(replyText, "ATS11?"));
}

std::string ToneDiallingSetting(std::int32_t value) { return "S11=" + std::to_string(value); }

ToneDiallingPage::ToneDiallingPage(Context& context, InitString& initString)
    : context_(context), initString_(initString) {
  context_.link.setBranch(kind::ToneDialling, [this] { showToneDiallingSpeed(); });
}

void ToneDiallingPage::SpeedButton22Click() {
  context_.link.BeginRequest(kind::ToneDialling);
  context_.link.SendText("ATE1\r");
  context_.link.SendText("ATS11?\r");
  // S91 is asked along but its answer is not shown.
  context_.link.SendText("ATS91?\r");
}

void ToneDiallingPage::SpeedButton23Click() {
  context_.link.StoreCommand(kind::None, "AT" + ToneDiallingSetting(sliderValue()));
}

void ToneDiallingPage::SpeedButton24Click() { initString_.append(ToneDiallingSetting(sliderValue())); }

void ToneDiallingPage::RxSlider4Changed() { context_.main.setText(kLabel, std::to_string(sliderValue())); }

void ToneDiallingPage::showToneDiallingSpeed() {
  const std::int32_t value = ReadToneDiallingSpeed(context_.link.replyText());
  context_.main.setPosition(kSlider, value);
  // The label shows what the modem holds even where the slider cannot (1
  // leaves the slider at 3, labelled "1").
  context_.main.setText(kLabel, std::to_string(value));
}

void ToneDiallingPage::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton22", Event::Click, [this] { SpeedButton22Click(); }});
  handlers.push_back({"TForm1", "SpeedButton23", Event::Click, [this] { SpeedButton23Click(); }});
  handlers.push_back({"TForm1", "SpeedButton24", Event::Click, [this] { SpeedButton24Click(); }});
  handlers.push_back({"TForm1", "RxSlider4", Event::UserMove, [this] { RxSlider4Changed(); }});
}

std::int32_t ToneDiallingPage::sliderValue() const { return context_.main.position(kSlider); }

}  // namespace lintari
