#include "pages/init_string.h"

#include "core/error.h"

namespace lintari {

namespace {
constexpr std::string_view kBox = "Edit1";
}  // namespace

void InitString::Button3Click() {
  // Opened with write access like the write, so a user who may only read the
  // driver key sees an empty box; the key is never created.
  auto key = context_.registry.openReadWrite(context_.settings.ReadModemKeyPath());
  std::string text;
  if (key) text = key->readString(kValueName).value_or(std::string());
  context_.main.setText(kBox, text);
}

void InitString::SpeedButton19Click() {
  auto key = context_.registry.openReadWrite(context_.settings.ReadModemKeyPath());
  if (!key) throw Error(formatMessage("Failed to set data for '%s'", {kValueName}));
  key->writeString(kValueName, context_.main.text(kBox));
}

void InitString::SpeedButton20Click() { context_.main.setText(kBox, ""); }

void InitString::append(std::string_view piece) {
  context_.main.setText(kBox, context_.main.text(kBox) + std::string(piece));
}

void InitString::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton18", Event::Click, [this] { Button3Click(); }});
  handlers.push_back({"TForm1", "SpeedButton19", Event::Click, [this] { SpeedButton19Click(); }});
  handlers.push_back({"TForm1", "SpeedButton20", Event::Click, [this] { SpeedButton20Click(); }});
}

}  // namespace lintari
