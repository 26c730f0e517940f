// "Определить модель модема" against the simulated modem: what the answer to
// ATI3 stores in the hive, and how the Info page and the firmware-dependent
// controls follow at once.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListWidget>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "app/settings_store.h"
#include "platform/hive_file_registry.h"
#include "support/modem_app_fixture.h"
#include "support/profile_expectations.h"

using lintari::HiveFileRegistry;
using lintari::Registry;
using lintari::SettingsStore;
using lintari::testing_support::ModemAppFixture;
using lintari::testing_support::ModemSimulator;
using lintari::testing_support::RecordingMessageBoxes;
using lintari::testing_support::TempDir;
using Kind = RecordingMessageBoxes::Kind;

using namespace lintari::testing_support::expected;

namespace {

const QString kMaker = QStringLiteral("производства компании Brevant");
const QString kAbsent = QStringLiteral("(absent)");

template <class T = QWidget>
T* control(const ModemAppFixture& f, std::string_view name) {
  T* found = f.find<T>("TForm1", name);
  if (found == nullptr) qFatal("no %s in TForm1", std::string(name).c_str());
  return found;
}

// The control's own state as the program set it, whatever its group says.
QStringList disabledOf(const ModemAppFixture& f, const QStringList& names) {
  QStringList disabled;
  for (const QString& name : names) {
    if (control(f, name.toStdString())->testAttribute(Qt::WA_ForceDisabled)) disabled << name;
  }
  return disabled;
}

QStringList texts(const ModemAppFixture& f, std::string_view list) {
  QStringList found;
  auto* widget = control<QListWidget>(f, list);
  for (int i = 0; i < widget->count(); ++i) found << widget->item(i)->text();
  return found;
}

bool allUnchecked(const ModemAppFixture& f, std::string_view list) {
  auto* widget = control<QListWidget>(f, list);
  for (int i = 0; i < widget->count(); ++i) {
    if (widget->item(i)->checkState() != Qt::Unchecked) return false;
  }
  return true;
}

// Label15, Label16, Label17.
QStringList infoTexts(const ModemAppFixture& f) {
  return {control<QLabel>(f, "Label15")->text(), control<QLabel>(f, "Label16")->text(),
          control<QLabel>(f, "Label17")->text()};
}

QString label5(const ModemAppFixture& f) { return control<QLabel>(f, "Label5")->text(); }

QString stored(Registry& hive, std::string_view name) {
  const auto key = hive.openReadOnly(SettingsStore::kKeyPath);
  const std::optional<std::string> value = key ? key->readString(name) : std::nullopt;
  return value ? QString::fromStdString(*value) : kAbsent;
}

// `modem` and `version`.
QStringList identification(const ModemAppFixture& f) {
  return {stored(f.hive(), SettingsStore::kModem), stored(f.hive(), SettingsStore::kVersion)};
}

void store(Registry& hive, std::string_view modem, std::string_view version) {
  const auto key = hive.openOrCreate(SettingsStore::kKeyPath, lintari::kKeyAllAccess);
  if (!key) qFatal("cannot open the settings");
  key->writeString(SettingsStore::kModem, modem);
  key->writeString(SettingsStore::kVersion, version);
}

// Presses "Определить модель модема" and waits until the answer is handled.
bool identify(const ModemAppFixture& f) {
  f.click("TForm1", "SpeedButton6");
  return f.settle();
}

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const QStringList kKq1Texts{kMaker, "серия TRVK2", "первый официальный релиз"};

}  // namespace

class IdentificationEndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  // Each build on a fresh start, which had no version stored and so left
  // the no-firmware state.
  void identifiesEveryBuild_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("series");
    QTest::addColumn<QString>("seriesText");    // Label16
    QTest::addColumn<QString>("firmwareText");  // Label17
    QTest::addColumn<QStringList>("disabled");  // of kWatched
    QTest::addColumn<QString>("secondRegister");
    QTest::addColumn<QStringList>("s216Bits");
    QTest::addColumn<QStringList>("secondBits");
    QTest::addColumn<QStringList>("boxes");

    const QString trvk1 = "серия TRVK1";
    const QString trvk2 = "серия TRVK2";
    const QString kelvane = "серия Kelvane56@k Ext";
    const QStringList none;
    const QStringList slider{"RxSlider2"};
    const QStringList refused = kProfileSet + QStringList{"GroupBox4"};
    auto row = [](const char* code) -> QTestData& { return QTest::newRow(code) << code; };

    row("71nm") << "TRVK1" << trvk1 << "русская версия beta 71n" << none << "S218" << kDesignS216
                << kDesignSecond << none;
    row("72nm") << "TRVK1" << trvk1 << "русская версия beta 72n" << none << "S218" << kDesignS216
                << kDesignSecond << none;
    row("73nm") << "TRVK1" << trvk1 << "русская версия beta 73n" << none << "S218" << kS216A << kS218B
                << none;
    row("ufn") << "TRVK1" << trvk1 << "русская версия финальный релиз" << none << "S218" << kS216A << kS218B
               << none;
    row("71m") << "TRVK1" << trvk1 << "русская версия beta 71" << none << "S218" << kDesignS216
               << kDesignSecond << none;
    row("4100") << "TRVK1" << trvk1 << "базовая версия 4.100" << refused << "S218" << kDesignS216
                << kDesignSecond << QStringList{"information: " + kUnsupported};
    row("kq1") << "TRVK2" << trvk2 << "первый официальный релиз" << none << "S17" << kDesignS216 << kS17A
               << none;
    row("DE.beta62") << "Kelvane" << kelvane << "Desk Edition.beta62" << none << "S218" << kDesignS216
                     << kS218A << none;
    row("84a") << "TRVK2" << trvk2 << "русская версия beta 84\u0430" << slider << "S218" << kS216B << kS218C
               << none;
    row("85a") << "TRVK2" << trvk2 << "русская версия beta 85\u0430" << slider << "S218" << kS216B << kS218C
               << none;
    row("86a") << "TRVK2" << trvk2 << "русская версия beta 86\u0430" << slider << "S218" << kS216B << kS218C
               << none;
    row("87") << "TRVK2" << trvk2 << "русская версия beta 87" << slider << "S218" << kS216B << kS218C << none;
    row("88") << "TRVK2" << trvk2 << "русская версия beta 88" << slider << "S218" << kS216B << kS218C << none;
    row("89a") << "TRVK2" << trvk2 << "русская версия beta 89a" << slider << "S218" << kS216B << kS218D
               << none;
    row("KQ2") << "Kelvane" << kelvane << "второй официальный релиз" << slider << "S218" << kS216B << kS218F
               << none;
    row("FE.beta62") << "Kelvane" << kelvane << "Field Edition. Beta 62" << slider << "S218" << kS216B
                     << kS218E << none;
  }
  void identifiesEveryBuild() {
    QFETCH(QString, code);
    QFETCH(QString, series);
    QFETCH(QString, seriesText);
    QFETCH(QString, firmwareText);
    QFETCH(QStringList, disabled);
    QFETCH(QString, secondRegister);
    QFETCH(QStringList, s216Bits);
    QFETCH(QStringList, secondBits);
    QFETCH(QStringList, boxes);

    ModemAppFixture f({"--firmware", code.toStdString()});
    f.start();
    QCOMPARE(identification(f), (QStringList{kAbsent, kAbsent}));
    QCOMPARE(disabledOf(f, kWatched),
             (QStringList{"GroupBox1", "SpeedButton2", "Button1", "TabSheet2", "LMDGroupBox2"}));

    QVERIFY(identify(f));
    QVERIFY(f.received().find("ATE1\rATI3\r") != std::string::npos);
    QCOMPARE(identification(f), (QStringList{series, code}));
    QCOMPARE(infoTexts(f), (QStringList{kMaker, seriesText, firmwareText}));
    QCOMPARE(disabledOf(f, kWatched), disabled);
    QCOMPARE(label5(f), secondRegister);
    QCOMPARE(texts(f, "CheckListBox1"), s216Bits);
    QCOMPARE(texts(f, "CheckListBox2"), secondBits);
    QVERIFY(allUnchecked(f, "CheckListBox1"));
    QVERIFY(allUnchecked(f, "CheckListBox2"));
    QCOMPARE(f.boxes.log(), boxes);
  }

  // While the message is up the new identification is already stored and
  // shown, and nothing is pending any more. The modem here keeps sending
  // noise after its first line; what arrives while the box is open (its
  // event loop runs, as a modal box's does) is collected but never handed to
  // identification a second time.
  void baseBuildIsRefusedOnceDuringTheRefresh() {
    ModemAppFixture f({"--firmware", "4100", "--stream"});
    f.start();
    QStringList seenAtTheBox;
    bool arrivedWhileOpen = false;
    lintari::ModemLink& link = f.app().program().link();
    f.boxes.onBox = [&](const RecordingMessageBoxes::Box&) {
      seenAtTheBox = identification(f) + QStringList{control<QLabel>(f, "Label17")->text()};
      seenAtTheBox << QString::number(link.requestKind()) << QString::fromStdString(link.replyText());
      QDeadlineTimer deadline(std::chrono::seconds{5});
      while (link.replyText().empty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      }
      arrivedWhileOpen = !link.replyText().empty();
    };
    QVERIFY(identify(f));
    QCOMPARE(seenAtTheBox, (QStringList{"TRVK1", "4100", "базовая версия 4.100", "0", ""}));
    QVERIFY(arrivedWhileOpen);
    QCOMPARE(f.boxes.log(), QStringList{"information: " + kUnsupported});
    QCOMPARE(f.boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(link.requestKind(), lintari::kind::None);
    QCOMPARE(disabledOf(f, kWatched), kProfileSet + QStringList{"GroupBox4"});
  }

  // The hive held an earlier identification ("kq1"), so the page and the
  // controls showed it at start-up. Only an answer longer than 20 characters
  // is looked at, even when a shorter one names a build; one that names no
  // build then forgets the earlier identification and takes the profile set
  // away, while the page keeps its texts.
  void answerIsExaminedOnlyWhenLongerThanTwentyCharacters_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("buffer");  // what stays collected when not examined
    QTest::addColumn<bool>("examined");
    QTest::newRow("silent modem") << QStringList{"--silent"} << "" << false;
    QTest::newRow("20 characters") << QStringList{"--banner", "ABCDEFGH"} << "ATE1OKATI3ABCDEFGHOK" << false;
    QTest::newRow("20 characters naming a build")
        << QStringList{"--no-echo", "--banner", "FE_FN-V90_4M_QLT"} << "OKFE_FN-V90_4M_QLTOK" << false;
    QTest::newRow("21 characters") << QStringList{"--banner", "ABCDEFGHI"} << "" << true;
    QTest::newRow("no known build") << QStringList{"--banner", "Brevant data/fax modem, build R9.999"} << ""
                                    << true;
    QTest::newRow("row 7 in lower case")
        << QStringList{"--banner", "zpl4_r1.914.kq1-v92_k38_rmb"} << "" << true;
    QTest::newRow("garbled answer") << QStringList{"--garble"} << "" << true;
  }
  void answerIsExaminedOnlyWhenLongerThanTwentyCharacters() {
    QFETCH(QStringList, options);
    QFETCH(QString, buffer);
    QFETCH(bool, examined);
    std::vector<std::string> simulatorOptions;
    for (const QString& option : options) simulatorOptions.push_back(option.toStdString());
    ModemAppFixture f(simulatorOptions);
    store(f.hive(), "TRVK2", "kq1");
    f.start();
    QCOMPARE(infoTexts(f), kKq1Texts);
    QCOMPARE(disabledOf(f, kWatched), QStringList{});

    QVERIFY(identify(f));
    QVERIFY(f.received().find("ATE1\rATI3\r") != std::string::npos);
    const lintari::ModemLink& link = f.app().program().link();
    if (examined) {
      QCOMPARE(identification(f), (QStringList{kAbsent, kAbsent}));
      QCOMPARE(disabledOf(f, kWatched), kProfileSet);
      QCOMPARE(link.requestKind(), lintari::kind::None);
      QVERIFY(link.replyText().empty());
    } else {
      QCOMPARE(identification(f), (QStringList{"TRVK2", "kq1"}));
      QCOMPARE(disabledOf(f, kWatched), QStringList{});
      QCOMPARE(link.requestKind(), lintari::kind::Identification);
      QCOMPARE(QString::fromStdString(link.replyText()), buffer);
    }
    // Either way the page and what the last build relabelled stay as they were.
    QCOMPARE(infoTexts(f), kKq1Texts);
    QCOMPARE(label5(f), QStringLiteral("S17"));
    QCOMPARE(texts(f, "CheckListBox2"), kS17A);
    QVERIFY(f.boxes.boxes.empty());
  }

  // Of several builds in one answer the one later in the table wins,
  // wherever it stands in the answer.
  void laterBuildOfTheTableWinsWhenTheAnswerNamesTwo_data() {
    QTest::addColumn<QString>("banner");
    const QString beta72 = "FE_beta72c-V90_4M_QLT";
    const QString kq2 = "Kelvane@56 k Field Edition KQ2 --V92_K38_RMB";
    QTest::newRow("in table order") << beta72 + " " + kq2;
    QTest::newRow("in reverse order") << kq2 + " " + beta72;
  }
  void laterBuildOfTheTableWinsWhenTheAnswerNamesTwo() {
    QFETCH(QString, banner);
    ModemAppFixture f({"--banner", banner.toStdString()});
    f.start();
    QVERIFY(identify(f));
    QCOMPARE(identification(f), (QStringList{"Kelvane", "KQ2"}));
    QCOMPARE(infoTexts(f), (QStringList{kMaker, "серия Kelvane56@k Ext", "второй официальный релиз"}));
    QCOMPARE(disabledOf(f, kWatched), QStringList{"RxSlider2"});
    QCOMPARE(texts(f, "CheckListBox2"), kS218F);
  }

  // A second identification in the same run starts from what the first left:
  // what the later build leaves unchanged keeps the earlier build's state,
  // and the connection speed group once refused stays disabled. The modem is
  // exchanged in between as a user would swap it: the program reports the
  // lost line and opens the new one with the next request.
  void secondIdentificationInTheSameRunBuildsOnTheFirst_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QString>("secondRegister");
    QTest::addColumn<QStringList>("secondBits");
    QTest::addColumn<QString>("firmwareText");
    QTest::newRow("kq1 then 71m") << "kq1"
                                  << "71m" << QStringList{} << "S17" << kS17A << "русская версия beta 71";
    QTest::newRow("4100 then 88") << "4100"
                                  << "88" << QStringList{"GroupBox4", "RxSlider2"} << "S218" << kS218C
                                  << "русская версия beta 88";
  }
  void secondIdentificationInTheSameRunBuildsOnTheFirst() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QStringList, disabled);
    QFETCH(QString, secondRegister);
    QFETCH(QStringList, secondBits);
    QFETCH(QString, firmwareText);
    ModemAppFixture f({"--firmware", first.toStdString()});
    f.start();
    QVERIFY(identify(f));
    QCOMPARE(stored(f.hive(), SettingsStore::kVersion), first);

    f.simulator.kill();
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.texts(Kind::Critical).size(), qsizetype{1}, 10000);
    QVERIFY(f.boxes.texts(Kind::Critical).front().startsWith("The modem on COM1 is no longer connected"));
    ModemSimulator replacement(LINTARI_MODEMSIM, f.dir.path(), {"--firmware", second.toStdString()});
    QVERIFY2(replacement.start(), replacement.failure().c_str());

    QVERIFY(identify(f));
    QCOMPARE(stored(f.hive(), SettingsStore::kVersion), second);
    QCOMPARE(control<QLabel>(f, "Label17")->text(), firmwareText);
    QCOMPARE(disabledOf(f, kWatched), disabled);
    QCOMPARE(label5(f), secondRegister);
    QCOMPARE(texts(f, "CheckListBox2"), secondBits);
    QCOMPARE(f.boxes.texts(Kind::Critical).size(), qsizetype{1});
  }

  // The hive file has become read-only (another instance stored "kq1" in it
  // meanwhile, then the file lost its write permission): the answer names
  // KQ2, but nothing is stored and no message comes; the refresh still runs
  // and shows what the hive holds.
  void unwritableHiveStoresNothingButStillRefreshes() {
    TempDir home;
    const std::filesystem::path file = home / "hklm.reg";
    HiveFileRegistry hive(file.string());
    ModemAppFixture f({"--firmware", "KQ2"}, hive);
    f.start();
    QCOMPARE(infoTexts(f), (QStringList{"стандартный модем", "стандартная, Conexant", "стандартная"}));

    store(hive, "TRVK2", "kq1");
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    QVERIFY(hive.openOrCreate(SettingsStore::kKeyPath, lintari::kKeyAllAccess) == nullptr);
    const std::string before = fileBytes(file);

    QVERIFY(identify(f));
    QVERIFY(f.received().find("ATE1\rATI3\r") != std::string::npos);
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(identification(f), (QStringList{"TRVK2", "kq1"}));
    QCOMPARE(infoTexts(f), kKq1Texts);
    QCOMPARE(disabledOf(f, kWatched), QStringList{});
    QCOMPARE(label5(f), QStringLiteral("S17"));
    QCOMPARE(texts(f, "CheckListBox2"), kS17A);
    QCOMPARE(f.app().program().link().requestKind(), lintari::kind::None);
    QVERIFY(f.boxes.boxes.empty());
  }

  // The hive opens for writing but refuses every change, as a full disk
  // would: the refresh still runs first and shows what the hive holds, and
  // the refused write is reported after it.
  void refusedWriteIsReportedAfterTheRefresh() {
    TempDir home;
    HiveFileRegistry hive((home / "hklm.reg").string());
    ModemAppFixture f({"--firmware", "KQ2"}, hive);
    f.start();
    store(hive, "TRVK2", "kq1");
    hive.setCommitHook([](HiveFileRegistry::CommitStep step) {
      if (step == HiveFileRegistry::CommitStep::TempWritten) throw std::runtime_error("no space left");
    });
    QStringList shownAtTheError;
    f.boxes.onBox = [&](const RecordingMessageBoxes::Box&) { shownAtTheError = infoTexts(f); };

    QVERIFY(identify(f));
    QCOMPARE(f.boxes.log(), QStringList{"critical: Failed to set data for 'modem'"});
    QCOMPARE(shownAtTheError, kKq1Texts);
    QCOMPARE(identification(f), (QStringList{"TRVK2", "kq1"}));
    QCOMPARE(disabledOf(f, kWatched), QStringList{});
    QCOMPARE(f.app().program().link().requestKind(), lintari::kind::None);
  }
};

QTEST_MAIN(IdentificationEndToEndTest)
#include "identification_test.moc"
