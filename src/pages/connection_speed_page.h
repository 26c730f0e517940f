#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "pages/init_string.h"

namespace lintari {

// The fields of the modem's AT+MS setting as text, in the order in which the
// modem reports them and takes them.
struct SpeedSetting {
  std::string protocol;   // "V92"
  std::string automatic;  // "0" off, "1" on
  std::string lowTransmit;
  std::string highTransmit;
  std::string lowReceive;
  std::string highReceive;
};

// The answer to "AT+MS?" in a connection-speed reply. With CR and LF removed
// the reply reads "ATE1OKAT+MS?+MS: V92,1,300,48000,300,56000OKATS210?005OK":
// the setting stands after the echo and the answer's five-character prefix
// "+MS: ", and ends before the "OK" that precedes the echo "ATS210?". Only
// positions count; nullopt when either echo is missing or the second comes
// too soon after the first to leave room for prefix and OK.
std::optional<std::string_view> ReadSpeedSettingText(std::string_view replyText);

// The setting text cut at its first five commas: field 6 is everything after
// the fifth. nullopt with fewer than five commas. Fields keep their blanks;
// the conversion of the numbers skips leading ones.
std::optional<SpeedSetting> SplitSpeedSetting(std::string_view text);

// Both: the setting a connection-speed reply holds, nullopt when it holds no
// whole one.
std::optional<SpeedSetting> ParseSpeedSetting(std::string_view replyText);

// "+MS=V92,1,300,48000,300,56000": the init string's piece; the command is
// "AT" and it.
std::string ConnectionSpeedSetting(const SpeedSetting& setting);

// The item of the protocol list whose text is `protocol`, whole and with
// case, looked for from item 1 on; item 0 ("V32") when none is.
int ProtocolItem(const std::vector<std::string>& items, std::string_view protocol);

// The item of a rate list whose number equals `rate`, looked for from item 1
// on; item 0 when none does. Item 0 is "75" in every list, so a reported 75
// selects it as well.
int RateItem(const std::vector<std::string>& items, std::int32_t rate);

// The symbol-rate item for a value of S210: bits 0 to 2 give n from 0 to 7,
// and n selects item n - 1 ("2400" for 1 to "3429" for 5); -1, no selection,
// for n of 0, 6 or 7.
int SymbolRateItem(std::int32_t s210);

// The symbol-rate item for the S210 value in a reply, the three characters
// after "ATS210?". Throws the conversion error when they are not a number.
int ReadSymbolRateItem(std::string_view replyText);

// The "Скорость" page: protocol (ComboBox2), automatic mode (ComboBox9), the
// four rate limits (ComboBox3..ComboBox6) of AT+MS, and the symbol rate
// (ComboBox8) in bits 0 to 2 of S210. Plugs the connection-speed reply branch
// into the link.
class ConnectionSpeedPage {
 public:
  ConnectionSpeedPage(Context& context, InitString& initString);
  ConnectionSpeedPage(const ConnectionSpeedPage&) = delete;
  ConnectionSpeedPage& operator=(const ConnectionSpeedPage&) = delete;

  // The four rate lists for a protocol, each left without a selection; a name
  // that is not one of the five protocols changes nothing.
  void FillSpeedLists(std::string_view protocol);

  // The user picked a protocol.
  void ComboBox2Change();
  // "Считать", "Записать", "В строку".
  void SpeedButton9Click();
  void SpeedButton10Click();
  void SpeedButton11Click();

  void bind(Handlers& handlers);

 private:
  void showSpeedSetting();
  // The setting as the six boxes hold it; nullopt unless every one of them
  // has a selection.
  [[nodiscard]] std::optional<SpeedSetting> selectedSetting() const;

  Context& context_;
  InitString& initString_;
};

}  // namespace lintari
