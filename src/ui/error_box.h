#pragma once

#include <QString>
#include <string_view>

class QWidget;

namespace lintari::ui {

// The seam between the program and its modal boxes: the Qt implementation
// shows real QMessageBoxes, tests put a recorder in its place so that no
// modal dialog blocks them.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // The error box: critical icon, one OK button.
  virtual void critical(const QString& title, const QString& text) = 0;
  // A plain message with one OK button.
  virtual void information(const QString& title, const QString& text) = 0;
};

MessageBoxes& messageBoxes();
// nullptr puts the Qt implementation back.
void setMessageBoxes(MessageBoxes* boxes);

// Shows the error box for a message: title "LTRI", the message with "."
// appended where its last character calls for it.
void showErrorBox(std::string_view message);

// The one guarded entry: every event handler, reply branch and port
// notification runs through it. An Error (or any other exception) leaves the
// handler, whatever the handler changed before stays changed, and the error
// box shows it; nothing unwinds into Qt's event loop.
template <class Handler>
void guarded(Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& e) {
    showErrorBox(e.what());
  }
}

}  // namespace lintari::ui
