// The register pages' controls under the user's hands, without a modem: the
// level and dialling-speed sliders answer a move only when it has ended, and
// only the user's own; a protocol picked from the drop-down list refills the
// rate lists, one the program selects does not.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <QtTest>

#include "app/settings_store.h"
#include "support/app_fixture.h"

using lintari::SettingsStore;
using lintari::testing_support::AppFixture;

namespace {

// The program with a modem set up and a firmware whose profile enables every
// register page, on screen.
class Rig {
 public:
  Rig() {
    f.configureModem();
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, "TRVK1");
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, "ufn");
    f.start();
  }

  template <class T = QWidget>
  [[nodiscard]] T* control(const QString& name) const {
    T* found = f.find<T>("TForm1", name.toStdString());
    if (found == nullptr) qFatal("no %s in the main window", qPrintable(name));
    return found;
  }
  void showPageOf(QWidget* widget) const {
    auto* tabs = control<QTabWidget>(QStringLiteral("PageControl1"));
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
      if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
    }
  }
  [[nodiscard]] lintari::Form& form() const { return f.app().program().context().main; }

  AppFixture f;
};

// Where the slider draws its handle now.
QRect handleOf(QSlider* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.state |= QStyle::State_Horizontal;
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  option.singleStep = slider->singleStep();
  option.pageStep = slider->pageStep();
  option.upsideDown = slider->invertedAppearance();
  option.subControls = QStyle::SC_All;
  return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

}  // namespace

class RegisterPagesTest : public QObject {
  Q_OBJECT

 private slots:
  // While the thumb is dragged the label stays; the release shows the
  // position the drag ended at.
  void aDragShowsThePositionWhenTheButtonIsReleased_data() { sliderLabels(); }
  void aDragShowsThePositionWhenTheButtonIsReleased() {
    QFETCH(QString, slider);
    QFETCH(QString, label);
    QFETCH(int, mirror);
    Rig r;
    auto* s = r.control<QSlider>(slider);
    auto* l = r.control<QLabel>(label);
    r.showPageOf(s);
    QVERIFY(QTest::qWaitForWindowExposed(r.f.window("TForm1")));
    const int start = s->value();

    const QPoint from = handleOf(s).center();
    QTest::mousePress(s, Qt::LeftButton, {}, from);
    QTest::mouseMove(s, from + QPoint(s->width() / 4, 0));
    QTest::mouseMove(s, from + QPoint(s->width() / 3, 0));
    QCoreApplication::processEvents();
    QVERIFY(s->value() > start);
    QCOMPARE(l->text(), QString());
    QTest::mouseRelease(s, Qt::LeftButton, {}, from + QPoint(s->width() / 3, 0));
    QTRY_COMPARE(l->text(), QString::number(mirror == 0 ? s->value() : -(mirror - s->value())));
  }

  // A click beside the thumb steps the slider, and the step is a move of
  // the user's.
  void aClickBesideTheThumbIsAMove_data() { sliderLabels(); }
  void aClickBesideTheThumbIsAMove() {
    QFETCH(QString, slider);
    QFETCH(QString, label);
    QFETCH(int, mirror);
    Rig r;
    auto* s = r.control<QSlider>(slider);
    auto* l = r.control<QLabel>(label);
    r.showPageOf(s);
    QVERIFY(QTest::qWaitForWindowExposed(r.f.window("TForm1")));
    const int start = s->value();
    QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(s->width() - 4, s->height() / 2));
    QVERIFY(s->value() > start);
    QTRY_COMPARE(l->text(), QString::number(mirror == 0 ? s->value() : -(mirror - s->value())));
  }

  // What the program sets raises no change handler.
  void aPositionSetByTheProgramLeavesTheLabel_data() { sliderLabels(); }
  void aPositionSetByTheProgramLeavesTheLabel() {
    QFETCH(QString, slider);
    QFETCH(QString, label);
    Rig r;
    r.form().setPosition(slider.toStdString(), 9);
    r.form().setPosition(slider.toStdString(), 150);
    QCoreApplication::processEvents();
    QCOMPARE(r.control<QSlider>(slider)->value(), r.control<QSlider>(slider)->maximum());
    QCOMPARE(r.control<QLabel>(label)->text(), QString());
  }

  // Picked from the opened list, "V34" refills the four rate lists with its
  // 20 entries and leaves them unselected; the other boxes keep theirs.
  void aProtocolPickedFromTheListRefillsTheRateLists() {
    Rig r;
    const QStringList rates{"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"};
    for (const QString& name : rates) r.control<QComboBox>(name)->setCurrentIndex(1);
    r.control<QComboBox>(QStringLiteral("ComboBox9"))->setCurrentIndex(1);
    auto* protocol = r.control<QComboBox>(QStringLiteral("ComboBox2"));
    r.showPageOf(protocol);
    QVERIFY(QTest::qWaitForWindowExposed(r.f.window("TForm1")));

    protocol->showPopup();
    QAbstractItemView* view = protocol->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());

    QCOMPARE(protocol->currentText(), QStringLiteral("V34"));
    for (const QString& name : rates) {
      auto* list = r.control<QComboBox>(name);
      QCOMPARE(list->count(), 20);
      QCOMPARE(list->currentIndex(), -1);
      QCOMPARE(list->itemText(19), QStringLiteral("33600"));
    }
    QCOMPARE(r.control<QComboBox>(QStringLiteral("ComboBox9"))->currentText(), QStringLiteral("Да"));
  }

  // The program's selection of a protocol (as a reply makes it) refills
  // nothing: the window's lists at start stay.
  void aProtocolSelectedByTheProgramRefillsNothing() {
    Rig r;
    r.form().setItemIndex("ComboBox2", 0);
    r.form().setText("ComboBox2", "V90");
    QCoreApplication::processEvents();
    QCOMPARE(r.control<QComboBox>(QStringLiteral("ComboBox2"))->currentText(), QStringLiteral("V90"));
    QList<int> counts;
    for (const char* name : {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"}) {
      counts << r.control<QComboBox>(QString::fromLatin1(name))->count();
    }
    QCOMPARE(counts, (QList<int>{45, 45, 22, 37}));
  }

 private:
  static void sliderLabels() {
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("mirror");
    QTest::newRow("transmit level") << "RxSlider1"
                                    << "RxLabel1" << 23;
    QTest::newRow("tone dialling speed") << "RxSlider4"
                                         << "RxLabel12" << 0;
  }
};

QTEST_MAIN(RegisterPagesTest)
#include "register_pages_test.moc"
