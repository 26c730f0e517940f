// The windows as built from their design tables, the form over them and the
// binding of handlers to the user's events.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QtTest>

#include "app/design.h"
#include "core/error.h"
#include "support/app_fixture.h"
#include "support/recording_message_boxes.h"
#include "ui/handler_binding.h"
#include "ui/qt_form.h"
#include "ui/window_builder.h"

namespace design = lintari::design;
using design::Kind;
using lintari::Event;
using lintari::Handlers;
using lintari::testing_support::AppFixture;
using lintari::testing_support::RecordingMessageBoxes;
using lintari::ui::toQString;

namespace {

struct KindClass {
  Kind kind;
  const char* qtClass;
};

constexpr KindClass kKindClasses[] = {
    {Kind::Window, "QWidget"},
    {Kind::PageControl, "QTabWidget"},
    {Kind::TabSheet, "QWidget"},
    {Kind::GroupBox, "QGroupBox"},
    {Kind::Label, "QLabel"},
    {Kind::Edit, "QLineEdit"},
    {Kind::Button, "QAbstractButton"},
    {Kind::ComboBox, "QComboBox"},
    {Kind::CheckListBox, "QListWidget"},
    {Kind::Slider, "QSlider"},
    {Kind::Shape, "QWidget"},
    {Kind::Line, "QWidget"},
    {Kind::TrayIcon, "QSystemTrayIcon"},
    {Kind::PopupMenu, "QMenu"},
    {Kind::MenuItem, "QAction"},
    {Kind::Component, "QObject"},
};

const char* qtClassOf(Kind kind) {
  for (const KindClass& row : kKindClasses) {
    if (row.kind == kind) return row.qtClass;
  }
  return "?";
}

QStringList checkListItems(const QListWidget* list, bool* allCheckableUnchecked) {
  QStringList items;
  *allCheckableUnchecked = true;
  for (int i = 0; i < list->count(); ++i) {
    items << list->item(i)->text();
    if (!(list->item(i)->flags() & Qt::ItemIsUserCheckable) || list->item(i)->checkState() != Qt::Unchecked) {
      *allCheckableUnchecked = false;
    }
  }
  return items;
}

QStringList toQStringList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& t : texts) list << QString::fromStdString(t);
  return list;
}

// Every difference between a built window and its design table.
QStringList differencesFromDesign(const AppFixture& f, std::string_view windowName,
                                  const std::vector<design::Control>& table) {
  QStringList faults;
  lintari::ui::QtForm form(f.window(windowName), table);
  int pageIndex = 0;
  for (const design::Control& c : table) {
    const QString name = toQString(c.name);
    const auto fault = [&](const QString& what) { faults << name + ": " + what; };
    QWidget* window = f.window(windowName);
    const QList<QObject*> named = window->findChildren<QObject*>(name);
    QObject* object = c.kind == Kind::Window ? window : (named.size() == 1 ? named.front() : nullptr);
    if (object == nullptr) {
      fault(QStringLiteral("%1 objects of that name").arg(named.size()));
      continue;
    }
    if (!object->inherits(qtClassOf(c.kind)))
      fault(QStringLiteral("is a ") + object->metaObject()->className());
    if (c.kind != Kind::Window) {
      QObject* ancestor = object->parent();
      while (ancestor != nullptr && ancestor->objectName() != toQString(c.parent))
        ancestor = ancestor->parent();
      if (ancestor == nullptr) fault(QStringLiteral("not inside ") + toQString(c.parent));
    }
    auto* widget = qobject_cast<QWidget*>(object);
    switch (c.kind) {
      case Kind::Window:
        if (widget->minimumSize() != QSize(c.width, c.height) ||
            widget->maximumSize() != QSize(c.width, c.height)) {
          fault(QStringLiteral("not fixed at the design size"));
        }
        if (widget->windowFlags().testFlag(Qt::WindowMaximizeButtonHint))
          fault(QStringLiteral("can be maximised"));
        break;
      case Kind::TabSheet: {
        auto* tabs = f.find<QTabWidget>(windowName, c.parent);
        if (tabs == nullptr || tabs->indexOf(widget) != pageIndex) fault(QStringLiteral("not in tab order"));
        ++pageIndex;
        break;
      }
      case Kind::ComboBox: {
        auto* combo = qobject_cast<QComboBox*>(object);
        if (combo->isEditable() || combo->currentIndex() != -1) fault(QStringLiteral("editable or selected"));
        if (toQStringList(form.items(c.name)) != toQStringList(c.items))
          fault(QStringLiteral("items differ"));
        break;
      }
      case Kind::CheckListBox: {
        bool fresh = false;
        if (checkListItems(qobject_cast<QListWidget*>(object), &fresh) != toQStringList(c.items) || !fresh) {
          fault(QStringLiteral("items differ or are not unchecked check items"));
        }
        break;
      }
      case Kind::Slider: {
        auto* slider = qobject_cast<QSlider*>(object);
        if (slider->orientation() != Qt::Horizontal || slider->minimum() != c.minimum ||
            slider->maximum() != c.maximum || slider->value() != c.position) {
          fault(QStringLiteral("range or position differ"));
        }
        break;
      }
      default:
        break;
    }
    const bool positioned =
        widget != nullptr && c.kind != Kind::Window && c.kind != Kind::TabSheet && c.kind != Kind::PopupMenu;
    if (positioned && widget->geometry() != QRect(c.left, c.top, c.width, c.height))
      fault(QStringLiteral("geometry"));
    const bool captioned = c.kind == Kind::Window || c.kind == Kind::TabSheet || c.kind == Kind::GroupBox ||
                           c.kind == Kind::Label || c.kind == Kind::Button || c.kind == Kind::MenuItem;
    if (captioned && form.text(c.name) != c.caption) fault(QStringLiteral("caption differs"));
    if (c.kind != Kind::Component && c.kind != Kind::TrayIcon && c.kind != Kind::PopupMenu &&
        form.isEnabled(c.name) != c.enabled) {
      fault(QStringLiteral("enabled state differs"));
    }
  }
  return faults;
}

