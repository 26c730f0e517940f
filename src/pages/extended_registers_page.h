#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/context.h"
#include "pages/init_string.h"

namespace lintari {

struct ExtendedRegisters {
  std::int32_t s216;
  std::int32_t second;  // S218 or S17, as Label5 names it
};

// S216 and the second register in an extended-registers reply, the three
// characters after "ATS216?" and after "AT" + name + "?". The echoes are not
// looked for first: a missing one reads from where ReadValueAfter puts it.
// Throws the conversion error of the first value that is not a number.
ExtendedRegisters ReadExtendedRegisters(std::string_view replyText, std::string_view secondName);

// Both registers in one setting, "S216=5S218=2": the init string's piece; the
// command is "AT" and it, one line for both.
std::string ExtendedRegistersSetting(const ExtendedRegisters& values, std::string_view secondName);

// The "Регистры +" page: S216 bit by bit in CheckListBox1, the second
// register (named by Label5's text, "S218" or "S17", read afresh by every
// operation) in CheckListBox2. Plugs the extended-registers reply branch into
// the link.
class ExtendedRegistersPage {
 public:
  ExtendedRegistersPage(Context& context, InitString& initString);
  ExtendedRegistersPage(const ExtendedRegistersPage&) = delete;
  ExtendedRegistersPage& operator=(const ExtendedRegistersPage&) = delete;

  // "Считать", "Записать", "В строку".
  void Button1Click();
  void SpeedButton2Click();
  void SpeedButton7Click();

  void bind(Handlers& handlers);

 private:
  void showRegisters();
  [[nodiscard]] std::string secondName() const;
  [[nodiscard]] ExtendedRegisters checkedValues() const;
  [[nodiscard]] std::int32_t checkedValue(std::string_view list) const;
  void showBits(std::string_view list, std::int32_t value);

  Context& context_;
  InitString& initString_;
};

}  // namespace lintari
