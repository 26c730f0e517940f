// The driver's init string on the main page: reading, storing and clearing
// the "USERINIT" value of the chosen modem's driver key, and the pieces that
// the pages' "В строку" buttons append.

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "app/settings_store.h"
#include "support/app_fixture.h"

using lintari::SettingsStore;
using lintari::testing_support::AppFixture;
using Kind = lintari::testing_support::RecordingMessageBoxes::Kind;

namespace {

const std::string kDriverKey = std::string(AppFixture::kNtClassKey) + "\\0000";
constexpr std::string_view kValue = "USERINIT";

// The program with `path` naming the driver key and a port; the key itself
// exists only when `driverKey` is set.
class Rig {
 public:
  explicit Rig(bool driverKey = true, std::string_view stored = "AT&F") {
    if (driverKey) f.addModem("0000", "Brevant TRVK2 56k");
    if (driverKey && !stored.empty()) f.registry.setString(kDriverKey, kValue, stored);
    f.configureModem(kDriverKey);
    f.start();
  }

  [[nodiscard]] QLineEdit* box() const { return f.find<QLineEdit>("TForm1", "Edit1"); }
  // The user brings the button's page to the front and clicks it.
  void press(std::string_view button) const {
    auto* b = f.find<QPushButton>("TForm1", button);
    if (b == nullptr) qFatal("no %s", std::string(button).c_str());
    auto* tabs = f.find<QTabWidget>("TForm1", "PageControl1");
    for (QWidget* w = b->parentWidget(); w != nullptr; w = w->parentWidget()) {
      if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
    }
    QTest::mouseClick(b, Qt::LeftButton);
  }
  [[nodiscard]] std::optional<std::string> stored() const { return f.registry.string(kDriverKey, kValue); }
  void removePathSetting() {
    auto key = f.registry.openReadWrite(SettingsStore::kKeyPath);
    QVERIFY(key != nullptr);
    QVERIFY(key->deleteValue(SettingsStore::kPath));
  }

  AppFixture f;
};

// Where a stray creation of a key would show: the branches the program
// reaches, each with how many subkeys it has.
QStringList keysOf(lintari::MemoryRegistry& registry) {
  QStringList keys;
  for (const char* path : {"\\SOFTWARE", "\\SOFTWARE\\LNTR", "\\SYSTEM", "\\SYSTEM\\CurrentControlSet"}) {
    const auto key = registry.openReadOnly(path);
    keys << QString::fromLatin1(path) + QStringLiteral(": ") +
                (key ? QString::number(key->subkeyCount()) : QStringLiteral("absent"));
  }
  return keys;
}

constexpr const char* kRead = "SpeedButton18";
constexpr const char* kWrite = "SpeedButton19";
constexpr const char* kClear = "SpeedButton20";

}  // namespace

class InitStringTest : public QObject {
  Q_OBJECT

 private slots:
  void aClearedBoxIsStoredAsAnEmptyValueThatStillExists() {
    Rig r;
    r.press(kRead);
    QCOMPARE(r.box()->text(), QStringLiteral("AT&F"));
    r.press(kClear);
    QCOMPARE(r.box()->text(), QString());
    QCOMPARE(r.stored(), std::optional<std::string>("AT&F"));
    r.press(kWrite);
    QCOMPARE(r.stored(), std::optional<std::string>(""));
    QVERIFY(r.f.boxes.boxes.empty());
  }

  void aWriteStoresTheBoxAsItIs() {
    Rig r;
    r.box()->setText(QStringLiteral("ATM1L2 S7=60"));
    r.press(kWrite);
    QCOMPARE(r.stored(), std::optional<std::string>("ATM1L2 S7=60"));
    r.box()->clear();
    r.press(kRead);
    QCOMPARE(r.box()->text(), QStringLiteral("ATM1L2 S7=60"));
  }

  // What was typed or appended but not written is gone after a read.
  void aReadReplacesTheWholeBox() {
    Rig r;
    r.box()->setText(QStringLiteral("ATX3"));
    r.press("SpeedButton24");
    QCOMPARE(r.box()->text(), QStringLiteral("ATX3S11=13"));
    r.press(kRead);
    QCOMPARE(r.box()->text(), QStringLiteral("AT&F"));
  }

  void aReadWithoutAStoredValueEmptiesTheBox() {
    Rig r(true, "");
    r.box()->setText(QStringLiteral("ATX3"));
    r.press(kRead);
    QCOMPARE(r.box()->text(), QString());
    QVERIFY(!r.f.registry.hasValue(kDriverKey, kValue));
    QVERIFY(r.f.boxes.boxes.empty());
  }

  // The settings are read afresh at every press, so `path` can go missing
  // while the program runs. The read shows an empty box, silently, and
  // creates no key.
  void aReadWithoutAPathShowsAnEmptyBoxAndCreatesNoKey() {
    Rig r(false);
    r.removePathSetting();
    const QStringList keysBefore = keysOf(r.f.registry);
    const int writes = r.f.registry.writeCount();
    r.box()->setText(QStringLiteral("ATX3"));
    r.press(kRead);
    QCOMPARE(r.box()->text(), QString());
    QVERIFY(r.f.boxes.boxes.empty());
    QCOMPARE(r.f.registry.writeCount(), writes);
    QCOMPARE(keysOf(r.f.registry), keysBefore);
  }

  // The registry layer's own message, which ends in "'" and so gets no "."
  // appended; nothing is written and no key is created.
  void aWriteWithoutAKeyIsReportedAndWritesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("path names no key")
        << QString::fromStdString(std::string(AppFixture::kNtClassKey) + "\\0007");
    QTest::newRow("no path") << QString();
  }
  void aWriteWithoutAKeyIsReportedAndWritesNothing() {
    QFETCH(QString, path);
    Rig r;
    if (path.isEmpty()) {
      r.removePathSetting();
    } else {
      r.f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, path.toStdString());
    }
    const int writes = r.f.registry.writeCount();
    r.box()->setText(QStringLiteral("ATM0"));
    r.press(kWrite);
    QCOMPARE(r.f.boxes.texts(Kind::Critical),
             QStringList{QStringLiteral("Failed to set data for 'USERINIT'")});
    QCOMPARE(r.f.boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(r.f.registry.writeCount(), writes);
    if (!path.isEmpty()) QVERIFY(!r.f.registry.keyExists(path.toStdString()));
    QCOMPARE(r.stored(), std::optional<std::string>("AT&F"));
    QCOMPARE(r.box()->text(), QStringLiteral("ATM0"));
  }

  // The tone-dialling and transmit-level pieces at the sliders' first
  // positions (13 and level 10), each straight after what the box holds.
  void piecesFromThePagesFollowEachOtherWithoutSeparator() {
    Rig r;
    r.press(kClear);
    r.press("SpeedButton24");
    QCOMPARE(r.box()->text(), QStringLiteral("S11=13"));
    r.press("SpeedButton14");
    QCOMPARE(r.box()->text(), QStringLiteral("S11=13S91=10"));
    r.press("SpeedButton14");
    QCOMPARE(r.box()->text(), QStringLiteral("S11=13S91=10S91=10"));
    QCOMPARE(r.stored(), std::optional<std::string>("AT&F"));
  }
};

QTEST_MAIN(InitStringTest)
#include "init_string_test.moc"
