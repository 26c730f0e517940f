// What the Info page and the firmware-dependent controls of the main window
// show at start-up for the stored series and version, without a modem.

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

#include "app/design.h"
#include "app/settings_store.h"
#include "support/app_fixture.h"
#include "support/profile_expectations.h"

using lintari::SettingsStore;
using lintari::testing_support::AppFixture;
using lintari::testing_support::RecordingMessageBoxes;
namespace design = lintari::design;

using namespace lintari::testing_support::expected;

namespace {

template <class T = QWidget>
T* control(const AppFixture& f, std::string_view name) {
  T* found = f.find<T>("TForm1", name);
  if (found == nullptr) qFatal("no %s in TForm1", std::string(name).c_str());
  return found;
}

// The control's own state as the program set it, whatever its group says.
bool ownEnabled(QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

QStringList disabledOf(const AppFixture& f, const QStringList& names) {
  QStringList disabled;
  for (const QString& name : names) {
    if (!ownEnabled(control(f, name.toStdString()))) disabled << name;
  }
  return disabled;
}

QStringList texts(const AppFixture& f, std::string_view list) {
  QStringList found;
  auto* widget = control<QListWidget>(f, list);
  for (int i = 0; i < widget->count(); ++i) found << widget->item(i)->text();
  return found;
}

// Every item a user can tick, and none ticked.
bool allUncheckedAndCheckable(const AppFixture& f, std::string_view list) {
  auto* widget = control<QListWidget>(f, list);
  for (int i = 0; i < widget->count(); ++i) {
    const QListWidgetItem* item = widget->item(i);
    if (item->checkState() != Qt::Unchecked || !item->flags().testFlag(Qt::ItemIsUserCheckable)) return false;
  }
  return true;
}

QString labelText(const AppFixture& f, std::string_view label) { return control<QLabel>(f, label)->text(); }

void store(AppFixture& f, std::string_view name, const QString& value) {
  if (!value.isNull()) f.registry.setString(SettingsStore::kKeyPath, name, value.toStdString());
}

}  // namespace

class IdentificationAtStartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void infoPageNamesOnlyAKnownPairOfSeriesAndVersion_data() {
    QTest::addColumn<QString>("modem");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("labels");  // Label15, Label16, Label17
    const QString maker = QStringLiteral("производства компании Brevant");
    const QStringList design{"стандартный модем", "стандартная, Conexant", "стандартная"};
    QTest::newRow("nothing stored") << QString() << QString() << design;
    QTest::newRow("TRVK2 84a") << "TRVK2"
                               << "84a" << QStringList{maker, "серия TRVK2", "русская версия beta 84\u0430"};
    QTest::newRow("TRVK2 89a") << "TRVK2"
                               << "89a" << QStringList{maker, "серия TRVK2", "русская версия beta 89a"};
    QTest::newRow("Kelvane FE.beta62")
        << "Kelvane"
        << "FE.beta62" << QStringList{maker, "серия Kelvane56@k Ext", "Field Edition. Beta 62"};
    QTest::newRow("series of another build") << "TRVK1"
                                             << "kq1" << design;
    QTest::newRow("series in other case") << "trvk2"
                                          << "84a" << design;
    QTest::newRow("version alone") << QString() << "84a" << design;
  }
  void infoPageNamesOnlyAKnownPairOfSeriesAndVersion() {
    QFETCH(QString, modem);
    QFETCH(QString, version);
    QFETCH(QStringList, labels);
    AppFixture f;
    f.configureModem();
    store(f, SettingsStore::kModem, modem);
    store(f, SettingsStore::kVersion, version);
    f.start();
    QCOMPARE((QStringList{labelText(f, "Label15"), labelText(f, "Label16"), labelText(f, "Label17")}),
             labels);
  }

