#include "pages/connection_speed_page.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "common/logic_fixture.h"
#include "common/row_name.h"
#include "page_test_support.h"
#include "pages/speed_lists.h"

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

constexpr std::string_view kExample = "V92,1,300,48000,300,56000";

std::string SpeedReply(std::string_view setting, std::string_view s210) {
  return EchoedAnswer("ATE1") + EchoedAnswer("AT+MS?", {"+MS: " + std::string(setting)}) +
         EchoedAnswer("ATS210?", {s210});
}

// ComboBox2, ComboBox9, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox8.
constexpr std::array<std::string_view, 7> kBoxes{"ComboBox2", "ComboBox9", "ComboBox3", "ComboBox4",
                                                 "ComboBox5", "ComboBox6", "ComboBox8"};
using Selection = std::array<int, 7>;

struct ConnectionSpeedPageTest : ::testing::Test {
  LogicFixture f;
  InitString initString{f.context};
  ConnectionSpeedPage page{f.context, initString};
  Handlers handlers;

  void SetUp() override {
    f.configureModem();
    page.bind(handlers);
  }

  void read(std::string_view setting, std::string_view s210) {
    page.SpeedButton9Click();
    Deliver(f, SpeedReply(setting, s210));
  }
  Selection selection() const {
    Selection s{};
    for (std::size_t i = 0; i < kBoxes.size(); ++i) s[i] = f.main.itemIndex(kBoxes[i]);
    return s;
  }
  void select(const Selection& s) {
    for (std::size_t i = 0; i < kBoxes.size(); ++i) f.main.setItemIndex(kBoxes[i], s[i]);
  }
  std::size_t count(std::string_view list) const { return f.main.items(list).size(); }
};

TEST_F(ConnectionSpeedPageTest, BindsTheUsersPickAndItsButtons) {
  EXPECT_EQ(testing_support::BoundControls(handlers),
            (std::vector<std::string>{"ComboBox2 UserPick", "SpeedButton9 Click", "SpeedButton10 Click",
                                      "SpeedButton11 Click"}));
}

TEST_F(ConnectionSpeedPageTest, ReadAsksForTheSettingThenS210) {
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton9Click(); }), "ATE1\rAT+MS?\rATS210?\r");
  EXPECT_EQ(f.link.requestKind(), kind::ConnectionSpeed);
}

TEST_F(ConnectionSpeedPageTest, ReplySelectsAllSevenBoxes) {
  read(kExample, "005");
  EXPECT_EQ(f.main.text("ComboBox2"), "V92");
  EXPECT_EQ(f.main.text("ComboBox9"), "Да");
  EXPECT_EQ(f.main.text("ComboBox3"), "300");
  EXPECT_EQ(f.main.text("ComboBox4"), "56000");
  EXPECT_EQ(f.main.text("ComboBox5"), "300");
  EXPECT_EQ(f.main.text("ComboBox6"), "48000");
  EXPECT_EQ(f.main.text("ComboBox8"), "3429");
  EXPECT_EQ(count("ComboBox3"), 45u);
  EXPECT_EQ(count("ComboBox6"), 37u);
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(f.link.replyText(), "");
}

TEST(SpeedSettingParse, TheExampleBufferGivesItsSixFields) {
  const auto setting = ParseSpeedSetting("ATE1OKAT+MS?+MS: V92,1,300,48000,300,56000OKATS210?005OK");
  ASSERT_TRUE(setting);
  EXPECT_EQ(setting->protocol, "V92");
  EXPECT_EQ(setting->automatic, "1");
  EXPECT_EQ(setting->lowTransmit, "300");
  EXPECT_EQ(setting->highTransmit, "48000");
  EXPECT_EQ(setting->lowReceive, "300");
  EXPECT_EQ(setting->highReceive, "56000");
  EXPECT_EQ(ConnectionSpeedSetting(*setting), "+MS=V92,1,300,48000,300,56000");
}

struct TextRow {
  const char* name;
  const char* buffer;
  std::optional<std::string> text;
};

class SpeedSettingText : public ::testing::TestWithParam<TextRow> {};

