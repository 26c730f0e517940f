#include "ui/main_frame.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

namespace lintari::ui {

MainFrame::MainFrame(QWidget* main, TrayAvailable trayAvailable)
    : QObject(main),
      main_(main),
      tray_(main->findChild<QSystemTrayIcon*>(QStringLiteral("RxTrayIcon1"))),
      trayAvailable_(std::move(trayAvailable)) {
  auto* menu = main->findChild<QMenu*>(QStringLiteral("RxPopupMenu1"));
  if (tray_ == nullptr || menu == nullptr) throw std::logic_error("the main window has no tray icon or menu");
  tray_->setIcon(QApplication::windowIcon());
  tray_->setContextMenu(menu);
  tray_->show();
  main->installEventFilter(this);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_) {
    if (event->type() == QEvent::WindowStateChange && main_->isMinimized()) minimised();
    if (event->type() == QEvent::Close && !closed_) {
      closed_ = true;
      tray_->hide();
      emit mainWindowClosed();
    }
  }
  return QObject::eventFilter(watched, event);
}

void MainFrame::minimised() {
  if (!trayAvailable_()) return;
  // Hidden from the event loop, once the window system has finished the
  // minimise that it is reporting.
  QTimer::singleShot(0, main_, [window = QPointer<QWidget>(main_)] {
    if (window && window->isMinimized()) window->hide();
  });
}

}  // namespace lintari::ui
