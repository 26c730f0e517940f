#include "ui/application.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <stdexcept>

#include "app/design.h"
#include "link/port_map.h"
#include "platform/hive_file_registry.h"
#include "platform/linux_serial_port.h"
#include "platform/monotonic_clock.h"
#include "platform/xdg_shell.h"
#include "ui/diagram_window.h"
#include "ui/error_box.h"
#include "ui/expose_report.h"
#include "ui/handler_binding.h"
#include "ui/main_frame.h"
#include "ui/port_pump.h"
#include "ui/qt_form.h"
#include "ui/qt_window_host.h"
#include "ui/window_builder.h"

// The resources live in a static library, which the linker would otherwise
// leave out; this must be called outside any namespace.
static void initLintariResources() { Q_INIT_RESOURCE(lintari); }

namespace lintari::ui {
namespace {

// LINTARI_REPORT_SHOWN=1 reports when the main window is first exposed,
// for the program benchmark.
void reportFirstExposeWhenAsked(QWidget* window) {
  if (qEnvironmentVariable("LINTARI_REPORT_SHOWN") == QLatin1String("1")) reportFirstExpose(window);
}

}  // namespace

LintariApp::LintariApp(Platform platform, AppOptions options) {
  initLintariResources();
  QCoreApplication::setApplicationName(toQString(kAppTitle));
  QGuiApplication::setDesktopFileName(QStringLiteral("lintari"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/lintari.png")));
  // The program ends with its main window only: closing the setup window
  // while the main window sits in the tray must not end it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (!options.trayAvailable) options.trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;

  main_ = buildWindow(design::mainWindow(),
                      [this, &platform](const design::Control& c, QObject* parent) -> QObject* {
                        if (c.name == PortPump::kObjectName)
                          return pump_ = new PortPump(platform.clock, parent);
                        return new QObject(parent);
                      });
  setup_ = buildWindow(design::setupWindow());
  // A small window that stays in front of the others; its close box only
  // hides it.
  setup_->setWindowFlags(setup_->windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
  diagram_ = buildWindow(design::diagramWindow());
  if (pump_ == nullptr) throw std::logic_error("the main window has no serial port component");

  mainForm_ = std::make_unique<QtForm>(main_.get(), design::mainWindow());
  setupForm_ = std::make_unique<QtForm>(setup_.get(), design::setupWindow());
  diagramForm_ = std::make_unique<QtForm>(diagram_.get(), design::diagramWindow());
  host_ = std::make_unique<QtWindowHost>(main_.get(), setup_.get(), diagram_.get());
  program_ = std::make_unique<Program>(
      ProgramWindows{*mainForm_, *setupForm_, *diagramForm_, *host_},
      ProgramPlatform{platform.registry, platform.port, platform.clock, platform.shell});

  // Owned by its window.
  auto* diagramView = new DiagramWindow(diagram_.get(), program_->diagram());

  pump_->watch(program_->link());
  bindHandlers(program_->handlers(),
               {{"TForm1", main_.get()}, {"TForm2", setup_.get()}, {"TForm4", diagram_.get()}},
               [this, diagramView] {
                 pump_->sync();
                 diagramView->refresh();
               });
  auto* frame = new MainFrame(main_.get(), options.trayAvailable);
  connect(frame, &MainFrame::mainWindowClosed, this, &LintariApp::end);
}

LintariApp::~LintariApp() = default;

void LintariApp::start() {
  for (const Program::CreationStep& step : program_->startUp()) guarded(step.run);
  pump_->sync();
  host_->showMainWindow();
  // On a first run the setup window is the one to work in.
  if (setup_->isVisible()) {
    setup_->raise();
    setup_->activateWindow();
  }
}

void LintariApp::end() {
  ended_ = true;
  setup_->hide();
  diagram_->hide();
  guarded([this] { program_->link().closePort(); });
  pump_->sync();
  emit ended();
}

int runLintari(int argc, char** argv) {
  QApplication application(argc, argv);
  HiveFileRegistry hive(defaultHivePath());
  LinuxSerialPort port([&hive](int number) { return devicePathForPort(hive, number); });
  MonotonicClock clock;
  XdgShell shell;
  LintariApp lintari(Platform{hive, port, clock, shell});
  // An unreadable hive is reported once, before anything reads it; the
  // program then works as on an empty, read-only hive.
  guarded([&hive] { hive.check(); });
  QObject::connect(&lintari, &LintariApp::ended, &application, [] { QCoreApplication::exit(0); });
  lintari.start();
  reportFirstExposeWhenAsked(lintari.mainWindow());
  return QApplication::exec();
}

}  // namespace lintari::ui
