#include "ui/qt_window_host.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "core/error.h"
#include "ui/error_box.h"
#include "ui/qt_form.h"

namespace lintari::ui {
namespace {

void centreOnce(QWidget* window, bool& placed) {
  if (placed) return;
  placed = true;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void bringUp(QWidget* window) {
  window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace

QtWindowHost::QtWindowHost(QWidget* main, QWidget* setup, QWidget* diagram)
    : main_(main), setup_(setup), diagram_(diagram) {}

void QtWindowHost::hideMainWindow() { main_->hide(); }

void QtWindowHost::showMainWindow() {
  centreOnce(main_, mainPlaced_);
  bringUp(main_);
}

void QtWindowHost::setMainWindowEnabled(bool enabled) { main_->setEnabled(enabled); }

void QtWindowHost::showSetupWindow() {
  centreOnce(setup_, setupPlaced_);
  bringUp(setup_);
}

void QtWindowHost::hideSetupWindow() { setup_->hide(); }

void QtWindowHost::showDiagramWindow() { bringUp(diagram_); }

void QtWindowHost::hideDiagramWindow() { diagram_->hide(); }

void QtWindowHost::showMessage(std::string_view text) {
  messageBoxes().information(toQString(kAppTitle), toQString(text));
}

void QtWindowHost::showError(std::string_view message) { showErrorBox(message); }

void QtWindowHost::closeMainWindow() { main_->close(); }

}  // namespace lintari::ui
