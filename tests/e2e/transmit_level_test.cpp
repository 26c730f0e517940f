// The "Уровни сигналов" page against the modem simulator: the transmit level
// S91 on its mirrored slider, and the line-adaptation register S215 split
// over two sliders. Reads, writes with the store, "В строку", the user's
// moves, and replies the page cannot read.

#include <QLabel>
#include <QSlider>
#include <QtTest>

#include "link/request_kind.h"
#include "support/register_page_rig.h"

using lintari::testing_support::conversionError;
using lintari::testing_support::RegisterPageRig;
using lintari::testing_support::stored;
namespace kind = lintari::kind;

namespace {

const QString kLevelRead = QStringLiteral("ATE1\rATS10?\rATS91?\r");
const QString kLineRead = QStringLiteral("ATE1\rATS10?\rATS215?\r");

// The line-adaptation group is usable only with a firmware whose profile
// enables it and leaves the aggressiveness slider alone.
RegisterPageRig lineAdaptationRig(std::vector<std::string> options = {}) {
  options.insert(options.end(), {"--firmware", "ufn"});
  return RegisterPageRig(std::move(options), "TRVK1", "ufn");
}

}  // namespace

class TransmitLevelTest : public QObject {
  Q_OBJECT

 private slots:
  // The simulator's S91 is 10: position 23 - 10, and the label from the
  // register itself.
  void aReadOfTheDefaultLevelShowsItAndAWriteSendsItBack() {
    RegisterPageRig r;
    auto* slider = r.control<QSlider>("RxSlider1");
    auto* label = r.control<QLabel>("RxLabel1");
    QCOMPARE(label->text(), QString());
    slider->setValue(5);

    QVERIFY(r.press("SpeedButton12"));
    QTRY_COMPARE(r.receivedSince(0), kLevelRead);
    QCOMPARE(slider->value(), 13);
    QCOMPARE(label->text(), QStringLiteral("-10"));

    const std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton13"));
    QTRY_COMPARE(r.receivedSince(before), stored("ATS91=10"));
    QVERIFY(r.errors().isEmpty());
  }

  // 25 is beyond the slider's left end: the slider stops there while the
  // label shows what the modem holds, and a write sends what the slider
  // shows. Set by the reply, the slider raised no change handler, which
  // would have put "-20" in the label.
  void aLevelBeyondTheSliderLeavesItAtItsEndAndTheLabelAtTheRegister() {
    RegisterPageRig r;
    QVERIFY(r.hold("ATS91=25"));
    QVERIFY(r.press("SpeedButton12"));
    auto* slider = r.control<QSlider>("RxSlider1");
    QCOMPARE(slider->value(), 3);
    QCoreApplication::processEvents();
    QCOMPARE(r.control<QLabel>("RxLabel1")->text(), QStringLiteral("-25"));

    const std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton13"));
    QTRY_COMPARE(r.receivedSince(before), stored("ATS91=20"));
    QVERIFY(r.errors().isEmpty());
  }

  // The user's keys move the slider; each step that moves it shows its
  // level. "В строку" appends the level and sends nothing.
  void theUsersMoveToTheRightEndShowsMinusThreeAndGoesToTheString() {
    RegisterPageRig r;
    auto* slider = r.control<QSlider>("RxSlider1");
    auto* label = r.control<QLabel>("RxLabel1");
    r.showPageOf(slider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    QTRY_COMPARE(label->text(), QStringLiteral("-11"));
    QTest::keyClick(slider, Qt::Key_End);
    QTRY_COMPARE(label->text(), QStringLiteral("-3"));
    QCOMPARE(slider->value(), 20);

    const QString before = r.initString();
    QVERIFY(r.press("SpeedButton14"));
    QCOMPARE(r.initString(), before + "S91=3");
    QCOMPARE(r.receivedSince(0), QString());
  }

  void withoutAReadTheInitialPositionsAreWritten_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("command");
    QTest::newRow("S91") << "SpeedButton13"
                         << "ATS91=10";
    QTest::newRow("S215") << "SpeedButton16"
                          << "ATS215=17";
  }
  void withoutAReadTheInitialPositionsAreWritten() {
    QFETCH(QString, button);
    QFETCH(QString, command);
    RegisterPageRig r = lineAdaptationRig();
    QVERIFY(r.press(button.toStdString()));
    QTRY_COMPARE(r.receivedSince(0), stored(command));
    QVERIFY(r.errors().isEmpty());
  }

