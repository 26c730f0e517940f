#include "pages/extended_registers_page.h"

#include <gtest/gtest.h>

#include "common/logic_fixture.h"
#include "common/row_name.h"
#include "page_test_support.h"

namespace lintari {
namespace {

using testing_support::ConversionError;
using testing_support::Deliver;
using testing_support::EchoedAnswer;
using testing_support::ErrorOf;
using testing_support::kStoreProfiles;
using testing_support::LogicFixture;
using testing_support::SentBy;
using testing_support::WithoutLineEnds;

std::string ExtendedReply(std::string_view name, std::string_view s216, std::string_view second) {
  return EchoedAnswer("ATE1") + EchoedAnswer("ATS216?", {s216}) +
         EchoedAnswer("AT" + std::string(name) + "?", {second});
}

struct ExtendedRegistersPageTest : ::testing::Test {
  LogicFixture f;
  InitString initString{f.context};
  ExtendedRegistersPage page{f.context, initString};

  void SetUp() override { f.configureModem(); }

  // Checks items from a bit string, bit 0 first.
  void check(std::string_view list, std::string_view bits) {
    for (int k = 0; k < 8; ++k) f.main.setChecked(list, k, bits[static_cast<std::size_t>(k)] == '1');
  }
  std::string checks(std::string_view list) const {
    std::string bits;
    for (int k = 0; k < 8; ++k) bits += f.main.isChecked(list, k) ? '1' : '0';
    return bits;
  }
};

TEST_F(ExtendedRegistersPageTest, BindsItsThreeButtons) {
  Handlers handlers;
  page.bind(handlers);
  EXPECT_EQ(testing_support::BoundControls(handlers),
            (std::vector<std::string>{"Button1 Click", "SpeedButton2 Click", "SpeedButton7 Click"}));
}

TEST_F(ExtendedRegistersPageTest, ReadAsksForTheRegisterLabel5Names) {
  EXPECT_EQ(SentBy(f, [&] { page.Button1Click(); }), "ATE1\rATS216?\rATS218?\r");
  EXPECT_EQ(f.link.requestKind(), kind::ExtendedRegisters);
  f.main.setText("Label5", "S17");
  EXPECT_EQ(SentBy(f, [&] { page.Button1Click(); }), "ATE1\rATS216?\rATS17?\r");
}

struct ReadRow {
  const char* name;
  const char* secondName;
  const char* s216;
  const char* second;
  const char* bits1;
  const char* bits2;
};

class ExtendedRegistersRead : public ExtendedRegistersPageTest,
                              public ::testing::WithParamInterface<ReadRow> {};

// Every item is set: each list starts as the opposite of what the reply says.
TEST_P(ExtendedRegistersRead, SetsEveryItemOfBothLists) {
  const ReadRow& row = GetParam();
  auto opposite = [](std::string bits) {
    for (char& c : bits) c = c == '1' ? '0' : '1';
    return bits;
  };
  f.main.setText("Label5", row.secondName);
  check("CheckListBox1", opposite(row.bits1));
  check("CheckListBox2", opposite(row.bits2));
  page.Button1Click();
  Deliver(f, ExtendedReply(row.secondName, row.s216, row.second));
  EXPECT_EQ(checks("CheckListBox1"), row.bits1);
  EXPECT_EQ(checks("CheckListBox2"), row.bits2);
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(f.link.replyText(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtendedRegistersRead,
    ::testing::Values(ReadRow{"FiveAndTwo", "S218", "005", "002", "10100000", "01000000"},
                      ReadRow{"SecondRegisterS17", "S17", "005", "002", "10100000", "01000000"},
                      ReadRow{"ZeroUnchecksAllAllSetChecksAll", "S218", "000", "255", "00000000", "11111111"},
                      ReadRow{"AllSetChecksAllZeroUnchecksAll", "S17", "255", "000", "11111111", "00000000"},
                      ReadRow{"TopBit", "S218", "128", "001", "00000001", "10000000"}),
    testing_support::RowName());

struct WriteRow {
  const char* name;
  const char* secondName;
  const char* bits1;
  const char* bits2;
  const char* setting;
};

class ExtendedRegistersWrite : public ExtendedRegistersPageTest,
                               public ::testing::WithParamInterface<WriteRow> {};

TEST_P(ExtendedRegistersWrite, SendsBothInOneLineAndAppendsTheSame) {
  const WriteRow& row = GetParam();
  f.main.setText("Label5", row.secondName);
  check("CheckListBox1", row.bits1);
  check("CheckListBox2", row.bits2);
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton2Click(); }),
            "AT" + std::string(row.setting) + "\r" + std::string(kStoreProfiles));
  EXPECT_EQ(f.link.requestKind(), kind::None);
  f.main.setText("Edit1", "S11=13");
  page.SpeedButton7Click();
  page.SpeedButton7Click();
  EXPECT_EQ(f.main.text("Edit1"), "S11=13" + std::string(row.setting) + row.setting);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtendedRegistersWrite,
    ::testing::Values(WriteRow{"AllUnchecked", "S218", "00000000", "00000000", "S216=0S218=0"},
                      WriteRow{"AllChecked", "S218", "11111111", "11111111", "S216=255S218=255"},
                      WriteRow{"SomeChecked", "S218", "10100000", "01000000", "S216=5S218=2"},
                      WriteRow{"SecondRegisterS17", "S17", "10100000", "01000000", "S216=5S17=2"},
                      WriteRow{"TopBitOnly", "S17", "00000001", "00000000", "S216=128S17=0"}),
    testing_support::RowName());

struct BadRow {
  const char* name;
  std::string reply;
  std::string message;
};

class ExtendedRegistersBadReply : public ExtendedRegistersPageTest,
                                  public ::testing::WithParamInterface<BadRow> {};

TEST_P(ExtendedRegistersBadReply, RaisesTheConversionErrorAndChangesNoItem) {
  const BadRow& row = GetParam();
  check("CheckListBox1", "01100110");
  check("CheckListBox2", "10011001");
  page.Button1Click();
  EXPECT_EQ(ErrorOf([&] { Deliver(f, row.reply); }), row.message);
  EXPECT_EQ(checks("CheckListBox1"), "01100110");
  EXPECT_EQ(checks("CheckListBox2"), "10011001");
  EXPECT_EQ(f.link.requestKind(), kind::ExtendedRegisters);
  EXPECT_EQ(f.link.replyText(), WithoutLineEnds(row.reply));
  EXPECT_EQ(ErrorOf([&] { f.link.VaCommTxEmpty(); }), row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtendedRegistersBadReply,
    ::testing::Values(
        // S216 converts; the second value does not, so S216's items stay too.
        BadRow{"SecondValueCutShort", ExtendedReply("S218", "005", "02"), ConversionError("02O")},
        BadRow{"FirstValueCutShort", ExtendedReply("S218", "5", "002"), ConversionError("5OK")},
        BadRow{"SecondNotYetArrived", EchoedAnswer("ATE1") + EchoedAnswer("ATS216?", {"005"}) + "ATS218?\r",
               ConversionError("")},
        // Label5 says S218 but the modem echoed ATS17?: a missing echo reads
        // from the seventh character of the buffer on.
        BadRow{"SecondEchoMissing", ExtendedReply("S17", "005", "002"), ConversionError("ATS")}),
    testing_support::RowName());

TEST_F(ExtendedRegistersPageTest, MissingEchoTakesTheValueFromTheStartOfTheBuffer) {
  // No echo of ATS216? at all: its value is taken from characters 7 to 9.
  page.Button1Click();
  Deliver(f, EchoedAnswer("ATE1") + "\r\n004\r\n\r\nOK\r\n" + EchoedAnswer("ATS218?", {"001"}));
  EXPECT_EQ(checks("CheckListBox1"), "00100000");
  EXPECT_EQ(checks("CheckListBox2"), "10000000");
}

TEST_F(ExtendedRegistersPageTest, WritePressedBeforeTheReplyAbandonsTheRead) {
  page.Button1Click();
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton2Click(); }), "ATS216=0S218=0\r" + std::string(kStoreProfiles));
  Deliver(f, ExtendedReply("S218", "255", "255"));
  f.link.VaCommTxEmpty();
  EXPECT_EQ(checks("CheckListBox1"), "00000000");
  EXPECT_EQ(checks("CheckListBox2"), "00000000");
  EXPECT_EQ(f.link.requestKind(), kind::None);
}

TEST_F(ExtendedRegistersPageTest, TheNameIsTakenWhenTheReplyIsHandled) {
  page.Button1Click();
  f.main.setText("Label5", "S17");
  Deliver(f, EchoedAnswer("ATE1") + EchoedAnswer("ATS216?", {"001"}) + EchoedAnswer("ATS17?", {"003"}));
  EXPECT_EQ(checks("CheckListBox2"), "11000000");
}

}  // namespace
}  // namespace lintari