TEST_P(SpeedSettingText, IsFoundBetweenTheEchoesOrNotAtAll) {
  const std::optional<std::string_view> text = ReadSpeedSettingText(GetParam().buffer);
  EXPECT_EQ(text ? std::optional<std::string>(*text) : std::nullopt, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpeedSettingText,
    ::testing::Values(
        TextRow{"Example", "ATE1OKAT+MS?+MS: V90,0,300,28800,300,56000OKATS210?013OK",
                "V90,0,300,28800,300,56000"},
        TextRow{"JustRoomForPrefixAndOk", "AT+MS?+MS: OKATS210?", ""},
        TextRow{"AnsweredWithError", "ATE1OKAT+MS?ERRORATS210?005OK", std::nullopt},
        TextRow{"SettingEchoMissing", "ATE1OK+MS: V92,1,300,48000,300,56000OKATS210?005OK", std::nullopt},
        TextRow{"SymbolRateEchoMissing", "ATE1OKAT+MS?+MS: V92,1,300,48000,300,56000OK", std::nullopt},
        TextRow{"EchoesReversed", "ATS210?005OKAT+MS?+MS: V92,1,300,48000,300,56000OK", std::nullopt},
        TextRow{"SettingEchoLast", "ATE1OKATS210?005OKAT+MS?", std::nullopt},
        TextRow{"Empty", "", std::nullopt}),
    testing_support::RowName());

TEST(SpeedSettingSplit, CutsAtTheFirstFiveCommasOnly) {
  EXPECT_FALSE(SplitSpeedSetting("V92,1,300,48000,300"));
  EXPECT_FALSE(SplitSpeedSetting(""));
  const auto extra = SplitSpeedSetting("V92,1,300,48000,300,56000,7");
  ASSERT_TRUE(extra);
  EXPECT_EQ(extra->highReceive, "56000,7");
  const auto blanks = SplitSpeedSetting("V90, 1, 300, 28800, 300, 56000");
  ASSERT_TRUE(blanks);
  EXPECT_EQ(blanks->protocol, "V90");
  EXPECT_EQ(blanks->automatic, " 1");
  const auto empty = SplitSpeedSetting(",,,,,");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->highReceive, "");
}

struct ProtocolRow {
  const char* name;
  const char* protocol;
  int item;
  std::size_t receive;
  std::size_t lowTransmit;
  std::size_t highTransmit;
};

class ConnectionSpeedProtocol : public ConnectionSpeedPageTest,
                                public ::testing::WithParamInterface<ProtocolRow> {};