  // S215 holds the aggressiveness in its low nibble and the noise detector
  // in its high one; the sliders stop at 1 and 9, and the write packs what
  // they show.
  void lineAdaptationReadSplitsTheRegisterAndAWritePacksTheSliders_data() {
    QTest::addColumn<QString>("held");
    QTest::addColumn<int>("aggressiveness");
    QTest::addColumn<int>("noiseDetector");
    QTest::addColumn<QString>("written");
    QTest::newRow("083, the simulator's own") << QString() << 3 << 5 << "ATS215=83";
    QTest::newRow("000") << "ATS215=0" << 1 << 1 << "ATS215=17";
    QTest::newRow("255") << "ATS215=255" << 9 << 9 << "ATS215=153";
  }
  void lineAdaptationReadSplitsTheRegisterAndAWritePacksTheSliders() {
    QFETCH(QString, held);
    QFETCH(int, aggressiveness);
    QFETCH(int, noiseDetector);
    QFETCH(QString, written);
    RegisterPageRig r = lineAdaptationRig();
    QVERIFY(r.control("RxSlider2")->isEnabled());
    if (!held.isEmpty()) QVERIFY(r.hold(held.toStdString()));
    std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton15"));
    QTRY_COMPARE(r.receivedSince(before), kLineRead);
    QCOMPARE(r.control<QSlider>("RxSlider2")->value(), aggressiveness);
    QCOMPARE(r.control<QSlider>("RxSlider3")->value(), noiseDetector);

    before = r.mark();
    QVERIFY(r.press("SpeedButton16"));
    QTRY_COMPARE(r.receivedSince(before), stored(written));
    const QString string = r.initString();
    QVERIFY(r.press("SpeedButton17"));
    QCOMPARE(r.initString(), string + written.mid(2));
    QVERIFY(r.errors().isEmpty());
  }

  // Answers the simulator spoils: ERROR instead of S91, noise instead of
  // S215. The error box, the sliders and the label as they were, the read
  // still pending; the user's next read on a sound line works.
  void aSpoiledAnswerIsReportedAndChangesNothing_data() {
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("request");
    QTest::addColumn<QString>("value");
    QTest::newRow("S91 answered ERROR")
        << QStringList{"--error-register", "91"} << "SpeedButton12" << kind::TransmitLevel << "ERR";
    QTest::newRow("S215 answered with noise")
        << QStringList{"--garble"} << "SpeedButton15" << kind::LineAdaptation << "#%&";
  }
  void aSpoiledAnswerIsReportedAndChangesNothing() {
    QFETCH(QStringList, fault);
    QFETCH(QString, button);
    QFETCH(int, request);
    QFETCH(QString, value);
    std::vector<std::string> options;
    for (const QString& word : fault) options.push_back(word.toStdString());
    RegisterPageRig r = lineAdaptationRig(options);
    const QList<QSlider*> sliders = this->sliders(r);
    for (QSlider* s : sliders) s->setValue(4);

    QVERIFY(r.press(button.toStdString()));
    QCOMPARE(r.errors(), QStringList{conversionError(value)});
    for (QSlider* s : sliders) QCOMPARE(s->value(), 4);
    QCOMPARE(r.control<QLabel>("RxLabel1")->text(), QString());
    QCOMPARE(r.f.app().program().link().requestKind(), request);
  }

  // A reply that ends right after the echo, as one cut short does: reported
  // once, nothing shown, buffer and pending read kept until the next
  // request, whose complete reply is shown.
  void aValueCutShortIsReportedAndTheNextReadRecovers_data() {
    QTest::addColumn<int>("request");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("button");
    QTest::newRow("S91") << kind::TransmitLevel << "ATE1OKATS10?014OKATS91?"
                         << "SpeedButton12";
    QTest::newRow("S215") << kind::LineAdaptation << "ATE1OKATS10?014OKATS215?"
                          << "SpeedButton15";
  }
  void aValueCutShortIsReportedAndTheNextReadRecovers() {
    QFETCH(int, request);
    QFETCH(QString, reply);
    QFETCH(QString, button);
    RegisterPageRig r = lineAdaptationRig();
    const QList<QSlider*> sliders = this->sliders(r);
    for (QSlider* s : sliders) s->setValue(4);
    r.control<QLabel>("RxLabel1")->setText(QStringLiteral("-19"));

    r.answer(request, reply.toStdString());
    QCOMPARE(r.errors(), QStringList{conversionError("")});
    for (QSlider* s : sliders) QCOMPARE(s->value(), 4);
    QCOMPARE(r.control<QLabel>("RxLabel1")->text(), QStringLiteral("-19"));
    lintari::ModemLink& link = r.f.app().program().link();
    QCOMPARE(link.requestKind(), request);
    QCOMPARE(QString::fromStdString(link.replyText()), reply);

    QVERIFY(r.press(button.toStdString()));
    QCOMPARE(r.errors().size(), 1);
    const QList<int> shown{sliders[0]->value(), sliders[1]->value(), sliders[2]->value()};
    QCOMPARE(shown, request == kind::TransmitLevel ? (QList<int>{13, 4, 4}) : (QList<int>{4, 3, 5}));
    QCOMPARE(r.control<QLabel>("RxLabel1")->text(),
             request == kind::TransmitLevel ? QStringLiteral("-10") : QStringLiteral("-19"));
    QCOMPARE(link.requestKind(), kind::None);
  }

 private:
  static QList<QSlider*> sliders(const RegisterPageRig& r) {
    return {r.control<QSlider>("RxSlider1"), r.control<QSlider>("RxSlider2"),
            r.control<QSlider>("RxSlider3")};
  }
};

QTEST_MAIN(TransmitLevelTest)
#include "transmit_level_test.moc"
