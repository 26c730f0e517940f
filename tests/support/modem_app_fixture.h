#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/logic_fixture.h"
#include "common/simulator.h"
#include "core/memory_registry.h"
#include "platform/linux_serial_port.h"
#include "platform/monotonic_clock.h"
#include "support/recording_message_boxes.h"
#include "ui/application.h"
#include "ui/qt_form.h"

namespace lintari::testing_support {

// Lintari started in-process against lintari-modemsim over a real
// pseudo-terminal: an in-memory hive whose serial map points COM1 at the
// simulator's link, the Linux serial port, the monotonic clock, and recorded
// message boxes. Construct with the simulator's options, adjust the hive,
// then start().
class ModemAppFixture {
 public:
  static constexpr std::string_view kNtClassKey =
      "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
  static constexpr std::string_view kDriverKey =
      "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

  // `simulatorOptions` such as {"--firmware", "kq1"} or {"--no-echo"}. The
  // settings hold `path` (the driver key above, which exists) and `port` "1".
  explicit ModemAppFixture(std::vector<std::string> simulatorOptions = {});
  // The same over another hive, such as a HiveFileRegistry on a file: the
  // settings, the driver key and the serial map go there, and `registry`
  // stays unused. `hive` must outlive the fixture.
  ModemAppFixture(std::vector<std::string> simulatorOptions, Registry& hive);
  ~ModemAppFixture();
  ModemAppFixture(const ModemAppFixture&) = delete;
  ModemAppFixture& operator=(const ModemAppFixture&) = delete;

  // Starts the simulator (a failure is thrown as std::runtime_error), then
  // the program.
  ui::LintariApp& start();
  [[nodiscard]] ui::LintariApp& app() const { return *app_; }

  [[nodiscard]] QWidget* window(std::string_view name) const;
  template <class T = QObject>
  [[nodiscard]] T* find(std::string_view window, std::string_view name) const {
    QWidget* w = this->window(window);
    if (w->objectName() == ui::toQString(name)) return qobject_cast<T*>(w);
    return w->findChild<T*>(ui::toQString(name));
  }

  // Clicks a button of a window by its design name (fails the test through
  // an exception when there is none or it is disabled).
  void click(std::string_view window, std::string_view button) const;
  // Runs the event loop until the request now pending has been answered and
  // handled (nothing pending and no deadline left), at most `seconds`.
  // Returns false on time-out.
  bool settle(int seconds = 10) const;
  // What the simulator received so far, as text.
  [[nodiscard]] std::string received() const;
  // The hive the program runs on: `registry`, or the one given.
  [[nodiscard]] Registry& hive() const { return *hive_; }

  TempDir dir;
  ModemSimulator simulator;
  MemoryRegistry registry;
  MonotonicClock clock;
  LinuxSerialPort port;
  RecordingShell shell;
  RecordingMessageBoxes boxes;

 private:
  ModemAppFixture(std::vector<std::string> simulatorOptions, Registry* hive);

  Registry* hive_;
  std::unique_ptr<ui::LintariApp> app_;
};

}  // namespace lintari::testing_support