TEST_P(ConnectionSpeedProtocol, FillsTheListsAndSelectsTheProtocol) {
  const ProtocolRow& row = GetParam();
  read(std::string(row.protocol) + ",0,300,300,300,300", "001");
  EXPECT_EQ(f.main.itemIndex("ComboBox2"), row.item);
  EXPECT_EQ(count("ComboBox3"), row.receive);
  EXPECT_EQ(count("ComboBox4"), row.receive);
  EXPECT_EQ(count("ComboBox5"), row.lowTransmit);
  EXPECT_EQ(count("ComboBox6"), row.highTransmit);
  for (std::string_view rate : {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"}) {
    EXPECT_EQ(f.main.text(rate), "300") << rate;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionSpeedProtocol,
    ::testing::Values(
        // Item 0 is never compared: V32 is selected as the fallback.
        ProtocolRow{"V32", "V32", 0, 8, 8, 8}, ProtocolRow{"V32b", "V32b", 1, 10, 10, 10},
        ProtocolRow{"V34", "V34", 2, 20, 20, 20}, ProtocolRow{"V90", "V90", 3, 45, 16, 16},
        ProtocolRow{"V92", "V92", 4, 45, 37, 37},
        // Unknown names leave the lists of the window at start.
        ProtocolRow{"OtherCase", "v92", 0, 45, 22, 37}, ProtocolRow{"Unknown", "V22", 0, 45, 22, 37}),
    testing_support::RowName());

TEST_F(ConnectionSpeedPageTest, RatesNotInTheirListSelectItemZero) {
  read("V90,1,33600,31200,300,28800", "005");
  EXPECT_EQ(f.main.text("ComboBox5"), "75");
  EXPECT_EQ(f.main.text("ComboBox6"), "75");
  EXPECT_EQ(f.main.text("ComboBox3"), "300");
  // 28800 is not in the full list, whose sixteenth entry is 28000.
  EXPECT_EQ(f.main.text("ComboBox4"), "75");
}

TEST_F(ConnectionSpeedPageTest, BlanksAfterTheCommasReadTheSame) {
  read("V90,0,300,28800,1200,52000", "003");
  const Selection plain = selection();
  select({-1, -1, -1, -1, -1, -1, -1});
  read("V90, 0, 300, 28800, 1200, 52000", "003");
  EXPECT_EQ(selection(), plain);
  EXPECT_EQ(plain, (Selection{3, 0, 3, 40, 1, 15, 2}));
}

struct ModeRow {
  const char* name;
  const char* automatic;
  const char* s210;
  int automaticItem;
  int symbolRateItem;
};

class ConnectionSpeedModes : public ConnectionSpeedPageTest, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(ConnectionSpeedModes, SelectByIndexAndByTheLowBitsOfS210) {
  const ModeRow& row = GetParam();
  f.main.setItemIndex("ComboBox9", 1);
  f.main.setItemIndex("ComboBox8", 2);
  read("V92," + std::string(row.automatic) + ",300,48000,300,56000", row.s210);
  EXPECT_EQ(f.main.itemIndex("ComboBox9"), row.automaticItem);
  EXPECT_EQ(f.main.itemIndex("ComboBox8"), row.symbolRateItem);
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectionSpeedModes,
                         ::testing::Values(ModeRow{"Off", "0", "005", 0, 4}, ModeRow{"On", "1", "001", 1, 0},
                                           ModeRow{"OtherModeClears", "2", "002", -1, 1},
                                           ModeRow{"NegativeModeClears", "-1", "004", -1, 3},
                                           ModeRow{"S210Zero", "1", "000", 1, -1},
                                           ModeRow{"S210Six", "1", "006", 1, -1},
                                           ModeRow{"S210Seven", "1", "007", 1, -1},
                                           ModeRow{"S210EightHasNoLowBits", "1", "008", 1, -1},
                                           ModeRow{"S210Fourteen", "1", "014", 1, -1},
                                           ModeRow{"S210NineIsOne", "1", "009", 1, 0},
                                           ModeRow{"S210ThirteenIsFive", "1", "013", 1, 4},
                                           ModeRow{"S210AllBitsIsSeven", "1", "255", 1, -1}),
                         testing_support::RowName());

TEST_F(ConnectionSpeedPageTest, UsersPickRefillsTheListsAndLeavesOnlyTheSymbolRateToWrite) {
  read(kExample, "005");
  f.main.setItemIndex("ComboBox2", 0);
  testing_support::RunBound(handlers, "ComboBox2", Event::UserPick);
  for (std::string_view rate : {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"}) {
    EXPECT_EQ(count(rate), 8u) << rate;
    EXPECT_EQ(f.main.itemIndex(rate), -1) << rate;
  }
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton10Click(); }), "ATS210=5\r" + std::string(kStoreProfiles));
  f.main.setText("Edit1", "S11=13");
  page.SpeedButton11Click();
  EXPECT_EQ(f.main.text("Edit1"), "S11=13");

  f.main.setItemIndex("ComboBox8", -1);
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton10Click(); }), "");
}

TEST_F(ConnectionSpeedPageTest, FullWriteSendsFourLinesInOrderAndTheStringOmitsTheSymbolRate) {
  read(kExample, "005");
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton10Click(); }), "AT+MS=V92,1,300,48000,300,56000\r" +
                                                               std::string(kStoreProfiles) + "ATS210=5\r" +
                                                               std::string(kStoreProfiles));
  EXPECT_EQ(f.link.requestKind(), kind::None);
  page.SpeedButton11Click();
  page.SpeedButton11Click();
  EXPECT_EQ(f.main.text("Edit1"), "+MS=V92,1,300,48000,300,56000+MS=V92,1,300,48000,300,56000");
}

TEST_F(ConnectionSpeedPageTest, WithoutASymbolRateOnlyTheSettingIsWritten) {
  read("V34,0,1200,28800,2400,33600", "000");
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton10Click(); }),
            "AT+MS=V34,0,1200,28800,2400,33600\r" + std::string(kStoreProfiles));
}

