// The "Регистры +" page against the modem simulator: S216 and the second
// register (S218, or S17 on the firmware that names it) shown bit by bit in
// two check lists. Reads, the one-line write with the store, "В строку", a
// write that overtakes a read, and replies the page cannot read.

#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>

#include "link/request_kind.h"
#include "support/register_page_rig.h"

using lintari::testing_support::conversionError;
using lintari::testing_support::RegisterPageRig;
using lintari::testing_support::stored;
namespace kind = lintari::kind;

namespace {

// A firmware whose profile enables the page: "kq1" names the second register
// S17, "84a" (the simulator's default) leaves it S218.
RegisterPageRig rigFor(const std::string& firmware, std::vector<std::string> options = {}) {
  options.insert(options.end(), {"--firmware", firmware});
  return RegisterPageRig(std::move(options), "TRVK2", firmware);
}

QListWidget* list(const RegisterPageRig& r, int which) {
  return r.control<QListWidget>(which == 1 ? "CheckListBox1" : "CheckListBox2");
}

// The checked items of a list as its bit string, bit 0 first.
QString bits(QListWidget* list) {
  QString text;
  for (int k = 0; k < list->count(); ++k) text += list->item(k)->checkState() == Qt::Checked ? '1' : '0';
  return text;
}

void setBits(QListWidget* list, const QString& bits) {
  for (int k = 0; k < list->count(); ++k) {
    list->item(k)->setCheckState(bits[k] == '1' ? Qt::Checked : Qt::Unchecked);
  }
}

// The user clicks the check box of every item whose state differs from
// `bits`, as shown on the screen.
void clickTo(const RegisterPageRig& r, QListWidget* list, const QString& bits) {
  r.showPageOf(list);
  for (int k = 0; k < list->count(); ++k) {
    QListWidgetItem* item = list->item(k);
    if ((item->checkState() == Qt::Checked) == (bits[k] == '1')) continue;
    list->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = item->text();
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  }
}

}  // namespace

class ExtendedRegistersTest : public QObject {
  Q_OBJECT

