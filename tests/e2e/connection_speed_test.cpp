// The "Скорость" page against the modem simulator: the AT+MS setting over
// six drop-down lists and the symbol-rate bits of S210. Reads, the write of
// up to two stores, "В строку", the user's pick of a protocol, and replies
// the page cannot read.

#include <QComboBox>
#include <QtTest>

#include "link/request_kind.h"
#include "support/register_page_rig.h"

using lintari::testing_support::conversionError;
using lintari::testing_support::RegisterPageRig;
using lintari::testing_support::stored;
namespace kind = lintari::kind;

namespace {

const QString kRead = QStringLiteral("ATE1\rAT+MS?\rATS210?\r");
// Protocol, automatic mode, lowest and highest receive, lowest and highest
// transmit, symbol rate.
const QStringList kBoxes{"ComboBox2", "ComboBox9", "ComboBox3", "ComboBox4",
                         "ComboBox5", "ComboBox6", "ComboBox8"};
const QStringList kRateBoxes{"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"};

QComboBox* box(const RegisterPageRig& r, const QString& name) {
  return r.control<QComboBox>(name.toStdString());
}

// What each box shows, in the order of kBoxes; empty when nothing is
// selected.
QStringList shown(const RegisterPageRig& r) {
  QStringList texts;
  for (const QString& name : kBoxes) texts << box(r, name)->currentText();
  return texts;
}

// How many entries each rate list holds.
QList<int> rateCounts(const RegisterPageRig& r) {
  QList<int> counts;
  for (const QString& name : kRateBoxes) counts << box(r, name)->count();
  return counts;
}

void select(const RegisterPageRig& r, const QList<int>& indexes) {
  for (int i = 0; i < kBoxes.size(); ++i) box(r, kBoxes[i])->setCurrentIndex(indexes[i]);
}

}  // namespace

class ConnectionSpeedTest : public QObject {
  Q_OBJECT

 private slots:
  // The simulator's setting is V92,1,300,48000,300,56000 with S210 = 5. A
  // full write sends two stores in order; "В строку" leaves out the symbol
  // rate.
  void theDefaultReplySelectsEveryBoxAndAFullWriteSendsFourLines() {
    RegisterPageRig r;
    QCOMPARE(shown(r), QStringList(kBoxes.size(), QString()));
    QVERIFY(r.press("SpeedButton9"));
    QTRY_COMPARE(r.receivedSince(0), kRead);
    QCOMPARE(shown(r), (QStringList{"V92", "Да", "300", "56000", "300", "48000", "3429"}));
    QCOMPARE(rateCounts(r), (QList<int>{45, 45, 37, 37}));

    std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton10"));
    QTRY_COMPARE(r.receivedSince(before), stored("AT+MS=V92,1,300,48000,300,56000") + stored("ATS210=5"));
    const QString string = r.initString();
    QVERIFY(r.press("SpeedButton11"));
    QCOMPARE(r.initString(), string + "+MS=V92,1,300,48000,300,56000");
    QVERIFY(r.errors().isEmpty());
  }

  // V32 is item 0, reached through the fallback; its lists hold 8 entries.
  void aV32ReplyFillsTheShortListsAndSelectsFromThem() {
    RegisterPageRig r;
    QVERIFY(r.hold("AT+MS=V32,0,300,9600,1200,9600"));
    const std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton9"));
    QTRY_COMPARE(r.receivedSince(before), kRead);
    QCOMPARE(shown(r), (QStringList{"V32", "Нет", "1200", "9600", "300", "9600", "3429"}));
    QCOMPARE(rateCounts(r), (QList<int>{8, 8, 8, 8}));
    QVERIFY(r.errors().isEmpty());
  }

  // Only bits 0 to 2 of S210 count; 0, 6 and 7 name no symbol rate and
  // clear the earlier selection.
  void theSymbolRateComesFromTheLowBitsOfS210_data() {
    QTest::addColumn<int>("s210");
    QTest::addColumn<QString>("symbolRate");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("6") << 6 << "";
    QTest::newRow("7") << 7 << "";
    QTest::newRow("8, bit 3 alone") << 8 << "";
    QTest::newRow("14, bits 1 to 3") << 14 << "";
    QTest::newRow("13, bits 0, 2 and 3") << 13 << "3429";
    QTest::newRow("9, bits 0 and 3") << 9 << "2400";
  }
  void theSymbolRateComesFromTheLowBitsOfS210() {
    QFETCH(int, s210);
    QFETCH(QString, symbolRate);
    RegisterPageRig r;
    QVERIFY(r.hold("ATS210=" + std::to_string(s210)));
    box(r, "ComboBox8")->setCurrentIndex(2);
    QVERIFY(r.press("SpeedButton9"));
    QCOMPARE(box(r, "ComboBox8")->currentText(), symbolRate);
    QCOMPARE(box(r, "ComboBox2")->currentText(), QStringLiteral("V92"));
    QVERIFY(r.errors().isEmpty());
  }

