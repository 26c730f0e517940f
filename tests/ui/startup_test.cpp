// Start-up and the main window's frame: first run and normal run, the tray
// menu, minimising, help, links and the end of the program.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QtTest>

#include "app/design.h"
#include "support/app_fixture.h"

using lintari::testing_support::AppFixture;
namespace design = lintari::design;

namespace {

// The control's own enabled state, whatever its group or window says.
bool ownEnabled(QObject* object) {
  if (auto* action = qobject_cast<QAction*>(object)) return action->isEnabled();
  if (auto* widget = qobject_cast<QWidget*>(object)) return !widget->testAttribute(Qt::WA_ForceDisabled);
  return true;
}

// Every control of the main window whose own enabled state differs from the
// design table, by name.
QStringList changedFromDesign(const AppFixture& f) {
  QStringList changed;
  for (const design::Control& c : design::mainWindow()) {
    if (c.kind == design::Kind::Window) continue;
    QObject* object = f.find("TForm1", c.name);
    if (object == nullptr) {
      changed << "missing " + lintari::ui::toQString(c.name);
    } else if (ownEnabled(object) != c.enabled) {
      changed << lintari::ui::toQString(c.name);
    }
  }
  return changed;
}

template <class T>
T* control(const AppFixture& f, std::string_view window, std::string_view name) {
  T* found = f.find<T>(window, name);
  if (found == nullptr) qFatal("no %s in %s", std::string(name).c_str(), std::string(window).c_str());
  return found;
}

}  // namespace

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunPutsTheSetupWindowInFrontOfTheDisabledMainWindow() {
    AppFixture f;
    f.start();
    QWidget* main = f.window("TForm1");
    QWidget* setup = f.window("TForm2");
    QVERIFY(setup->isVisible());
    QVERIFY(setup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(main->isVisible());
    QVERIFY(!main->isEnabled());
    QVERIFY(!f.window("TForm4")->isVisible());
    QCOMPARE(main->windowTitle(), QStringLiteral("Lintari v 5.20"));
    QCOMPARE(control<QTabWidget>(f, "TForm1", "PageControl1")->currentIndex(), 0);

    // LMDGroupBox2, the fifth control of the no-firmware state, is disabled in
    // the design already.
    QCOMPARE(changedFromDesign(f), (QStringList{"GroupBox1", "TabSheet2", "Button1", "SpeedButton2"}));
    QVERIFY(!ownEnabled(f.find("TForm1", "LMDGroupBox2")));
    QVERIFY(f.boxes.boxes.empty());
  }

  void closingTheSetupWindowOnAFirstRunLeavesTheTrayMenuWorking() {
    AppFixture f;
    f.start();
    QWidget* main = f.window("TForm1");
    QWidget* setup = f.window("TForm2");
    setup->close();
    QVERIFY(!setup->isVisible());
    QVERIFY(!f.app().hasEnded());
    QVERIFY(!main->isEnabled());

    control<QAction>(f, "TForm1", "N1")->trigger();
    QVERIFY(main->isVisible());
    QVERIFY(!main->isEnabled());
    QVERIFY(!f.app().hasEnded());

    QSignalSpy ended(&f.app(), &lintari::ui::LintariApp::ended);
    control<QAction>(f, "TForm1", "N2")->trigger();
    QCOMPARE(ended.count(), 1);
    QVERIFY(f.app().hasEnded());
    QVERIFY(!main->isVisible());
    QVERIFY(!control<QSystemTrayIcon>(f, "TForm1", "RxTrayIcon1")->isVisible());
  }

  void trayMenuHasRestoreThenExitAndNoDefaultItem() {
    AppFixture f;
    f.start();
    auto* menu = control<QMenu>(f, "TForm1", "RxPopupMenu1");
    auto* tray = control<QSystemTrayIcon>(f, "TForm1", "RxTrayIcon1");
    QCOMPARE(tray->contextMenu(), menu);
    QVERIFY(tray->toolTip().isEmpty());
    QVERIFY(!tray->icon().isNull());
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->objectName(), QStringLiteral("N1"));
    QCOMPARE(actions[0]->text(), QStringLiteral("Развернуть"));
    QCOMPARE(actions[1]->objectName(), QStringLiteral("N2"));
    QCOMPARE(actions[1]->text(), QStringLiteral("Выход"));
    QVERIFY(menu->defaultAction() == nullptr);

    QWidget* main = f.window("TForm1");
    main->showMinimized();
    QTRY_VERIFY(!main->isVisible());
    emit tray->activated(QSystemTrayIcon::DoubleClick);
    emit tray->activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    QVERIFY(!main->isVisible());
    QVERIFY(!f.app().hasEnded());
  }

  void normalRunInitialisesTheMainWindowThreeTimesBeforeShowingIt() {
    AppFixture f;
    f.configureModem();
    f.create();
    QList<bool> visibleAtRun;
    auto& hooks = f.app().program().mainWindow().hooks();
    auto fill = hooks.fillInfoPage;
    hooks.fillInfoPage = [&] {
      visibleAtRun << f.window("TForm1")->isVisible();
      if (fill) fill();
    };
    f.start();
    QCOMPARE(visibleAtRun, (QList<bool>{false, false, false}));
    QVERIFY(f.window("TForm1")->isVisible());
    QVERIFY(f.window("TForm1")->isEnabled());
    QVERIFY(!f.window("TForm2")->isVisible());
  }

  void modemButtonShowsTheSetupWindowAndKeepsTheMainWindowUsable() {
    AppFixture f;
    f.configureModem();
    f.start();
    QTest::mouseClick(control<QPushButton>(f, "TForm1", "SpeedButton21"), Qt::LeftButton);
    QVERIFY(f.window("TForm2")->isVisible());
    QVERIFY(f.window("TForm1")->isEnabled());
    QVERIFY(f.window("TForm1")->isVisible());
  }

  void minimiseGoesToTheTrayOnlyWhenThereIsOne_data() {
    QTest::addColumn<bool>("tray");
    QTest::newRow("with a tray") << true;
    QTest::newRow("without a tray") << false;
  }
  void minimiseGoesToTheTrayOnlyWhenThereIsOne() {
    QFETCH(bool, tray);
    AppFixture f;
    f.configureModem();
    f.trayAvailable = tray;
    f.start();
    QWidget* main = f.window("TForm1");
    main->showMinimized();
    QCoreApplication::processEvents();
    if (tray) {
      QTRY_VERIFY(!main->isVisible());
    } else {
      QVERIFY(main->isVisible());
      QVERIFY(main->isMinimized());
    }

    control<QAction>(f, "TForm1", "N1")->trigger();
    QVERIFY(main->isVisible());
    QVERIFY(!main->isMinimized());
    QVERIFY(main->isEnabled());
    QVERIFY(!f.app().hasEnded());
  }

  void helpAndLinksGoToTheDesktop() {
    AppFixture f;
    f.configureModem();
    f.start();
    QTest::mouseClick(control<QPushButton>(f, "TForm1", "SpeedButton1"), Qt::LeftButton);
    auto* beta = control<QLabel>(f, "TForm1", "Label20");
    auto* maker = control<QLabel>(f, "TForm1", "Label22");
    QCOMPARE(beta->text().toStdString(), std::string(design::kBetaTestersSite));
    QTest::mouseClick(beta, Qt::LeftButton);
    maker->setFocus();
    QTest::keyClick(maker, Qt::Key_Space);
    QCOMPARE(f.shell.opened,
             (std::vector<std::string>{std::string(design::kHelpFile), std::string(design::kBetaTestersSite),
                                       std::string(design::kMakerSite)}));
    QVERIFY(f.boxes.boxes.empty());
  }

  void everyWayOfClosingTheMainWindowEndsTheProgram_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Выход below the pages") << QStringLiteral("SpeedButton3");
    QTest::newRow("Выход in the tray menu") << QStringLiteral("N2");
    QTest::newRow("title bar") << QString();
  }
  void everyWayOfClosingTheMainWindowEndsTheProgram() {
    QFETCH(QString, way);
    AppFixture f;
    f.configureModem();
    f.start();
    QTest::mouseClick(control<QPushButton>(f, "TForm1", "SpeedButton21"), Qt::LeftButton);
    QVERIFY(f.window("TForm2")->isVisible());
    if (way == "SpeedButton3") {
      QTest::mouseClick(control<QPushButton>(f, "TForm1", "SpeedButton3"), Qt::LeftButton);
    } else if (way == "N2") {
      control<QAction>(f, "TForm1", "N2")->trigger();
    } else {
      f.window("TForm1")->close();
    }
    QVERIFY(f.app().hasEnded());
    QVERIFY(!f.window("TForm1")->isVisible());
    QVERIFY(!f.window("TForm2")->isVisible());
  }
};

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
