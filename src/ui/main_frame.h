#pragma once

#include <QObject>
#include <functional>

class QSystemTrayIcon;
class QWidget;

namespace lintari::ui {

// The main window's frame behaviour that belongs to the desktop: the tray
// icon RxTrayIcon1 with its menu RxPopupMenu1, minimising to the tray, and
// the end of the program when the main window closes.
//
// Minimised, the window leaves the taskbar and only the tray icon remains;
// where the desktop has no tray at that moment, it stays minimised in the
// taskbar instead, so that it can always be brought back. The tray icon
// reacts to its menu only: it has no default item, so a click or a double
// click on the icon does nothing.
class MainFrame : public QObject {
  Q_OBJECT

 public:
  using TrayAvailable = std::function<bool()>;

  MainFrame(QWidget* main, TrayAvailable trayAvailable);

  [[nodiscard]] bool isClosed() const { return closed_; }

 signals:
  // The main window was closed (title bar, "Выход", tray "Выход"): the
  // program ends.
  void mainWindowClosed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void minimised();

  QWidget* main_;
  QSystemTrayIcon* tray_;
  TrayAvailable trayAvailable_;
  bool closed_ = false;
};

}  // namespace lintari::ui
