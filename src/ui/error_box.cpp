#include "ui/error_box.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include "core/error.h"

namespace lintari::ui {
namespace {

// LINTARI_MESSAGE_LOG names a file that gets one line per box, written
// before the box is shown, so that a script driving the real program can read
// what the user is shown while the box is still open:
//   <title> TAB <critical|information> TAB <text, line breaks as \n>
// The box is shown all the same.
void logBox(const QString& title, const char* icon, const QString& text) {
  const QString path = qEnvironmentVariable("LINTARI_MESSAGE_LOG");
  if (path.isEmpty()) return;
  QFile log(path);
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  QString shown = text;
  shown.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
  log.write((title + QLatin1Char('\t') + QLatin1String(icon) + QLatin1Char('\t') + shown + QLatin1Char('\n'))
                .toUtf8());
}

void showBox(QMessageBox::Icon icon, const char* iconName, const QString& title, const QString& text) {
  logBox(title, iconName, text);
  QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

class QtMessageBoxes : public MessageBoxes {
 public:
  void critical(const QString& title, const QString& text) override {
    showBox(QMessageBox::Critical, "critical", title, text);
  }
  void information(const QString& title, const QString& text) override {
    showBox(QMessageBox::Information, "information", title, text);
  }
};

MessageBoxes* current = nullptr;

}  // namespace

MessageBoxes& messageBoxes() {
  static QtMessageBoxes qtBoxes;
  return current != nullptr ? *current : qtBoxes;
}

void setMessageBoxes(MessageBoxes* boxes) { current = boxes; }

void showErrorBox(std::string_view message) {
  const std::string text = errorBoxText(message);
  messageBoxes().critical(QString::fromUtf8(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())),
                          QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace lintari::ui
