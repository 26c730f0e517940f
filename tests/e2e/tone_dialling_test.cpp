// The tone-dialling speed S11 on the "Дополнительно" page against the modem
// simulator: reads onto the slider and its label, writes with the store,
// "В строку", the user's moves, and replies the page cannot read.

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

const QString kRead = QStringLiteral("ATE1\rATS11?\rATS91?\r");

}  // namespace

class ToneDiallingTest : public QObject {
  Q_OBJECT

 private slots:
  // The slider stops at 3 and 100; the label shows the register itself, not
  // the slider (which a change handler raised by the reply would show). The
  // write sends what the slider holds.
  void aReadShowsTheRegisterAndAWriteSendsTheSlider_data() {
    QTest::addColumn<QString>("held");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("written");
    QTest::newRow("095, the simulator's own") << QString() << 95 << "95"
                                              << "ATS11=95";
    QTest::newRow("001, below the slider") << "ATS11=1" << 3 << "1"
                                           << "ATS11=3";
    QTest::newRow("150, above the slider") << "ATS11=150" << 100 << "150"
                                           << "ATS11=100";
  }
  void aReadShowsTheRegisterAndAWriteSendsTheSlider() {
    QFETCH(QString, held);
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(QString, written);
    RegisterPageRig r;
    if (!held.isEmpty()) QVERIFY(r.hold(held.toStdString()));
    std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton22"));
    QTRY_COMPARE(r.receivedSince(before), kRead);
    QCOMPARE(r.control<QSlider>("RxSlider4")->value(), position);
    QCoreApplication::processEvents();
    QCOMPARE(r.control<QLabel>("RxLabel12")->text(), label);

    before = r.mark();
    QVERIFY(r.press("SpeedButton23"));
    QTRY_COMPARE(r.receivedSince(before), stored(written));
    QVERIFY(r.errors().isEmpty());
  }

  void withoutAReadTheInitialPositionIsWrittenAndAppended() {
    RegisterPageRig r;
    QCOMPARE(r.control<QLabel>("RxLabel12")->text(), QString());
    QVERIFY(r.press("SpeedButton23"));
    QTRY_COMPARE(r.receivedSince(0), stored("ATS11=13"));
    const QString before = r.initString();
    QVERIFY(r.press("SpeedButton24"));
    QCOMPARE(r.initString(), before + "S11=13");
    QVERIFY(r.press("SpeedButton24"));
    QCOMPARE(r.initString(), before + "S11=13S11=13");
    QVERIFY(r.errors().isEmpty());
  }

  // Every key step that moves the slider shows its position; one that
  // cannot move it changes nothing.
  void theUsersMovesShowThePosition() {
    RegisterPageRig r;
    auto* slider = r.control<QSlider>("RxSlider4");
    auto* label = r.control<QLabel>("RxLabel12");
    r.showPageOf(slider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTRY_COMPARE(label->text(), QStringLiteral("14"));
    QTest::keyClick(slider, Qt::Key_Home);
    QTRY_COMPARE(label->text(), QStringLiteral("3"));
    label->setText(QStringLiteral("mark"));
    QTest::keyClick(slider, Qt::Key_Left);
    QCoreApplication::processEvents();
    QCOMPARE(label->text(), QStringLiteral("mark"));
    QTest::keyClick(slider, Qt::Key_End);
    QTRY_COMPARE(label->text(), QStringLiteral("100"));

    const QString before = r.initString();
    QVERIFY(r.press("SpeedButton24"));
    QCOMPARE(r.initString(), before + "S11=100");
    QCOMPARE(r.receivedSince(0), QString());
  }

  // The modem answers ERROR to the S11 query: the error box, slider and
  // label as they were, the read still pending.
  void anErrorAnswerIsReportedAndChangesNothing() {
    RegisterPageRig r({"--error-register", "11"});
    auto* slider = r.control<QSlider>("RxSlider4");
    slider->setValue(40);
    QVERIFY(r.press("SpeedButton22"));
    QCOMPARE(r.errors(), QStringList{conversionError("ERR")});
    QCOMPARE(slider->value(), 40);
    QCOMPARE(r.control<QLabel>("RxLabel12")->text(), QString());
    QCOMPARE(r.f.app().program().link().requestKind(), kind::ToneDialling);
  }

  // A modem that does not echo: the answer cannot be placed without the
  // echoed query, so the read shows nothing and reports nothing.
  void withoutTheEchoTheReadHasNoVisibleEffect() {
    RegisterPageRig r({"--no-echo"});
    QVERIFY(r.press("SpeedButton22"));
    QCOMPARE(r.control<QSlider>("RxSlider4")->value(), 13);
    QCOMPARE(r.control<QLabel>("RxLabel12")->text(), QString());
    QVERIFY(r.errors().isEmpty());
  }

  // A reply that ends right after the echo: reported once, nothing shown,
  // buffer and pending read kept; the user's next read is shown.
  void aValueCutShortIsReportedAndTheNextReadRecovers() {
    RegisterPageRig r;
    auto* slider = r.control<QSlider>("RxSlider4");
    auto* label = r.control<QLabel>("RxLabel12");
    slider->setValue(40);
    label->setText(QStringLiteral("40"));
    r.answer(kind::ToneDialling, "ATE1OKATS11?");
    QCOMPARE(r.errors(), QStringList{conversionError("")});
    QCOMPARE(slider->value(), 40);
    QCOMPARE(label->text(), QStringLiteral("40"));
    lintari::ModemLink& link = r.f.app().program().link();
    QCOMPARE(link.requestKind(), kind::ToneDialling);
    QCOMPARE(link.replyText(), std::string("ATE1OKATS11?"));

    QVERIFY(r.press("SpeedButton22"));
    QCOMPARE(r.errors().size(), 1);
    QCOMPARE(slider->value(), 95);
    QCOMPARE(label->text(), QStringLiteral("95"));
    QCOMPARE(link.requestKind(), kind::None);
  }
};

QTEST_MAIN(ToneDiallingTest)
#include "tone_dialling_test.moc"
