#pragma once

#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_store.h"
#include "link/modem_link.h"
#include "support/modem_app_fixture.h"
#include "ui/error_box.h"
#include "ui/port_pump.h"

namespace lintari::testing_support {

inline constexpr std::string_view kStoreProfiles = "at&w&w0&w1\r";

// The program against the simulator, as the register pages' tests use it:
// controls by design name, buttons pressed with their answers handled, what
// the modem got since a mark, and the modem's state set up through the link.
class RegisterPageRig {
 public:
  // A non-empty `version` is stored (with its series) before start-up, so
  // that the capability profile of that firmware applies.
  explicit RegisterPageRig(std::vector<std::string> simulatorOptions = {}, std::string_view series = {},
                           std::string_view version = {})
      : f(std::move(simulatorOptions)) {
    if (!version.empty()) {
      f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, series);
      f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, version);
    }
    f.start();
  }

  template <class T = QWidget>
  [[nodiscard]] T* control(std::string_view name) const {
    T* found = f.find<T>("TForm1", name);
    if (found == nullptr) qFatal("no %s in the main window", std::string(name).c_str());
    return found;
  }

  // The user brings the button's page to the front and presses it; then the
  // event loop runs until its answer has been handled.
  [[nodiscard]] bool press(std::string_view button) const {
    showPageOf(control(button));
    f.click("TForm1", button);
    return f.settle();
  }

  void showPageOf(QWidget* widget) const {
    auto* tabs = control<QTabWidget>("PageControl1");
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
      if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
    }
  }

  // Makes the modem hold a setting: the command and the store go out through
  // the program's link, as any write would send them.
  [[nodiscard]] bool hold(std::string_view command) const {
    f.app().program().link().StoreCommand(kind::None, command);
    pump()->sync();
    return f.settle();
  }

  // A request of `kind` whose reply buffer holds `replyText` when its
  // transmit-empty notice comes, for replies the simulator cannot give. The
  // branch runs through the guarded entry, as the port's events do.
  void answer(RequestKind kind, std::string_view replyText) const {
    ModemLink& link = f.app().program().link();
    link.BeginRequest(kind);
    link.VaCommRxBuf(replyText);
    ui::guarded([&link] { link.VaCommTxEmpty(); });
    pump()->sync();
    QCoreApplication::processEvents();
  }

  [[nodiscard]] std::size_t mark() const { return f.received().size(); }
  // What the modem received after `mark`.
  [[nodiscard]] QString receivedSince(std::size_t mark) const {
    const std::string all = f.received();
    return QString::fromStdString(mark < all.size() ? all.substr(mark) : std::string());
  }

  [[nodiscard]] QString initString() const { return control<QLineEdit>("Edit1")->text(); }
  [[nodiscard]] QStringList errors() const { return f.boxes.texts(RecordingMessageBoxes::Kind::Critical); }

  [[nodiscard]] ui::PortPump* pump() const {
    auto* found = f.find<ui::PortPump>("TForm1", ui::PortPump::kObjectName);
    if (found == nullptr) qFatal("no serial port component");
    return found;
  }

  ModemAppFixture f;
};

// A command as a write sends it: the line, then the store into the profiles.
inline QString stored(const QString& command) { return command + "\r" + QString::fromLatin1(kStoreProfiles); }

// The error box's text for a value that is not a number.
inline QString conversionError(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value.").arg(text);
}

}  // namespace lintari::testing_support
