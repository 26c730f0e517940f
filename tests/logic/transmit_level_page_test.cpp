#include "pages/transmit_level_page.h"

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

std::string TransmitLevelReply(std::string_view s91) {
  return EchoedAnswer("ATE1") + EchoedAnswer("ATS10?", {"000"}) + EchoedAnswer("ATS91?", {s91});
}

std::string LineAdaptationReply(std::string_view s215) {
  return EchoedAnswer("ATE1") + EchoedAnswer("ATS10?", {"000"}) + EchoedAnswer("ATS215?", {s215});
}

struct TransmitLevelPageTest : ::testing::Test {
  LogicFixture f;
  InitString initString{f.context};
  TransmitLevelPage page{f.context, initString};
  Handlers handlers;

  void SetUp() override {
    f.configureModem();
    page.bind(handlers);
  }
};

TEST_F(TransmitLevelPageTest, BindsItsButtonsAndTheSliderMove) {
  EXPECT_EQ(testing_support::BoundControls(handlers),
            (std::vector<std::string>{"SpeedButton12 Click", "SpeedButton13 Click", "SpeedButton14 Click",
                                      "RxSlider1 UserMove", "SpeedButton15 Click", "SpeedButton16 Click",
                                      "SpeedButton17 Click"}));
}

TEST_F(TransmitLevelPageTest, ReadsAskForS10AndTheirRegister) {
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton12Click(); }), "ATE1\rATS10?\rATS91?\r");
  EXPECT_EQ(f.link.requestKind(), kind::TransmitLevel);
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton15Click(); }), "ATE1\rATS10?\rATS215?\r");
  EXPECT_EQ(f.link.requestKind(), kind::LineAdaptation);
}

TEST_F(TransmitLevelPageTest, WithoutAnyReadTheInitialPositionsAreWritten) {
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton13Click(); }), "ATS91=10\r" + std::string(kStoreProfiles));
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton16Click(); }), "ATS215=17\r" + std::string(kStoreProfiles));
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(f.main.text("RxLabel1"), "");
}

struct LevelRow {
  const char* name;
  const char* s91;
  int position;
  const char* label;
  const char* written;
};

class TransmitLevelRead : public TransmitLevelPageTest, public ::testing::WithParamInterface<LevelRow> {};

TEST_P(TransmitLevelRead, SetsSliderAndLabelAndWritesTheSliderBack) {
  const LevelRow& row = GetParam();
  page.SpeedButton12Click();
  Deliver(f, TransmitLevelReply(row.s91));
  EXPECT_EQ(f.main.position("RxSlider1"), row.position);
  EXPECT_EQ(f.main.text("RxLabel1"), row.label);
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(f.link.replyText(), "");
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton13Click(); }),
            std::string(row.written) + "\r" + std::string(kStoreProfiles));
}

INSTANTIATE_TEST_SUITE_P(Table, TransmitLevelRead,
                         ::testing::Values(LevelRow{"Ten", "010", 13, "-10", "ATS91=10"},
                                           LevelRow{"LowestTheSliderShows", "020", 3, "-20", "ATS91=20"},
                                           LevelRow{"HighestTheSliderShows", "003", 20, "-3", "ATS91=3"},
                                           // The label keeps the register's own value.
                                           LevelRow{"BelowTheSliderClampsLeft", "025", 3, "-25", "ATS91=20"},
                                           LevelRow{"AboveTheSliderClampsRight", "001", 20, "-1", "ATS91=3"}),
                         testing_support::RowName());

TEST_F(TransmitLevelPageTest, UserMoveToTheRightEndShowsMinusThreeAndGoesIntoTheString) {
  f.main.setText("Edit1", "S11=13");
  f.main.setPosition("RxSlider1", 20);
  EXPECT_EQ(f.main.text("RxLabel1"), "") << "a position set by the program shows nothing";
  testing_support::RunBound(handlers, "RxSlider1", Event::UserMove);
  EXPECT_EQ(f.main.text("RxLabel1"), "-3");
  testing_support::RunBound(handlers, "SpeedButton14", Event::Click);
  EXPECT_EQ(f.main.text("Edit1"), "S11=13S91=3");
}

struct AdaptationRow {
  const char* name;
  const char* s215;
  int aggressiveness;
  int noiseDetector;
  const char* written;
};

