// The yardstick of the program benchmark: the least a Qt 6 Widgets program
// with Lintari's main window shape does: a fixed 351 x 368 window holding a
// tab control with six empty pages under the same captions. Like lintari
// under LINTARI_REPORT_SHOWN=1, it prints "shown <CLOCK_MONOTONIC ns>" on
// standard error when its window is first exposed.
#include <QApplication>
#include <QTabWidget>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>

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

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("minimal_qt"));
  window.setFixedSize(351, 368);
  auto* tabs = new QTabWidget(&window);
  tabs->setGeometry(3, 3, 345, 329);
  for (const char* caption :
       {"Главная", "Уровни сигналов", "Регистры +", "Скорость", "Информация", "Дополнительно"}) {
    tabs->addTab(new QWidget, QString::fromUtf8(caption));
  }
  window.show();
  window.windowHandle()->installEventFilter(new FirstExposeReport(window.windowHandle()));
  return QApplication::exec();
}