  // The user's pick of a protocol refills the four rate lists and leaves
  // them unselected: the write then sends only the symbol rate, or nothing
  // at all without one, and "В строку" does nothing.
  void theUsersPickOfAProtocolLeavesOnlyTheSymbolRateToWrite() {
    RegisterPageRig r;
    QVERIFY(r.press("SpeedButton9"));
    auto* protocol = box(r, "ComboBox2");
    r.showPageOf(protocol);
    protocol->setFocus();
    QTest::keyClick(protocol, Qt::Key_Home);
    QCOMPARE(shown(r), (QStringList{"V32", "Да", "", "", "", "", "3429"}));
    QCOMPARE(rateCounts(r), (QList<int>{8, 8, 8, 8}));
    QCOMPARE(box(r, "ComboBox3")->itemText(7), QStringLiteral("9600"));

    std::size_t before = r.mark();
    QVERIFY(r.press("SpeedButton10"));
    QTRY_COMPARE(r.receivedSince(before), stored("ATS210=5"));
    const QString string = r.initString();
    QVERIFY(r.press("SpeedButton11"));
    QCOMPARE(r.initString(), string);

    box(r, "ComboBox8")->setCurrentIndex(-1);
    before = r.mark();
    QVERIFY(r.press("SpeedButton10"));
    QCOMPARE(r.receivedSince(before), QString());
    QVERIFY(r.errors().isEmpty());
  }

  // S210 answered ERROR: the setting before it is in place, the symbol rate
  // keeps its earlier selection, and the read stays pending.
  void anErrorAnswerToS210KeepsWhatWasReadBeforeIt() {
    RegisterPageRig r({"--error-register", "210"});
    box(r, "ComboBox8")->setCurrentIndex(1);
    QVERIFY(r.press("SpeedButton9"));
    QCOMPARE(r.errors(), QStringList{conversionError("ERR")});
    QCOMPARE(shown(r), (QStringList{"V92", "Да", "300", "56000", "300", "48000", "2800"}));
    QCOMPARE(r.f.app().program().link().requestKind(), kind::ConnectionSpeed);
  }

  // Replies the simulator cannot give. The reply is handled step by step:
  // what comes before the failing step stays in effect, nothing after it
  // happens, and buffer and pending read stay for the next request.
  void aValueThatIsNoNumberStopsTheReplyAtItsStep_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QList<int>>("counts");
    // Before the reply: V90, "Нет", the third entry of each rate list, and
    // "2800", over the lists of the window at start.
    QTest::newRow("lowest receive rate garbled")
        << "ATE1OKAT+MS?+MS: V34,1,300,33600,3x0,33600OKATS210?005OK"
        << "3x0" << QStringList{"V34", "Нет", "", "", "", "", "2800"} << QList<int>{20, 20, 20, 20};
    QTest::newRow("S210 cut after its echo")
        << "ATE1OKAT+MS?+MS: V32,1,300,9600,300,4800OKATS210?"
        << "" << QStringList{"V32", "Да", "300", "4800", "300", "9600", "2800"} << QList<int>{8, 8, 8, 8};
    QTest::newRow("setting cut short before its fields")
        << "ATE1OKAT+MS?+MS: V34,1,300OKATS210?005OK"
        << "" << QStringList{"V90", "Нет", "600", "600", "600", "600", "2800"} << QList<int>{45, 45, 22, 37};
  }
  void aValueThatIsNoNumberStopsTheReplyAtItsStep() {
    QFETCH(QString, reply);
    QFETCH(QString, error);
    QFETCH(QStringList, after);
    QFETCH(QList<int>, counts);
    RegisterPageRig r;
    select(r, {3, 0, 2, 2, 2, 2, 1});
    r.answer(kind::ConnectionSpeed, reply.toStdString());
    QCOMPARE(r.errors(), QStringList{conversionError(error)});
    QCOMPARE(shown(r), after);
    QCOMPARE(rateCounts(r), counts);
    lintari::ModemLink& link = r.f.app().program().link();
    QCOMPARE(link.requestKind(), kind::ConnectionSpeed);
    QCOMPARE(QString::fromStdString(link.replyText()), reply);
  }
};

QTEST_MAIN(ConnectionSpeedTest)
#include "connection_speed_test.moc"
