// The busy-tone page against the modem simulator: reading S203..S207,
// writing them with the store and the reset, a reply the page cannot read,
// and "В строку".

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/settings_store.h"
#include "support/modem_app_fixture.h"

using lintari::SettingsStore;
using lintari::testing_support::ModemAppFixture;
using Kind = lintari::testing_support::RecordingMessageBoxes::Kind;

namespace {

const QStringList kBoxes{"Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
const std::string kRead = "ATE1\rATS203?\rATS204?\rATS205?\rATS206?\rATS207?\r";

// The simulator with a supported firmware stored, so that the busy-signal
// group is usable from the start.
class Rig {
 public:
  explicit Rig(std::vector<std::string> simulatorOptions = {}) : f(std::move(simulatorOptions)) {
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, "TRVK2");
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, "84a");
    f.start();
  }

  [[nodiscard]] QLineEdit* edit(const QString& name) const {
    auto* found = f.find<QLineEdit>("TForm1", name.toStdString());
    if (found == nullptr) qFatal("no %s", qPrintable(name));
    return found;
  }
  [[nodiscard]] QStringList boxes() const {
    QStringList texts;
    for (const QString& name : kBoxes) texts << edit(name)->text();
    return texts;
  }
  void type(const QStringList& texts) const {
    for (int i = 0; i < kBoxes.size(); ++i) edit(kBoxes[i])->setText(texts[i]);
  }
  [[nodiscard]] bool diagramButtonEnabled() const {
    return f.find<QPushButton>("TForm1", "LMD3DEffectButton1")->isEnabled();
  }
  // "Считать", and its answer handled.
  void read() const {
    f.click("TForm1", "SpeedButton4");
    QVERIFY(f.settle());
  }
  [[nodiscard]] QString received() const { return QString::fromStdString(f.received()); }

  ModemAppFixture f;
};

}  // namespace

class BusyToneTest : public QObject {
  Q_OBJECT

 private slots:
  // The simulator's defaults are 10, 50, 5, 40 and 4; the boxes show the
  // three-digit answers as they came.
  void aReadShowsTheAnswersAsTheyCameAndEnablesTheDiagram() {
    Rig r;
    QVERIFY(!r.diagramButtonEnabled());
    r.read();
    QCOMPARE(r.boxes(), (QStringList{"010", "050", "005", "040", "004"}));
    QVERIFY(r.diagramButtonEnabled());
    QCOMPARE(r.received(), QString::fromStdString(kRead));
    QVERIFY(r.f.boxes.boxes.empty());
  }

  // The answer to S205 is ERROR: one error box, and no box changes, not even
  // those read before it. The diagram button is enabled all the same.
  void anAnswerThatIsNoNumberIsReportedOnceAndChangesNoBox() {
    Rig r({"--error-register", "205"});
    r.type({"1", "2", "3", "4", "5"});
    r.read();
    QCOMPARE(r.f.boxes.texts(Kind::Critical), QStringList{"'ERR' is not a valid integer value."});
    QCOMPARE(r.f.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(r.boxes(), (QStringList{"1", "2", "3", "4", "5"}));
    QVERIFY(r.diagramButtonEnabled());
  }

  // An empty box stops the write before anything goes out. What the modem
  // gets next is the read that follows, with nothing before it.
  void aWriteWithAnEmptyBoxSendsNothing() {
    Rig r;
    r.type({"12", "34", "", "40", "3"});
    r.f.click("TForm1", "SpeedButton5");
    QVERIFY(r.f.settle());
    r.read();
    QTRY_COMPARE(r.received(), QString::fromStdString(kRead));
    QVERIFY(r.f.boxes.boxes.empty());
  }

  // The five settings exactly as typed, then the store and the reset; the
  // modem keeps them across the reset.
  void aWriteSendsTheBoxesAsTypedThenStoresAndResets() {
    Rig r;
    r.type({"12", "034", "7", "40", "3"});
    r.f.click("TForm1", "SpeedButton5");
    QVERIFY(r.f.settle());
    QTRY_COMPARE(r.received(),
                 QStringLiteral("ATS203=12\rATS204=034\rATS205=7\rATS206=40\rATS207=3\rAT&w&w0&w1\rATZ\r"));
    r.type({"", "", "", "", ""});
    r.read();
    QCOMPARE(r.boxes(), (QStringList{"012", "034", "007", "040", "003"}));
    QVERIFY(r.f.boxes.boxes.empty());
  }

  // Nothing is checked: empty boxes give bare names, and each press appends
  // the whole piece again.
  void toStringAppendsThePieceAsItIsEachTime() {
    Rig r;
    r.edit(QStringLiteral("Edit1"))->setText(QStringLiteral("ATM0"));
    r.type({"", "", "", "", ""});
    r.f.click("TForm1", "SpeedButton8");
    QCOMPARE(r.edit(QStringLiteral("Edit1"))->text(), QStringLiteral("ATM0S203=S204=S205=S206=S207="));
    r.f.click("TForm1", "SpeedButton8");
    QCOMPARE(r.edit(QStringLiteral("Edit1"))->text(),
             QStringLiteral("ATM0S203=S204=S205=S206=S207=S203=S204=S205=S206=S207="));
    r.type({"010", "50", "5", "040", "4"});
    r.f.click("TForm1", "SpeedButton8");
    QCOMPARE(r.edit(QStringLiteral("Edit1"))->text(),
             QStringLiteral("ATM0S203=S204=S205=S206=S207=S203=S204=S205=S206=S207="
                            "S203=010S204=50S205=5S206=040S207=4"));
    QVERIFY(r.f.boxes.boxes.empty());
  }
};

QTEST_MAIN(BusyToneTest)
#include "busy_tone_test.moc"