TEST_F(ConnectionSpeedPageTest, AnyBoxOfTheSettingUnselectedLeavesTheSettingOut) {
  for (std::string_view box :
       {"ComboBox2", "ComboBox9", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"}) {
    read(kExample, "002");
    f.main.setItemIndex(box, -1);
    EXPECT_EQ(SentBy(f, [&] { page.SpeedButton10Click(); }), "ATS210=2\r" + std::string(kStoreProfiles))
        << box;
    f.main.setText("Edit1", "");
    page.SpeedButton11Click();
    EXPECT_EQ(f.main.text("Edit1"), "") << box;
  }
}

struct BadRow {
  const char* name;
  std::string reply;
  std::string message;
  Selection after;
  std::size_t receive;
  std::size_t lowTransmit;
};

// Before the read: V34, "Нет", the fourth rate of every list, "2800".
constexpr Selection kBefore{2, 0, 3, 3, 3, 3, 1};

class ConnectionSpeedBadReply : public ConnectionSpeedPageTest,
                                public ::testing::WithParamInterface<BadRow> {};

TEST_P(ConnectionSpeedBadReply, StopsAtTheStepThatFailsKeepingWhatCameBefore) {
  const BadRow& row = GetParam();
  select(kBefore);
  page.SpeedButton9Click();
  EXPECT_EQ(ErrorOf([&] { Deliver(f, row.reply); }), row.message);
  EXPECT_EQ(selection(), row.after);
  EXPECT_EQ(count("ComboBox3"), row.receive);
  EXPECT_EQ(count("ComboBox5"), row.lowTransmit);
  EXPECT_EQ(f.link.requestKind(), kind::ConnectionSpeed);
  EXPECT_EQ(f.link.replyText(), WithoutLineEnds(row.reply));
}

const std::string kSettingAnswer = "\r\n+MS: " + std::string(kExample) + "\r\n\r\nOK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionSpeedBadReply,
    ::testing::Values(
        BadRow{"LowReceiveNotANumber",
               SpeedReply("V92,1,300,48000,3x0,56000", "005"),
               ConversionError("3x0"),
               {4, 0, -1, -1, -1, -1, 1},
               45,
               37},
        BadRow{"HighTransmitNotANumber",
               SpeedReply("V92,1,300,48k,300,56000", "005"),
               ConversionError("48k"),
               {4, 0, 1, 44, 1, -1, 1},
               45,
               37},
        BadRow{"AutomaticNotANumber",
               SpeedReply("V92,on,300,48000,300,56000", "005"),
               ConversionError("on"),
               {4, 0, 1, 44, 1, 36, 1},
               45,
               37},
        BadRow{"SymbolRateCutShort",
               SpeedReply(kExample, "0"),
               ConversionError("0OK"),
               {4, 1, 1, 44, 1, 36, 1},
               45,
               37},
        BadRow{"UnknownProtocolKeepsListsAndTheirSelections",
               SpeedReply("V22,1,300,48000,3x0,56000", "005"),
               ConversionError("3x0"),
               {0, 0, 3, 3, 3, 3, 1},
               45,
               22},
        BadRow{"SixthFieldTakesTheRest",
               SpeedReply("V92,1,300,48000,300,56000,3", "005"),
               ConversionError("56000,3"),
               {4, 0, 1, -1, -1, -1, 1},
               45,
               37},
        // A reply that holds no whole setting changes nothing.
        BadRow{"FewerThanFiveCommas", SpeedReply("V92,1,300,48000,300", "005"), ConversionError(""), kBefore,
               45, 22},
        BadRow{"SettingEchoMissing", EchoedAnswer("ATE1") + kSettingAnswer + EchoedAnswer("ATS210?", {"005"}),
               ConversionError(""), kBefore, 45, 22},
        BadRow{"SymbolRateEchoMissing",
               EchoedAnswer("ATE1") + "AT+MS?\r" + kSettingAnswer + "\r\n005\r\n\r\nOK\r\n",
               ConversionError(""), kBefore, 45, 22},
        BadRow{"SettingAnsweredWithError",
               EchoedAnswer("ATE1") + "AT+MS?\r\r\nERROR\r\n" + EchoedAnswer("ATS210?", {"005"}),
               ConversionError(""), kBefore, 45, 22},
        BadRow{"EchoesReversed",
               EchoedAnswer("ATE1") + EchoedAnswer("ATS210?", {"005"}) + "AT+MS?\r" + kSettingAnswer,
               ConversionError(""), kBefore, 45, 22},
        BadRow{"NothingAfterTheSettingEcho",
               EchoedAnswer("ATE1") + EchoedAnswer("ATS210?", {"005"}) + "AT+MS?", ConversionError(""),
               kBefore, 45, 22}),
    testing_support::RowName());

TEST_F(ConnectionSpeedPageTest, ALaterReadRecoversFromAFailedOne) {
  page.SpeedButton9Click();
  EXPECT_NE(ErrorOf([&] { Deliver(f, SpeedReply("V92,1,300,48000,300", "005")); }), "no error");
  read(kExample, "005");
  EXPECT_EQ(selection(), (Selection{4, 1, 1, 44, 1, 36, 4}));
}

}  // namespace
}  // namespace lintari