  // Users know the builds 84a to 86a by a name ending in the Cyrillic letter
  // and 89a by one ending in the Latin letter; a font that draws both alike
  // must not make them the same text.
  void finalLetterOfTheBetaNamesIsCyrillicOrLatinAsTheBuildIsKnown_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("lastLetter");
    QTest::newRow("84a") << "84a" << 0x0430;
    QTest::newRow("85a") << "85a" << 0x0430;
    QTest::newRow("86a") << "86a" << 0x0430;
    QTest::newRow("89a") << "89a" << int{'a'};
  }
  void finalLetterOfTheBetaNamesIsCyrillicOrLatinAsTheBuildIsKnown() {
    QFETCH(QString, version);
    QFETCH(int, lastLetter);
    AppFixture f;
    f.configureModem();
    store(f, SettingsStore::kModem, "TRVK2");
    store(f, SettingsStore::kVersion, version);
    f.start();
    const QString shown = labelText(f, "Label17");
    QVERIFY(shown.startsWith(QStringLiteral("русская версия beta ") + version.left(2)));
    QCOMPARE(shown.size(), 23);
    QCOMPARE(int{shown.back().unicode()}, lastLetter);
  }

  void storedVersionSetsTheControlsAtStartUp_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("disabled");  // of kWatched
    QTest::addColumn<QString>("label5");
    QTest::addColumn<QStringList>("s216Bits");
    QTest::addColumn<QStringList>("secondBits");
    const QStringList fallback{"GroupBox1", "SpeedButton2", "Button1", "TabSheet2", "LMDGroupBox2"};
    QTest::newRow("nothing stored") << QString() << fallback << "S218" << kDesignS216 << kDesignSecond;
    QTest::newRow("kq1") << "kq1" << QStringList{} << "S17" << kDesignS216 << kS17A;
    QTest::newRow("85a") << "85a" << QStringList{"RxSlider2"} << "S218" << kS216B << kS218C;
    QTest::newRow("71m keeps the design lists")
        << "71m" << QStringList{} << "S218" << kDesignS216 << kDesignSecond;
    QTest::newRow("unknown build") << "KQ1" << kProfileSet << "S218" << kDesignS216 << kDesignSecond;
  }
  void storedVersionSetsTheControlsAtStartUp() {
    QFETCH(QString, version);
    QFETCH(QStringList, disabled);
    QFETCH(QString, label5);
    QFETCH(QStringList, s216Bits);
    QFETCH(QStringList, secondBits);
    AppFixture f;
    f.configureModem();
    store(f, SettingsStore::kVersion, version);
    f.start();
    QCOMPARE(disabledOf(f, kWatched), disabled);
    QCOMPARE(labelText(f, "Label5"), label5);
    QCOMPARE(texts(f, "CheckListBox1"), s216Bits);
    QCOMPARE(texts(f, "CheckListBox2"), secondBits);
    QVERIFY(allUncheckedAndCheckable(f, "CheckListBox1"));
    QVERIFY(allUncheckedAndCheckable(f, "CheckListBox2"));
    QVERIFY(f.boxes.boxes.empty());
  }

  // A normal start without a stored version runs the fallback three times
  // and changes nothing else anywhere in the main window.
  void noFirmwareFallbackLeavesEveryOtherControlAsDesigned() {
    AppFixture f;
    f.configureModem();
    f.start();
    QStringList changed;
    for (const design::Control& c : design::mainWindow()) {
      if (c.kind == design::Kind::Window || c.kind == design::Kind::MenuItem) continue;
      auto* widget = f.find<QWidget>("TForm1", c.name);
      if (widget == nullptr) continue;
      if (ownEnabled(widget) != c.enabled) changed << lintari::ui::toQString(c.name);
    }
    changed.sort();
    // LMDGroupBox2 is disabled in the design already.
    QCOMPARE(changed, (QStringList{"Button1", "GroupBox1", "SpeedButton2", "TabSheet2"}));
    QVERIFY(!ownEnabled(control(f, "LMDGroupBox2")));
    QVERIFY(ownEnabled(control(f, "GroupBox4")));
    QVERIFY(f.window("TForm1")->isEnabled());
  }

  // What the user meets, not only what the program set: with "kq1" the page
  // "Регистры +" with its lists, read, write and "В строку" can be used, and
  // with "85a" only the aggressiveness slider of the line-adaptation group
  // cannot.
  void supportedBuildLeavesItsControlsUsable_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("usable");
    QTest::addColumn<QStringList>("unusable");
    QTest::newRow("kq1") << "kq1"
                         << QStringList{"TabSheet2", "GroupBox3",    "CheckListBox1", "CheckListBox2",
                                        "Button1",   "SpeedButton2", "SpeedButton7",  "RxSlider2"}
                         << QStringList{};
    QTest::newRow("85a") << "85a" << QStringList{"LMDGroupBox2",  "RxSlider3",     "SpeedButton15",
                                                 "SpeedButton16", "SpeedButton17", "TabSheet2"}
                         << QStringList{"RxSlider2"};
  }
  void supportedBuildLeavesItsControlsUsable() {
    QFETCH(QString, version);
    QFETCH(QStringList, usable);
    QFETCH(QStringList, unusable);
    AppFixture f;
    f.configureModem();
    store(f, SettingsStore::kVersion, version);
    f.start();
    QVERIFY(f.window("TForm1")->isEnabled());
    for (const QString& name : usable)
      QVERIFY2(control(f, name.toStdString())->isEnabled(), qPrintable(name));
    for (const QString& name : unusable) {
      QVERIFY2(!control(f, name.toStdString())->isEnabled(), qPrintable(name));
    }
  }

  // Both `path` and `port` stored: the main window initialisation runs once
  // at its creation and once for each of the two values, each time before
  // the main window is shown.
  void baseBuildIsRefusedOncePerInitialisation() {
    AppFixture f;
    f.configureModem();
    store(f, SettingsStore::kModem, "TRVK1");
    store(f, SettingsStore::kVersion, "4100");
    QList<bool> mainVisible;
    f.boxes.onBox = [&](const RecordingMessageBoxes::Box&) {
      mainVisible << f.window("TForm1")->isVisible();
    };
    f.start();
    QCOMPARE(f.boxes.log(), QStringList(3, "information: " + kUnsupported));
    QCOMPARE(f.boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(mainVisible, (QList<bool>{false, false, false}));

    QVERIFY(f.window("TForm1")->isVisible());
    QVERIFY(f.window("TForm1")->isEnabled());
    QCOMPARE(disabledOf(f, kWatched), kProfileSet + QStringList{"GroupBox4"});
    QCOMPARE(labelText(f, "Label17"), QStringLiteral("базовая версия 4.100"));
    // The pages the base build still allows.
    for (const char* name : {"LMDGroupBox1", "GroupBox5", "Edit1", "SpeedButton6", "SpeedButton21"}) {
      QVERIFY2(control(f, name)->isEnabled(), name);
    }
  }
};

QTEST_MAIN(IdentificationAtStartUpTest)
#include "identification_test.moc"
