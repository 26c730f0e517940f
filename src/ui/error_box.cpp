#include "ui/error_box.h"

#include <QApplication>
#include <QMessageBox>

#include "core/error.h"

namespace lintari::ui {
namespace {

class QtMessageBoxes : public MessageBoxes {
 public:
  void critical(const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
  }
  void information(const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
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
