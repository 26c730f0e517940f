// The windows with the keyboard alone and through a screen reader: Tab
// reaches every control of a page in reading order, and whatever takes the
// focus has a name to announce.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>

#include "app/design.h"
#include "support/app_fixture.h"
#include "ui/qt_form.h"
#include "ui/tab_order.h"

namespace design = lintari::design;
using design::Control;
using design::Kind;
using lintari::testing_support::AppFixture;
using lintari::ui::toQString;

namespace {

const std::vector<Control>& tableOf(const QString& window) {
  if (window == QLatin1String("TForm1")) return design::mainWindow();
  if (window == QLatin1String("TForm2")) return design::setupWindow();
  return design::diagramWindow();
}

// A control as the design places it: the page or window it lies on and its
// box there, through the groups between.
struct Placed {
  QString surface;
  QRect box;
};

Placed placeOf(const Control& control, const std::vector<Control>& table) {
  QRect box(control.left, control.top, control.width, control.height);
  const Control* parent = design::find(table, control.parent);
  while (parent->kind != Kind::TabSheet && parent->kind != Kind::Window) {
    box.translate(parent->left, parent->top);
    parent = design::find(table, parent->parent);
  }
  return {toQString(parent->name), box};
}

// Whether a reader takes in `a` before `b`: on one row (each one's middle
// within the other's height) the left one first, else the upper one.
bool readBefore(const QRect& a, const QRect& b) {
  const bool oneRow = a.center().y() >= b.top() && a.center().y() <= b.bottom() &&
                      b.center().y() >= a.top() && b.center().y() <= a.bottom();
  return oneRow ? a.left() < b.left() : a.center().y() < b.center().y();
}

// The design name of the control that has the focus; the tab bar stands for
// its tab control.
QString focusName() {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return QStringLiteral("<nothing>");
  if (qobject_cast<QTabBar*>(focus) != nullptr) return focus->parentWidget()->objectName();
  return focus->objectName();
}

// Presses Tab from the control that has the focus until the focus comes back
// to it: the names of the controls it stopped at, the first one first.
QStringList tabRound() {
  const QString start = focusName();
  QStringList visited{start};
  for (int step = 0; step < 100; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (focusName() == start) return visited;
    visited << focusName();
  }
  return visited << QStringLiteral("<no way back>");
}

// Every control usable, so that Tab reaches those that the design or the
// missing firmware disable too.
void enableAll(QWidget* window) {
  for (QWidget* widget : window->findChildren<QWidget*>()) widget->setEnabled(true);
}

void showActive(QWidget* window) {
  window->show();
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window));
}

