#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "common/fake_clock.h"
#include "common/fake_port.h"
#include "common/logic_fixture.h"
#include "core/memory_registry.h"
#include "support/recording_message_boxes.h"
#include "ui/application.h"
#include "ui/qt_form.h"

namespace lintari::testing_support {

// Lintari started in-process over an in-memory hive, a port that refuses to
// open, a recording desktop shell and recorded message boxes. Create it, set
// up the hive, then start().
class AppFixture {
 public:
  static constexpr std::string_view kNtClassKey =
      "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

  AppFixture();
  ~AppFixture();
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;

  // `path` and `port` as a saved setup leaves them.
  void configureModem(const std::string& path = std::string(kNtClassKey) + "\\0000",
                      std::string_view port = "1");
  // An installed modem: a subkey of the NT class key with its "Model".
  void addModem(std::string_view subkey, std::string_view model);

  // Creates the windows and binds the handlers; start() also runs start-up.
  ui::LintariApp& create();
  ui::LintariApp& start();
  [[nodiscard]] ui::LintariApp& app() const { return *app_; }

  // "TForm1", "TForm2" or "TForm4".
  [[nodiscard]] QWidget* window(std::string_view name) const;
  // A control of a window by its design name; nullptr when there is none.
  template <class T = QObject>
  [[nodiscard]] T* find(std::string_view window, std::string_view name) const {
    QWidget* w = this->window(window);
    if (w->objectName() == ui::toQString(name)) return qobject_cast<T*>(w);
    return w->findChild<T*>(ui::toQString(name));
  }

  MemoryRegistry registry;
  FakeClock clock;
  FakePort port{clock};
  RecordingShell shell;
  RecordingMessageBoxes boxes;
  // What the desktop answers when asked for a tray at a minimise.
  bool trayAvailable = true;

 private:
  std::unique_ptr<ui::LintariApp> app_;
};

}  // namespace lintari::testing_support