class LineAdaptationRead : public TransmitLevelPageTest,
                           public ::testing::WithParamInterface<AdaptationRow> {};

TEST_P(LineAdaptationRead, SplitsTheNibblesOverTheSlidersAndWritesThemBack) {
  const AdaptationRow& row = GetParam();
  page.SpeedButton15Click();
  Deliver(f, LineAdaptationReply(row.s215));
  EXPECT_EQ(f.main.position("RxSlider2"), row.aggressiveness);
  EXPECT_EQ(f.main.position("RxSlider3"), row.noiseDetector);
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton16Click(); }),
            std::string(row.written) + "\r" + std::string(kStoreProfiles));
  page.SpeedButton17Click();
  EXPECT_EQ("AT" + f.main.text("Edit1"), row.written);
}

INSTANTIATE_TEST_SUITE_P(Table, LineAdaptationRead,
                         ::testing::Values(AdaptationRow{"Hex53", "083", 3, 5, "ATS215=83"},
                                           AdaptationRow{"ZeroClampsBothUp", "000", 1, 1, "ATS215=17"},
                                           AdaptationRow{"AllBitsClampBothDown", "255", 9, 9, "ATS215=153"},
                                           AdaptationRow{"LowNibbleTenClamps", "090", 9, 5, "ATS215=89"},
                                           // Above a byte the high field keeps every upper bit.
                                           AdaptationRow{"ThreeDigitsAboveAByte", "300", 9, 9, "ATS215=153"}),
                         testing_support::RowName());

struct BadRow {
  const char* name;
  bool lineAdaptation;
  std::string reply;
  std::string message;
};

class TransmitLevelBadReply : public TransmitLevelPageTest, public ::testing::WithParamInterface<BadRow> {};

TEST_P(TransmitLevelBadReply, RaisesTheConversionErrorAndChangesNothing) {
  const BadRow& row = GetParam();
  f.main.setPosition("RxSlider1", 7);
  f.main.setText("RxLabel1", "-16");
  f.main.setPosition("RxSlider2", 4);
  f.main.setPosition("RxSlider3", 6);
  row.lineAdaptation ? page.SpeedButton15Click() : page.SpeedButton12Click();
  const RequestKind pending = f.link.requestKind();

  EXPECT_EQ(ErrorOf([&] { Deliver(f, row.reply); }), row.message);
  EXPECT_EQ(f.main.position("RxSlider1"), 7);
  EXPECT_EQ(f.main.text("RxLabel1"), "-16");
  EXPECT_EQ(f.main.position("RxSlider2"), 4);
  EXPECT_EQ(f.main.position("RxSlider3"), 6);
  // The read stays pending on the same buffer: a further notice fails again.
  EXPECT_EQ(f.link.requestKind(), pending);
  EXPECT_EQ(f.link.replyText(), WithoutLineEnds(row.reply));
  EXPECT_EQ(ErrorOf([&] { f.link.VaCommTxEmpty(); }), row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TransmitLevelBadReply,
    ::testing::Values(
        BadRow{"LevelOfTwoDigits", false, TransmitLevelReply("01"), ConversionError("01O")},
        BadRow{"LevelNotYetArrived", false,
               EchoedAnswer("ATE1") + EchoedAnswer("ATS10?", {"000"}) + "ATS91?\r", ConversionError("")},
        BadRow{"AdaptationOfTwoDigits", true, LineAdaptationReply("83"), ConversionError("83O")},
        // Bits 0 to 3 convert, the upper field carries the minus sign: neither
        // slider moves.
        BadRow{"AdaptationNegative", true, LineAdaptationReply("-16"), ConversionError("-")}),
    testing_support::RowName());

TEST_F(TransmitLevelPageTest, ReplyWithoutTheEchoIsNeverTakenUp) {
  page.SpeedButton12Click();
  Deliver(f, EchoedAnswer("ATE1") + EchoedAnswer("ATS10?", {"000"}) + EchoedAnswer("ATS9?", {"025"}));
  f.link.VaCommTxEmpty();
  EXPECT_EQ(f.main.position("RxSlider1"), 13);
  EXPECT_EQ(f.main.text("RxLabel1"), "");
  EXPECT_EQ(f.link.requestKind(), kind::TransmitLevel);
}

}  // namespace
}  // namespace lintari