// The controls of one page (or of a window without pages) that Tab must
// stop at, by their widgets' focus policy.
QStringList stopsOn(const AppFixture& f, const QString& window, const QString& surface) {
  QStringList names;
  const std::vector<Control>& table = tableOf(window);
  for (const Control& c : table) {
    if (c.kind == Kind::Window || c.kind == Kind::TabSheet || c.kind == Kind::TrayIcon ||
        c.kind == Kind::PopupMenu || c.kind == Kind::MenuItem || c.kind == Kind::Component) {
      continue;
    }
    auto* widget = f.find<QWidget>(window.toStdString(), c.name);
    if ((widget->focusPolicy() & Qt::TabFocus) && placeOf(c, table).surface == surface) {
      names << toQString(c.name);
    }
  }
  return names;
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void everyControlThatTakesTheFocusHasAName_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << QStringLiteral("TForm1");
    QTest::newRow("setup window") << QStringLiteral("TForm2");
    QTest::newRow("diagram window") << QStringLiteral("TForm4");
  }

  void everyControlThatTakesTheFocusHasAName() {
    QFETCH(QString, window);
    AppFixture f;
    f.create();
    QStringList unnamed;
    int focusable = 0;
    for (QWidget* widget : f.window(window.toStdString())->findChildren<QWidget*>()) {
      // A tab control hands the focus to its tab bar, which is checked itself.
      if (widget->isWindow() || !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy() != nullptr)
        continue;
      ++focusable;
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
      if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << widget->objectName() + QLatin1Char('(') + widget->metaObject()->className() +
                       QLatin1Char(')');
      }
    }
    QVERIFY(focusable > 0);
    QCOMPARE(unnamed.join(QStringLiteral(", ")), QString());
  }

  void controlsAreNamedAsTheirLabelsReadOnTheirPage() {
    AppFixture f;
    f.create();
    const auto name = [&f](const char* control) {
      return QAccessible::queryAccessibleInterface(f.find<QWidget>("TForm1", control))
          ->text(QAccessible::Name);
    };
    QCOMPARE(name("Edit6"), QStringLiteral("Количество циклов сигнала"));
    QCOMPARE(name("ComboBox8"), QStringLiteral("Символьная скорость (макс)"));
    QCOMPARE(name("CheckListBox1"), QStringLiteral("S216"));
    // On the page, not in the group that holds the label above it.
    QCOMPARE(name("CheckListBox2"), QStringLiteral("S218"));
    QCOMPARE(name("RxSlider4"), QStringLiteral("Скорость тонального набора"));
    QCOMPARE(name("SpeedButton8"), QStringLiteral("В строку"));
    QCOMPARE(name("LMD3DEffectButton1"), QStringLiteral("Диаграмма сигнала"));
    QCOMPARE(f.find<QLabel>("TForm1", "Label10")->buddy(), f.find<QWidget>("TForm1", "Edit2"));

    // Firmware with S17 instead of S218 relabels the second bit list.
    lintari::ui::QtForm form(f.window("TForm1"), design::mainWindow());
    form.setText("Label5", "S17");
    QCOMPARE(name("CheckListBox2"), QStringLiteral("S17"));
    form.setText("LMD3DEffectButton1", "Диаграмма");
    QCOMPARE(name("LMD3DEffectButton1"), QStringLiteral("Диаграмма"));
  }

  void tabGoesThroughEachPageInReadingOrder_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("surface");
    for (const Control& c : design::mainWindow()) {
      if (c.kind == Kind::TabSheet)
        QTest::newRow(c.caption.c_str()) << QStringLiteral("TForm1") << toQString(c.name);
    }
    QTest::newRow("setup window") << QStringLiteral("TForm2") << QStringLiteral("TForm2");
    QTest::newRow("diagram window") << QStringLiteral("TForm4") << QStringLiteral("TForm4");
  }

  void tabGoesThroughEachPageInReadingOrder() {
    QFETCH(QString, window);
    QFETCH(QString, surface);
    AppFixture f;
    f.configureModem();
    f.start();
    QWidget* shown = f.window(window.toStdString());
    enableAll(shown);
    showActive(shown);

    const QStringList expectedStops = stopsOn(f, window, surface);
    QStringList round;
    QStringList onSurface;
    if (window == QLatin1String("TForm1")) {
      auto* tabs = f.find<QTabWidget>("TForm1", "PageControl1");
      tabs->setCurrentWidget(f.find<QWidget>("TForm1", surface.toStdString()));
      tabs->tabBar()->setFocus(Qt::TabFocusReason);
      round = tabRound();
      // Around the page: the tabs first, the buttons below the pages last.
      const QStringList frame = stopsOn(f, window, window);
      QVERIFY(round.size() >= frame.size());
      QCOMPARE(round.first(), QStringLiteral("PageControl1"));
      QCOMPARE(round.mid(round.size() - 2), (QStringList{"SpeedButton1", "SpeedButton3"}));
      QCOMPARE(frame.size(), 3);
      onSurface = round.mid(1, round.size() - 3);
    } else {
      f.find<QWidget>(window.toStdString(), expectedStops.first().toStdString())
          ->setFocus(Qt::TabFocusReason);
      round = tabRound();
      onSurface = round;
    }

    QStringList sortedSeen = onSurface;
    QStringList sortedExpected = expectedStops;
    sortedSeen.sort();
    sortedExpected.sort();
    QCOMPARE(sortedSeen.join(QLatin1Char(' ')), sortedExpected.join(QLatin1Char(' ')));

    const std::vector<Control>& table = tableOf(window);
    for (qsizetype i = 0; i < onSurface.size(); ++i) {
      for (qsizetype j = i + 1; j < onSurface.size(); ++j) {
        const QRect a = placeOf(*design::find(table, onSurface[i].toStdString()), table).box;
        const QRect b = placeOf(*design::find(table, onSurface[j].toStdString()), table).box;
        if (!readBefore(a, b)) QFAIL(qPrintable(onSurface[i] + " is reached before " + onSurface[j]));
      }
    }
  }

  void threePagesInTheirExactOrder_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("expected");
    // The picture button stands a little higher than the buttons of its row.
    QTest::newRow("Главная") << QStringLiteral("TabSheet1")
                             << QStringLiteral(
                                    "PageControl1 Edit2 Edit3 Edit4 Edit5 Edit6 SpeedButton4 SpeedButton5 "
                                    "SpeedButton8 LMD3DEffectButton1 Edit1 SpeedButton18 SpeedButton19 "
                                    "SpeedButton20 SpeedButton1 SpeedButton3");
    // The second bit list lies outside the group, between the first list and
    // the group's buttons.
    QTest::newRow("Регистры +") << QStringLiteral("TabSheet2")
                                << QStringLiteral(
                                       "PageControl1 CheckListBox1 CheckListBox2 Button1 SpeedButton2 "
                                       "SpeedButton7 SpeedButton1 SpeedButton3");
    QTest::newRow("Информация") << QStringLiteral("TabSheet3")
                                << QStringLiteral(
                                       "PageControl1 SpeedButton21 SpeedButton6 Label20 Label22 SpeedButton1 "
                                       "SpeedButton3");
  }

  void threePagesInTheirExactOrder() {
    QFETCH(QString, page);
    QFETCH(QString, expected);
    AppFixture f;
    f.configureModem();
    f.start();
    QWidget* main = f.window("TForm1");
    enableAll(main);
    showActive(main);
    auto* tabs = f.find<QTabWidget>("TForm1", "PageControl1");
    tabs->setCurrentWidget(f.find<QWidget>("TForm1", page.toStdString()));
    tabs->tabBar()->setFocus(Qt::TabFocusReason);
    QCOMPARE(tabRound().join(QLatin1Char(' ')), expected);

    // Shift+Tab walks back the same way.
    const qsizetype stops = expected.count(QLatin1Char(' ')) + 1;
    QStringList back{focusName()};
    for (qsizetype i = 1; i < stops; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      back.prepend(focusName());
    }
    std::rotate(back.begin(), back.end() - 1, back.end());
    QCOMPARE(back.join(QLatin1Char(' ')), expected);
  }

  void theLinksOpenFromTheKeyboardAndAScreenReader() {
    AppFixture f;
    f.configureModem();
    f.start();
    QWidget* main = f.window("TForm1");
    showActive(main);
    auto* tabs = f.find<QTabWidget>("TForm1", "PageControl1");
    tabs->setCurrentWidget(f.find<QWidget>("TForm1", "TabSheet3"));
    f.find<QWidget>("TForm1", "SpeedButton6")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("Label20"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(f.shell.opened, (std::vector<std::string>{std::string(design::kBetaTestersSite)}));

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(f.find<QWidget>("TForm1", "Label22"));
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), toQString(design::kMakerSite));
    QAccessibleActionInterface* actions = link->actionInterface();
    QVERIFY(actions != nullptr);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(f.shell.opened, (std::vector<std::string>{std::string(design::kBetaTestersSite),
                                                       std::string(design::kMakerSite)}));
  }

  void readingOrderTakesRowsFromTheTopEachFromTheLeft_data() {
    QTest::addColumn<QList<QRect>>("boxes");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("a column") << QList<QRect>{{8, 60, 80, 20}, {8, 8, 80, 20}, {8, 34, 80, 20}}
                              << QList<int>{1, 2, 0};
    QTest::newRow("a row given right to left")
        << QList<QRect>{{200, 8, 80, 20}, {100, 8, 80, 20}, {8, 8, 80, 20}} << QList<int>{2, 1, 0};
    QTest::newRow("a taller box higher up in a row")
        << QList<QRect>{{8, 152, 70, 25}, {252, 148, 37, 31}, {82, 152, 70, 25}} << QList<int>{0, 2, 1};
    QTest::newRow("an edit beside its label's row, then the next row")
        << QList<QRect>{{8, 44, 200, 22}, {216, 20, 97, 22}, {8, 20, 200, 22}} << QList<int>{2, 1, 0};
    QTest::newRow("rows that only touch stay apart")
        << QList<QRect>{{100, 0, 50, 20}, {8, 20, 50, 20}} << QList<int>{0, 1};
    QTest::newRow("nothing") << QList<QRect>{} << QList<int>{};
  }

  void readingOrderTakesRowsFromTheTopEachFromTheLeft() {
    QFETCH(QList<QRect>, boxes);
    QFETCH(QList<int>, expected);
    const std::vector<int> order = lintari::ui::readingOrder(std::vector<QRect>(boxes.begin(), boxes.end()));
    QCOMPARE(QList<int>(order.begin(), order.end()), expected);
  }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
