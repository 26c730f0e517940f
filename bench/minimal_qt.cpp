// The yardstick of the program benchmark: the least a Qt 6 Widgets program
// with Lintari's main window shape does: a fixed 351 x 368 window holding a
// tab control with six empty pages under the same captions. Like lintari
// under LINTARI_REPORT_SHOWN=1, it prints "shown <CLOCK_MONOTONIC ns>" on
// standard error when its window is first exposed.
#include <QApplication>
#include <QTabWidget>
#include <QWidget>

#include "ui/expose_report.h"

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
  lintari::ui::reportFirstExpose(&window);
  return QApplication::exec();
}
