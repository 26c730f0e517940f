#pragma once

#include <string_view>

#include "app/context.h"

namespace lintari {

// The driver's init string: the "USERINIT" value of the modem driver key that
// the `path` setting names, edited in Edit1 on the main page.
class InitString {
 public:
  static constexpr std::string_view kValueName = "USERINIT";

  explicit InitString(Context& context) : context_(context) {}

  // "Читать": the stored string, or an empty box when there is none.
  void Button3Click();
  // "Записать": stores the box, an empty box as an empty string.
  void SpeedButton19Click();
  // "Очистить".
  void SpeedButton20Click();
  // What every "В строку" button does: the piece joins the end of the box,
  // with no separator; nothing is sent or stored.
  void append(std::string_view piece);

  void bind(Handlers& handlers);

 private:
  Context& context_;
};

}  // namespace lintari
