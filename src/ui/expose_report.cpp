#include "ui/expose_report.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace lintari::ui {
namespace {

class FirstExposeReport : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      std::fprintf(stderr, "shown %lld\n",
                   static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
      std::fflush(stderr);
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }
};

}  // namespace

void reportFirstExpose(QWidget* window) {
  QWindow* handle = window->windowHandle();
  if (handle != nullptr) handle->installEventFilter(new FirstExposeReport(handle));
}

}  // namespace lintari::ui
