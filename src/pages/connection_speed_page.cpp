#include "pages/connection_speed_page.h"

#include <array>

#include "core/error.h"
#include "core/text_to_int.h"
#include "link/codecs.h"
#include "link/modem_link.h"
#include "pages/speed_lists.h"

namespace lintari {
namespace {

constexpr std::string_view kProtocol = "ComboBox2";
constexpr std::string_view kAutomatic = "ComboBox9";
constexpr std::string_view kLowReceive = "ComboBox3";
constexpr std::string_view kHighReceive = "ComboBox4";
constexpr std::string_view kLowTransmit = "ComboBox5";
constexpr std::string_view kHighTransmit = "ComboBox6";
constexpr std::string_view kSymbolRate = "ComboBox8";

constexpr std::string_view kSettingEcho = "AT+MS?";
constexpr std::string_view kSymbolRateEcho = "ATS210?";
constexpr std::size_t kAnswerPrefix = std::string_view("+MS: ").size();
constexpr std::size_t kFinalResult = std::string_view("OK").size();
constexpr std::size_t kFields = 6;

struct RateBox {
  std::string_view list;
  std::string SpeedSetting::*field;
};

// In the order the reply sets them: when a field is not a number, the boxes
// before it keep what they were just given.
constexpr std::array<RateBox, 4> kRateBoxes{{
    {kLowReceive, &SpeedSetting::lowReceive},
    {kHighReceive, &SpeedSetting::highReceive},
    {kLowTransmit, &SpeedSetting::lowTransmit},
    {kHighTransmit, &SpeedSetting::highTransmit},
}};

constexpr int kNoSelection = -1;

}  // namespace

std::optional<std::string_view> ReadSpeedSettingText(std::string_view replyText) {
  const std::size_t settingEcho = replyText.find(kSettingEcho);
  const std::size_t symbolRateEcho = replyText.find(kSymbolRateEcho);
  if (settingEcho == std::string_view::npos || symbolRateEcho == std::string_view::npos) return std::nullopt;
  const std::size_t start = settingEcho + kSettingEcho.size() + kAnswerPrefix;
  if (symbolRateEcho < start + kFinalResult) return std::nullopt;
  return replyText.substr(start, symbolRateEcho - kFinalResult - start);
}

std::optional<SpeedSetting> SplitSpeedSetting(std::string_view text) {
  std::array<std::string, kFields> fields;
  std::string_view rest = text;
  for (std::size_t i = 0; i + 1 < kFields; ++i) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    fields[i] = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
  }
  fields[kFields - 1] = rest;
  return SpeedSetting{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

std::optional<SpeedSetting> ParseSpeedSetting(std::string_view replyText) {
  const std::optional<std::string_view> text = ReadSpeedSettingText(replyText);
  if (!text) return std::nullopt;
  return SplitSpeedSetting(*text);
}

std::string ConnectionSpeedSetting(const SpeedSetting& setting) {
  return "+MS=" + setting.protocol + "," + setting.automatic + "," + setting.lowTransmit + "," +
         setting.highTransmit + "," + setting.lowReceive + "," + setting.highReceive;
}

int ProtocolItem(const std::vector<std::string>& items, std::string_view protocol) {
  for (std::size_t i = 1; i < items.size(); ++i) {
    if (items[i] == protocol) return static_cast<int>(i);
  }
  return 0;
}

int RateItem(const std::vector<std::string>& items, std::int32_t rate) {
  for (std::size_t i = 1; i < items.size(); ++i) {
    if (TextToInt(items[i]) == rate) return static_cast<int>(i);
  }
  return 0;
}

int SymbolRateItem(std::int32_t s210) {
  // Items 0 to 4 are S210 = 1 to 5; 6 and 7 name no symbol rate the list offers.
  constexpr int kItems = 5;
  const int n = BitFieldValue(ByteToBits(s210), 1, 3);
  return n >= 1 && n <= kItems ? n - 1 : kNoSelection;
}

int ReadSymbolRateItem(std::string_view replyText) {
  return SymbolRateItem(TextToInt(ReadValueAfter(replyText, kSymbolRateEcho)));
}

ConnectionSpeedPage::ConnectionSpeedPage(Context& context, InitString& initString)
    : context_(context), initString_(initString) {
  context_.link.setBranch(kind::ConnectionSpeed, [this] { showSpeedSetting(); });
}

void ConnectionSpeedPage::FillSpeedLists(std::string_view protocol) {
  const std::optional<SpeedLists> lists = speedListsFor(protocol);
  if (!lists) return;
  context_.main.setItems(kLowReceive, lists->receive);
  context_.main.setItems(kHighReceive, lists->receive);
  context_.main.setItems(kLowTransmit, lists->transmit);
  context_.main.setItems(kHighTransmit, lists->transmit);
}

void ConnectionSpeedPage::ComboBox2Change() { FillSpeedLists(context_.main.text(kProtocol)); }

void ConnectionSpeedPage::SpeedButton9Click() {
  context_.link.BeginRequest(kind::ConnectionSpeed);
  context_.link.SendText("ATE1\r");
  context_.link.SendText("AT+MS?\r");
  context_.link.SendText("ATS210?\r");
}

void ConnectionSpeedPage::SpeedButton10Click() {
  if (const std::optional<SpeedSetting> setting = selectedSetting()) {
    context_.link.StoreCommand(kind::None, "AT" + ConnectionSpeedSetting(*setting));
  }
  const int symbolRate = context_.main.itemIndex(kSymbolRate);
  if (symbolRate >= 0) {
    // The whole register is written, so its bits above the symbol rate become 0.
    context_.link.StoreCommand(kind::None, "ATS210=" + std::to_string(symbolRate + 1));
  }
}

void ConnectionSpeedPage::SpeedButton11Click() {
  if (const std::optional<SpeedSetting> setting = selectedSetting()) {
    initString_.append(ConnectionSpeedSetting(*setting));
  }
}

void ConnectionSpeedPage::showSpeedSetting() {
  const std::string& reply = context_.link.replyText();
  Form& form = context_.main;
  const std::optional<SpeedSetting> setting = ParseSpeedSetting(reply);
  if (!setting) {
    // A reply without both echoes, or whose setting has fewer than six
    // fields, holds nothing to show: the page stays as it was, and the first
    // missing field fails as the empty text fails its conversion.
    throw Error(formatMessage("'%s' is not a valid integer value", {""}));
  }

  FillSpeedLists(setting->protocol);
  form.setItemIndex(kProtocol, ProtocolItem(form.items(kProtocol), setting->protocol));
  for (const RateBox& box : kRateBoxes) {
    const std::int32_t rate = TextToInt((*setting).*box.field);
    form.setItemIndex(box.list, RateItem(form.items(box.list), rate));
  }
  const std::int32_t automatic = TextToInt(setting->automatic);
  const bool known = automatic >= 0 && automatic < static_cast<std::int32_t>(form.items(kAutomatic).size());
  form.setItemIndex(kAutomatic, known ? automatic : kNoSelection);
  form.setItemIndex(kSymbolRate, ReadSymbolRateItem(reply));
}

void ConnectionSpeedPage::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "ComboBox2", Event::UserPick, [this] { ComboBox2Change(); }});
  handlers.push_back({"TForm1", "SpeedButton9", Event::Click, [this] { SpeedButton9Click(); }});
  handlers.push_back({"TForm1", "SpeedButton10", Event::Click, [this] { SpeedButton10Click(); }});
  handlers.push_back({"TForm1", "SpeedButton11", Event::Click, [this] { SpeedButton11Click(); }});
}

std::optional<SpeedSetting> ConnectionSpeedPage::selectedSetting() const {
  const Form& form = context_.main;
  for (std::string_view list :
       {kProtocol, kAutomatic, kLowReceive, kHighReceive, kLowTransmit, kHighTransmit}) {
    if (form.itemIndex(list) < 0) return std::nullopt;
  }
  return SpeedSetting{form.text(kProtocol),    std::to_string(form.itemIndex(kAutomatic)),
                      form.text(kLowTransmit), form.text(kHighTransmit),
                      form.text(kLowReceive),  form.text(kHighReceive)};
}

}  // namespace lintari
