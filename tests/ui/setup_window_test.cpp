// The setup window: the list of installed modems, storing the choice, the
// restart that follows, and the start-up check of `path` and `port`.

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include "app/settings_store.h"
#include "support/app_fixture.h"

using lintari::SettingsStore;
using lintari::testing_support::AppFixture;
using Kind = lintari::testing_support::RecordingMessageBoxes::Kind;

namespace {

const std::string kClassKey(AppFixture::kNtClassKey);
const QString kRestart = QStringLiteral("Пожалуйста перезапустите программу");

QComboBox* combo(const AppFixture& f, std::string_view name) {
  auto* found = f.find<QComboBox>("TForm2", name);
  if (found == nullptr) qFatal("no %s", std::string(name).c_str());
  return found;
}

QStringList itemsOf(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

void save(const AppFixture& f) {
  QTest::mouseClick(f.find<QPushButton>("TForm2", "Button1"), Qt::LeftButton);
}

QString setting(const AppFixture& f, std::string_view name) {
  const auto value = f.registry.string(SettingsStore::kKeyPath, name);
  return value ? QString::fromStdString(*value) : QStringLiteral("<absent>");
}

// A modem and identification from an earlier setup.
void storeEarlierSetup(AppFixture& f) {
  f.configureModem(kClassKey + "\\0000", "1");
  f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kKlas, "1");
  f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, "TRVK2");
  f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, "84a");
}

void verifyRestartAndEnd(const AppFixture& f) {
  QCOMPARE(f.boxes.texts(Kind::Information), QStringList{kRestart});
  QCOMPARE(f.boxes.boxes.back().title, QStringLiteral("LTRI"));
  QVERIFY(f.app().hasEnded());
  QVERIFY(!f.window("TForm1")->isVisible());
  QVERIFY(!f.window("TForm2")->isVisible());
}

}  // namespace

class SetupWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void installedModemsAreListedAndTheChosenOneIsStored() {
    AppFixture f;
    f.addModem("0000", "Brevant TRVK2 56k");
    f.addModem("0001", "Brevant Kelvane 56k");
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, "TRVK1");
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, "71m");
    f.start();
    QVERIFY(f.window("TForm2")->isVisible());
    QCOMPARE(itemsOf(combo(f, "ComboBox1")), (QStringList{"Brevant TRVK2 56k", "Brevant Kelvane 56k"}));
    QCOMPARE(combo(f, "ComboBox1")->currentIndex(), 0);
    QCOMPARE(combo(f, "ComboBox2")->currentIndex(), -1);
    QCOMPARE(combo(f, "ComboBox3")->currentIndex(), -1);

    combo(f, "ComboBox1")->setCurrentIndex(1);
    combo(f, "ComboBox2")->setCurrentIndex(combo(f, "ComboBox2")->findText("COM3"));
    combo(f, "ComboBox3")->setCurrentIndex(combo(f, "ComboBox3")->findText("TRVK2"));
    f.port.openError.reset();
    save(f);

    QCOMPARE(setting(f, SettingsStore::kPath), QString::fromStdString(kClassKey + "\\0001"));
    QCOMPARE(setting(f, SettingsStore::kPort), QStringLiteral("3"));
    QCOMPARE(setting(f, SettingsStore::kKlas), QStringLiteral("2"));
    QCOMPARE(setting(f, SettingsStore::kModem), QStringLiteral("<absent>"));
    QCOMPARE(setting(f, SettingsStore::kVersion), QStringLiteral("<absent>"));
    QVERIFY(f.boxes.texts(Kind::Critical).isEmpty());
    verifyRestartAndEnd(f);
  }

  void entriesFollowSlotNumbersNotSubkeyNames() {
    AppFixture f;
    f.addModem("0000", "Brevant TRVK1");
    f.registry.setString(kClassKey + "\\Properties", "Driver", "usbser");
    f.start();
    QCOMPARE(itemsOf(combo(f, "ComboBox1")), (QStringList{"Brevant TRVK1", ""}));
    QVERIFY(!f.registry.keyExists(kClassKey + "\\0001"));
  }

  // A damaged driver key (a "Model" of another type) gives an empty entry and
  // does not cut the list short.
  void aModelOfAnotherTypeGivesAnEmptyEntry() {
    AppFixture f;
    f.addModem("0000", "first");
    f.registry.setNonString(kClassKey + "\\0001", "Model");
    f.addModem("0002", "third");
    f.start();
    QCOMPARE(itemsOf(combo(f, "ComboBox1")), (QStringList{"first", "", "third"}));
    QCOMPARE(combo(f, "ComboBox1")->currentIndex(), 0);
    QVERIFY(f.boxes.boxes.empty());
  }

  void withoutPortAndSeriesBothAreStoredAsZero() {
    AppFixture f;
    f.addModem("0000", "Brevant TRVK1");
    f.start();
    save(f);
    QCOMPARE(setting(f, SettingsStore::kPath), QString::fromStdString(kClassKey + "\\0000"));
    QCOMPARE(setting(f, SettingsStore::kPort), QStringLiteral("0"));
    QCOMPARE(setting(f, SettingsStore::kKlas), QStringLiteral("0"));
    verifyRestartAndEnd(f);
  }

  // No installed modem: the slot stored is one no list can reach, so the
  // init string cannot touch another modem's driver key.
  void anEmptyListStoresASlotNoListReaches() {
    AppFixture f;
    f.start();
    QCOMPARE(combo(f, "ComboBox1")->count(), 0);
    QCOMPARE(combo(f, "ComboBox1")->currentIndex(), -1);
    combo(f, "ComboBox2")->setCurrentIndex(1);
    save(f);
    QCOMPARE(setting(f, SettingsStore::kPath), QString::fromStdString(kClassKey + "\\00FFFFFFFF"));
    QCOMPARE(setting(f, SettingsStore::kPort), QStringLiteral("2"));
    QVERIFY(!f.registry.keyExists(kClassKey + "\\00FFFFFFFF"));
    verifyRestartAndEnd(f);
  }

  void aHiveThatCannotBeWrittenStillEndsTheProgram() {
    AppFixture f;
    f.addModem("0000", "Brevant TRVK1");
    f.start();
    f.registry.setReadOnly(true);
    combo(f, "ComboBox2")->setCurrentIndex(0);
    save(f);
    QVERIFY(!f.registry.keyExists(SettingsStore::kKeyPath));
    QVERIFY(f.boxes.texts(Kind::Critical).isEmpty());
    verifyRestartAndEnd(f);
  }

  // The user learns which value failed, then is asked to restart.
  void aRefusedValueIsShownBeforeTheRestartMessage() {
    AppFixture f;
    f.addModem("0000", "Brevant TRVK1");
    storeEarlierSetup(f);
    f.start();
    f.app().program().context().windows.showSetupWindow();
    combo(f, "ComboBox2")->setCurrentIndex(4);
    combo(f, "ComboBox3")->setCurrentIndex(2);
    f.registry.refuseWritesOf(SettingsStore::kPort);
    save(f);
    QCOMPARE(f.boxes.log(),
             (QStringList{"critical: Failed to set data for 'port'", "information: " + kRestart}));
    QCOMPARE(f.boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(setting(f, SettingsStore::kPath), QString::fromStdString(kClassKey + "\\0000"));
    QCOMPARE(setting(f, SettingsStore::kPort), QStringLiteral("1"));
    QCOMPARE(setting(f, SettingsStore::kKlas), QStringLiteral("1"));
    QCOMPARE(setting(f, SettingsStore::kVersion), QStringLiteral("84a"));
    verifyRestartAndEnd(f);
  }

  void closingTheSetupWindowOnlyHidesIt() {
    AppFixture f;
    f.configureModem();
    f.start();
    f.app().program().context().windows.showSetupWindow();
    QVERIFY(f.window("TForm2")->isVisible());
    f.window("TForm2")->close();
    QVERIFY(!f.window("TForm2")->isVisible());
    QVERIFY(f.window("TForm1")->isVisible());
    QVERIFY(!f.app().hasEnded());
  }

  // Settings changed outside the program may hold one of the two values. A
  // missing value brings the setup window up, whichever it is, so the
  // disabled main window never stands alone; the present one still runs the
  // main window initialisation.
  void aMissingPathOrPortBringsTheSetupWindowUp_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("setupShown");
    QTest::addColumn<int>("initialisations");
    QTest::newRow("neither") << QString() << QString() << true << 1;
    QTest::newRow("port only") << QString() << QStringLiteral("2") << true << 2;
    QTest::newRow("path only") << QString::fromStdString(kClassKey + "\\0000") << QString() << true << 2;
    QTest::newRow("both") << QString::fromStdString(kClassKey + "\\0000") << QStringLiteral("2") << false
                          << 3;
  }
  void aMissingPathOrPortBringsTheSetupWindowUp() {
    QFETCH(QString, path);
    QFETCH(QString, port);
    QFETCH(bool, setupShown);
    QFETCH(int, initialisations);
    AppFixture f;
    if (!path.isEmpty())
      f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, path.toStdString());
    if (!port.isEmpty())
      f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, port.toStdString());
    f.create();
    int runs = 0;
    f.app().program().mainWindow().hooks().fillInfoPage = [&runs] { ++runs; };
    f.start();
    QCOMPARE(runs, initialisations);
    QCOMPARE(f.window("TForm2")->isVisible(), setupShown);
    QCOMPARE(f.window("TForm1")->isEnabled(), !setupShown);
    QVERIFY(f.window("TForm1")->isVisible());
  }
};

QTEST_MAIN(SetupWindowTest)
#include "setup_window_test.moc"