 private slots:
  // Both registers share one command line and one "AT"; the user's clicks
  // are what goes out.
  void aWriteSendsBothRegistersInOneLine_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("command");
    QTest::newRow("all unchecked") << "84a"
                                   << "00000000"
                                   << "00000000"
                                   << "ATS216=0S218=0";
    QTest::newRow("all checked") << "84a"
                                 << "11111111"
                                 << "11111111"
                                 << "ATS216=255S218=255";
    QTest::newRow("S17") << "kq1"
                         << "10100000"
                         << "01100000"
                         << "ATS216=5S17=6";
  }
  void aWriteSendsBothRegistersInOneLine() {
    QFETCH(QString, firmware);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, command);
    RegisterPageRig r = rigFor(firmware.toStdString());
    clickTo(r, list(r, 1), first);
    clickTo(r, list(r, 2), second);
    QCOMPARE(bits(list(r, 1)), first);
    QCOMPARE(bits(list(r, 2)), second);

    QVERIFY(r.press("SpeedButton2"));
    QTRY_COMPARE(r.receivedSince(0), stored(command));
    const QString before = r.initString();
    QVERIFY(r.press("SpeedButton7"));
    QVERIFY(r.press("SpeedButton7"));
    QCOMPARE(r.initString(), before + command.mid(2) + command.mid(2));

    // What the modem now holds comes back onto the lists.
    setBits(list(r, 1), QString(8, '0'));
    setBits(list(r, 2), QString(8, '0'));
    QVERIFY(r.press("Button1"));
    QCOMPARE(bits(list(r, 1)), first);
    QCOMPARE(bits(list(r, 2)), second);
    QVERIFY(r.errors().isEmpty());
  }

  // Every item is set by a read: 000 unchecks a whole list, 255 checks it.
  void aReadSetsEveryItem_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("255 and 000") << "84a"
                                 << "ATS216=255S218=0"
                                 << "ATS218?"
                                 << "11111111"
                                 << "00000000";
    QTest::newRow("000 and 255") << "84a"
                                 << "ATS216=0S218=255"
                                 << "ATS218?"
                                 << "00000000"
                                 << "11111111";
    QTest::newRow("S17, 5 and 2") << "kq1"
                                  << "ATS216=5S17=2"
                                  << "ATS17?"
                                  << "10100000"
                                  << "01000000";
  }
  void aReadSetsEveryItem() {
    QFETCH(QString, firmware);
    QFETCH(QString, held);
    QFETCH(QString, query);
    QFETCH(QString, first);
    QFETCH(QString, second);
    RegisterPageRig r = rigFor(firmware.toStdString());
    QVERIFY(r.hold(held.toStdString()));
    // The opposite of what the modem holds, so that every item must change.
    for (int which : {1, 2}) {
      QString inverse;
      for (QChar c : which == 1 ? first : second) inverse += c == '1' ? '0' : '1';
      setBits(list(r, which), inverse);
    }
    const std::size_t before = r.mark();
    QVERIFY(r.press("Button1"));
    QTRY_COMPARE(r.receivedSince(before), "ATE1\rATS216?\r" + query + "\r");
    QCOMPARE(bits(list(r, 1)), first);
    QCOMPARE(bits(list(r, 2)), second);
    QVERIFY(r.errors().isEmpty());
  }

  // "Записать" pressed while the read's answer is still unhandled: the write
  // clears the pending read, so its answer changes no item when it arrives.
  void aWriteBeforeTheReadsAnswerAbandonsTheRead() {
    RegisterPageRig r = rigFor("84a");
    QVERIFY(r.hold("ATS216=255S218=255"));
    setBits(list(r, 1), QStringLiteral("10000000"));
    const std::size_t before = r.mark();
    r.showPageOf(list(r, 1));
    r.f.click("TForm1", "Button1");
    r.f.click("TForm1", "SpeedButton2");
    QVERIFY(r.f.settle());
    QTRY_COMPARE(r.receivedSince(before), "ATE1\rATS216?\rATS218?\r" + stored("ATS216=1S218=0"));
    QCOMPARE(bits(list(r, 1)), QStringLiteral("10000000"));
    QCOMPARE(bits(list(r, 2)), QStringLiteral("00000000"));
    QCOMPARE(r.f.app().program().link().requestKind(), kind::None);
    QVERIFY(r.errors().isEmpty());
  }

  // The second register answered ERROR, or the reply ends right after its
  // echo: reported once, and no item changes, not even those of S216,
  // whose value was sound. The read stays pending with its buffer.
  void aSecondValueThatIsNoNumberChangesNoItem() {
    RegisterPageRig r = rigFor("84a", {"--error-register", "218"});
    QVERIFY(r.hold("ATS216=255"));
    setBits(list(r, 1), QStringLiteral("01000000"));
    setBits(list(r, 2), QStringLiteral("00100000"));
    QVERIFY(r.press("Button1"));
    QCOMPARE(r.errors(), QStringList{conversionError("ERR")});
    QCOMPARE(bits(list(r, 1)), QStringLiteral("01000000"));
    QCOMPARE(bits(list(r, 2)), QStringLiteral("00100000"));

    lintari::ModemLink& link = r.f.app().program().link();
    QCOMPARE(link.requestKind(), kind::ExtendedRegisters);
    const std::string cut = "ATE1OKATS216?255OKATS218?";
    r.answer(kind::ExtendedRegisters, cut);
    QCOMPARE(r.errors(), (QStringList{conversionError("ERR"), conversionError("")}));
    QCOMPARE(bits(list(r, 1)), QStringLiteral("01000000"));
    QCOMPARE(bits(list(r, 2)), QStringLiteral("00100000"));
    QCOMPARE(link.requestKind(), kind::ExtendedRegisters);
    QCOMPARE(link.replyText(), cut);
  }
};

QTEST_MAIN(ExtendedRegistersTest)
#include "extended_registers_test.moc"
