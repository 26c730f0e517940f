#include "pages/busy_tone_page.h"

#include <cstddef>

#include "core/text_to_int.h"
#include "pages/busy_signal_diagram.h"

namespace lintari {

namespace {

constexpr std::string_view kDiagramButton = "LMD3DEffectButton1";
constexpr std::string_view kEchoOn = "ATE1\r";
// Upper-case "AT", unlike the store command of the other pages' writes.
constexpr std::string_view kStoreProfiles = "AT&w&w0&w1\r";
constexpr std::string_view kReset = "ATZ\r";

// "ATS203?": the query, and with echo on also the text that precedes the
// answer in the reply buffer.
std::string queryOf(const BusyToneRegister& r) { return "AT" + std::string(r.name) + "?"; }

std::string settingOf(const BusyToneRegister& r, std::string_view value) {
  return std::string(r.name) + "=" + std::string(value);
}

}  // namespace

std::array<std::string, 5> ReadBusyToneValues(std::string_view replyText) {
  std::array<std::string, 5> values;
  for (std::size_t i = 0; i < kBusyToneRegisters.size(); ++i) {
    values[i] = ReadValueAfter(replyText, queryOf(kBusyToneRegisters[i]));
    // Only a check: the boxes show the text as received, leading zeros kept.
    TextToInt(values[i]);
  }
  return values;
}

BusyTonePage::BusyTonePage(Context& context, InitString& initString, BusySignalDiagram& diagram)
    : context_(context), initString_(initString), diagram_(diagram) {
  context_.link.setBranch(kind::BusyTone, [this] { showReadValues(); });
}

void BusyTonePage::SpeedButton4Click() {
  context_.link.BeginRequest(kind::BusyTone);
  context_.link.SendText(kEchoOn);
  for (const BusyToneRegister& r : kBusyToneRegisters) context_.link.SendText(queryOf(r) + "\r");
  // Enabled only once the whole read has gone out; a failed send leaves it as it was.
  context_.main.setEnabled(kDiagramButton, true);
}

void BusyTonePage::showReadValues() {
  // Every value is checked before any box changes, so a broken reply leaves
  // the page as it was.
  const std::array<std::string, 5> values = ReadBusyToneValues(context_.link.replyText());
  for (std::size_t i = 0; i < kBusyToneRegisters.size(); ++i) {
    context_.main.setText(kBusyToneRegisters[i].box, values[i]);
  }
}

void BusyTonePage::SpeedButton5Click() {
  // The write is its own request kind, which no reply branch handles: what
  // the modem answers (an ERROR for a rejected value included) is collected
  // and never interpreted. Nothing between here and the end of the handler
  // changes the pending kind, since replies are dispatched only between
  // handlers, so the write stays marked as under way afterwards.
  context_.link.BeginRequest(kind::BusyToneWrite);
  std::array<std::string, 5> texts;
  for (std::size_t i = 0; i < kBusyToneRegisters.size(); ++i) {
    texts[i] = context_.main.text(kBusyToneRegisters[i].box);
    if (texts[i].empty()) return;
  }
  for (std::size_t i = 0; i < kBusyToneRegisters.size(); ++i) {
    context_.link.SendText("AT" + settingOf(kBusyToneRegisters[i], texts[i]) + "\r");
  }
  context_.link.SendText(kStoreProfiles);
  context_.link.SendText(kReset);
}

void BusyTonePage::SpeedButton8Click() {
  std::string piece;
  for (const BusyToneRegister& r : kBusyToneRegisters) piece += settingOf(r, context_.main.text(r.box));
  initString_.append(piece);
}

void BusyTonePage::LMD3DEffectButton1Click() {
  // The four times only; the number of cycles has no place in the diagram.
  std::array<int, 4> times{};
  for (std::size_t i = 0; i < times.size(); ++i) {
    times[i] = TextToInt(context_.main.text(kBusyToneRegisters[i].box));
  }
  diagram_.open(times[0], times[1], times[2], times[3]);
  context_.windows.showDiagramWindow();
}

void BusyTonePage::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton4", Event::Click, [this] { SpeedButton4Click(); }});
  handlers.push_back({"TForm1", "SpeedButton5", Event::Click, [this] { SpeedButton5Click(); }});
  handlers.push_back({"TForm1", "SpeedButton8", Event::Click, [this] { SpeedButton8Click(); }});
  handlers.push_back({"TForm1", kDiagramButton, Event::Click, [this] { LMD3DEffectButton1Click(); }});
}

}  // namespace lintari