struct BuiltMainWindow {
  std::unique_ptr<QWidget> window = lintari::ui::buildWindow(design::mainWindow());
  lintari::ui::QtForm form{window.get(), design::mainWindow()};
  int slider = 0;
  QList<int> sliderSeen;
  int pick = 0;
  int click = 0;
  int after = 0;

  void bind(Handlers extra = {}) {
    Handlers handlers{
        {"TForm1", "RxSlider1", Event::UserMove, [this] { sliderSeen << form.position("RxSlider1"); }},
        {"TForm1", "ComboBox2", Event::UserPick, [this] { ++pick; }},
        {"TForm1", "SpeedButton4", Event::Click, [this] { ++click; }},
    };
    for (auto& h : extra) handlers.push_back(std::move(h));
    lintari::ui::bindHandlers(handlers, {{"TForm1", window.get()}}, [this] { ++after; });
  }
  QSlider* rxSlider1() const { return window->findChild<QSlider*>(QStringLiteral("RxSlider1")); }
  QComboBox* comboBox2() const { return window->findChild<QComboBox*>(QStringLiteral("ComboBox2")); }
};

}  // namespace

class DesignObjectsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowIsBuiltAsDesigned_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("TForm1") << QStringLiteral("TForm1");
    QTest::newRow("TForm2") << QStringLiteral("TForm2");
    QTest::newRow("TForm4") << QStringLiteral("TForm4");
  }
  void everyWindowIsBuiltAsDesigned() {
    QFETCH(QString, window);
    AppFixture f;
    f.create();
    const std::string name = window.toStdString();
    const auto& table = name == "TForm1"   ? design::mainWindow()
                        : name == "TForm2" ? design::setupWindow()
                                           : design::diagramWindow();
    QCOMPARE(differencesFromDesign(f, name, table).join(QStringLiteral("; ")), QString());
  }

  void editsListsAndSlidersAreNamedByTheirLabels() {
    AppFixture f;
    f.create();
    QCOMPARE(f.find<QWidget>("TForm1", "Edit2")->accessibleName(),
             QStringLiteral("Минимальное время сигнала"));
    QCOMPARE(f.find<QWidget>("TForm1", "Edit1")->accessibleName(),
             QStringLiteral("Строка инициализации выбранного модема:"));
    QCOMPARE(f.find<QWidget>("TForm1", "RxSlider1")->accessibleName(),
             QStringLiteral("Уровень выходного сигнала модема"));
    QCOMPARE(f.find<QWidget>("TForm1", "RxSlider3")->accessibleName(),
             QStringLiteral("Детектор помех в линии"));
    QCOMPARE(f.find<QWidget>("TForm2", "ComboBox2")->accessibleName(),
             QStringLiteral("Выберите порт к которому подключен модем"));
    QCOMPARE(f.find<QWidget>("TForm1", "LMD3DEffectButton1")->accessibleName(),
             QStringLiteral("Диаграмма сигнала"));
  }

  void theFormSetsWithoutRaisingHandlers() {
    BuiltMainWindow w;
    w.bind();
    w.form.setPosition("RxSlider1", 99);
    QCOMPARE(w.form.position("RxSlider1"), 20);
    w.form.setPosition("RxSlider1", -4);
    QCOMPARE(w.form.position("RxSlider1"), 3);
    w.form.setItemIndex("ComboBox2", 2);
    QCOMPARE(w.form.text("ComboBox2"), std::string("V34"));
    w.form.setItemIndex("ComboBox2", 5);
    QCOMPARE(w.form.itemIndex("ComboBox2"), -1);
    QCOMPARE(w.form.text("ComboBox2"), std::string());
    w.form.setText("ComboBox2", "V90");
    QCOMPARE(w.form.itemIndex("ComboBox2"), 3);
    w.form.setItems("ComboBox2", {"a", "b"});
    QCOMPARE(w.form.itemIndex("ComboBox2"), -1);
    w.form.setChecked("CheckListBox1", 7, true);
    QVERIFY(w.form.isChecked("CheckListBox1", 7));
    w.form.setItems("CheckListBox1", {"x", "y"});
    QVERIFY(!w.form.isChecked("CheckListBox1", 0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)w.form.isChecked("CheckListBox1", 2));
    QCoreApplication::processEvents();
    QCOMPARE(w.sliderSeen, QList<int>());
    QCOMPARE(w.pick, 0);
    QCOMPARE(w.after, 0);
  }

  void theFormShowsCaptionsAndOwnEnabledStates() {
    BuiltMainWindow w;
    w.form.setText("TabSheet2", "Регистры ++");
    auto* tabs = w.window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Регистры ++"));
    QCOMPARE(w.form.text("TabSheet2"), std::string("Регистры ++"));
    w.form.setText("Label5", "S17");
    QCOMPARE(w.window->findChild<QLabel*>(QStringLiteral("Label5"))->text(), QStringLiteral("S17"));
    // A group's state does not change the state of the controls inside it.
    w.form.setEnabled("GroupBox1", false);
    QVERIFY(!w.form.isEnabled("GroupBox1"));
    QVERIFY(w.form.isEnabled("Edit2"));
    w.form.setEnabled("GroupBox1", true);
    QVERIFY(w.window->findChild<QWidget*>(QStringLiteral("Edit2"))->isEnabled());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, (void)w.form.text("NoSuchControl"));
  }

  void aSliderHandlerRunsOnceAMoveHasEnded() {
    BuiltMainWindow w;
    w.bind();
    QSlider* slider = w.rxSlider1();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTRY_COMPARE(w.sliderSeen, QList<int>{14});
    QTest::keyClick(slider, Qt::Key_PageUp);
    QTRY_COMPARE(w.sliderSeen, (QList<int>{14, 20}));
    // At the end of the range a step changes nothing and raises nothing.
    QTest::keyClick(slider, Qt::Key_End);
    QCoreApplication::processEvents();
    QCOMPARE(w.sliderSeen.size(), 2);

    // A drag: pressed, moved through several positions, released.
    slider->setSliderDown(true);
    for (int position : {18, 12, 7}) slider->setSliderPosition(position);
    QCoreApplication::processEvents();
    QCOMPARE(w.sliderSeen.size(), 2);
    slider->setSliderDown(false);
    QCoreApplication::processEvents();
    QCOMPARE(w.sliderSeen, (QList<int>{14, 20, 7}));

    // Pressed and released where it was.
    slider->setSliderDown(true);
    slider->setSliderDown(false);
    QCoreApplication::processEvents();
    QCOMPARE(w.sliderSeen.size(), 3);
    QCOMPARE(w.after, 3);
  }

  void pickingAnItemAndClickingRunTheirHandlers() {
    BuiltMainWindow w;
    w.bind();
    QComboBox* combo = w.comboBox2();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(w.pick, 1);
    QTest::mouseClick(w.window->findChild<QAbstractButton*>(QStringLiteral("SpeedButton4")), Qt::LeftButton);
    QCOMPARE(w.click, 1);
    QCOMPARE(w.after, 2);
  }

  void aFailingHandlerShowsTheErrorBoxAndTheProgramGoesOn() {
    RecordingMessageBoxes boxes;
    BuiltMainWindow w;
    w.bind({{"TForm1", "SpeedButton5", Event::Click,
             [] { throw lintari::Error("'0x' is not a valid integer value"); }}});
    auto* button = w.window->findChild<QAbstractButton*>(QStringLiteral("SpeedButton5"));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(boxes.log(), (QStringList{"critical: '0x' is not a valid integer value.",
                                       "critical: '0x' is not a valid integer value."}));
    QCOMPARE(boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(w.after, 2);
  }

  void aHandlerForAControlThatCannotRaiseItsEventIsRefused() {
    BuiltMainWindow w;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, w.bind({{"TForm1", "Edit2", Event::Click, [] {}}}));
    BuiltMainWindow other;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, other.bind({{"TForm1", "Edit99", Event::Click, [] {}}}));
  }
};

QTEST_MAIN(DesignObjectsTest)
#include "design_objects_test.moc"
