#include "pages/extended_registers_page.h"

#include "core/text_to_int.h"
#include "link/codecs.h"
#include "link/modem_link.h"

namespace lintari {
namespace {

constexpr std::string_view kFirstList = "CheckListBox1";
constexpr std::string_view kSecondList = "CheckListBox2";
constexpr std::string_view kSecondName = "Label5";

// Item k of a list is bit k of its register.
constexpr int kBits = 8;

std::string secondQuery(std::string_view name) { return "AT" + std::string(name) + "?"; }

}  // namespace

ExtendedRegisters ReadExtendedRegisters(std::string_view replyText, std::string_view secondName) {
  const std::int32_t s216 = TextToInt(ReadValueAfter(replyText, "ATS216?"));
  const std::int32_t second = TextToInt(ReadValueAfter(replyText, secondQuery(secondName)));
  return {s216, second};
}

std::string ExtendedRegistersSetting(const ExtendedRegisters& values, std::string_view secondName) {
  return "S216=" + std::to_string(values.s216) + std::string(secondName) + "=" +
         std::to_string(values.second);
}

ExtendedRegistersPage::ExtendedRegistersPage(Context& context, InitString& initString)
    : context_(context), initString_(initString) {
  context_.link.setBranch(kind::ExtendedRegisters, [this] { showRegisters(); });
}

void ExtendedRegistersPage::Button1Click() {
  context_.link.BeginRequest(kind::ExtendedRegisters);
  context_.link.SendText("ATE1\r");
  context_.link.SendText("ATS216?\r");
  context_.link.SendText(secondQuery(secondName()) + "\r");
}

void ExtendedRegistersPage::SpeedButton2Click() {
  const std::string name = secondName();
  context_.link.StoreCommand(kind::None, "AT" + ExtendedRegistersSetting(checkedValues(), name));
}

void ExtendedRegistersPage::SpeedButton7Click() {
  const std::string name = secondName();
  initString_.append(ExtendedRegistersSetting(checkedValues(), name));
}

void ExtendedRegistersPage::showRegisters() {
  // Both values are converted before any item changes, so a reply cut short
  // leaves both lists as they were.
  const ExtendedRegisters values = ReadExtendedRegisters(context_.link.replyText(), secondName());
  showBits(kFirstList, values.s216);
  showBits(kSecondList, values.second);
}

void ExtendedRegistersPage::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "Button1", Event::Click, [this] { Button1Click(); }});
  handlers.push_back({"TForm1", "SpeedButton2", Event::Click, [this] { SpeedButton2Click(); }});
  handlers.push_back({"TForm1", "SpeedButton7", Event::Click, [this] { SpeedButton7Click(); }});
}

std::string ExtendedRegistersPage::secondName() const { return context_.main.text(kSecondName); }

ExtendedRegisters ExtendedRegistersPage::checkedValues() const {
  return {checkedValue(kFirstList), checkedValue(kSecondList)};
}

std::int32_t ExtendedRegistersPage::checkedValue(std::string_view list) const {
  std::string bits;
  for (int k = 0; k < kBits; ++k) bits += context_.main.isChecked(list, k) ? '1' : '0';
  return BitsToByte(bits);
}

void ExtendedRegistersPage::showBits(std::string_view list, std::int32_t value) {
  // ByteToBits gives at least eight characters for any value; above 255 the
  // eighth is a digit from 2 to 7, which leaves item 7 unchecked.
  const std::string bits = ByteToBits(value);
  for (int k = 0; k < kBits; ++k) context_.main.setChecked(list, k, bits[static_cast<std::size_t>(k)] == '1');
}

}  // namespace lintari
