#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "app/program.h"
#include "core/clock.h"
#include "core/registry.h"
#include "core/shell.h"
#include "link/serial_port.h"

class QWidget;

namespace lintari::ui {

class PortPump;
class QtForm;
class QtWindowHost;

// What the program runs on: the real hive, port, clock and desktop, or fakes.
struct Platform {
  Registry& registry;
  SerialPort& port;
  Clock& clock;
  Shell& shell;
};

struct AppOptions {
  // Asked at each minimise; tests answer for a desktop with or without a tray.
  std::function<bool()> trayAvailable;
};

// The whole program over a running QApplication, so that tests can start it
// in-process. The constructor creates the three windows hidden, in the order
// TForm1, TForm2, TForm4, with the program object over them and every handler
// bound; start() runs the windows' creation handlers in that order and shows
// the main window centred. Closing the main window ends the program: the
// other windows and the tray icon go, and ended() is emitted.
class LintariApp : public QObject {
  Q_OBJECT

 public:
  explicit LintariApp(Platform platform, AppOptions options = {});
  ~LintariApp() override;

  void start();

  [[nodiscard]] QWidget* mainWindow() const { return main_.get(); }
  [[nodiscard]] QWidget* setupWindow() const { return setup_.get(); }
  [[nodiscard]] QWidget* diagramWindow() const { return diagram_.get(); }
  [[nodiscard]] Program& program() const { return *program_; }
  [[nodiscard]] bool hasEnded() const { return ended_; }

 signals:
  void ended();

 private:
  void end();

  std::unique_ptr<QWidget> main_;
  std::unique_ptr<QWidget> setup_;
  std::unique_ptr<QWidget> diagram_;
  std::unique_ptr<QtForm> mainForm_;
  std::unique_ptr<QtForm> setupForm_;
  std::unique_ptr<QtForm> diagramForm_;
  std::unique_ptr<QtWindowHost> host_;
  std::unique_ptr<Program> program_;
  PortPump* pump_ = nullptr;
  bool ended_ = false;
};

// The program's entry: the user's hive (LINTARI_REGISTRY or the default
// path), the serial ports it maps, the monotonic clock and xdg-open.
int runLintari(int argc, char** argv);

}  // namespace lintari::ui
