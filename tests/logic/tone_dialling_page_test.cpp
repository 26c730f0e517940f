#include "pages/tone_dialling_page.h"

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

std::string ToneDiallingReply(std::string_view s11) {
  return EchoedAnswer("ATE1") + EchoedAnswer("ATS11?", {s11}) + EchoedAnswer("ATS91?", {"010"});
}

struct ToneDiallingPageTest : ::testing::Test {
  LogicFixture f;
  InitString initString{f.context};
  ToneDiallingPage page{f.context, initString};
  Handlers handlers;

  void SetUp() override {
    f.configureModem();
    page.bind(handlers);
  }
};

TEST_F(ToneDiallingPageTest, BindsItsButtonsAndTheSliderMove) {
  EXPECT_EQ(testing_support::BoundControls(handlers),
            (std::vector<std::string>{"SpeedButton22 Click", "SpeedButton23 Click", "SpeedButton24 Click",
                                      "RxSlider4 UserMove"}));
}

TEST_F(ToneDiallingPageTest, ReadAsksForS11ThenS91) {
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton22Click(); }), "ATE1\rATS11?\rATS91?\r");
  EXPECT_EQ(f.link.requestKind(), kind::ToneDialling);
}

TEST_F(ToneDiallingPageTest, WithoutAnyReadTheInitialPositionIsWrittenAndAppended) {
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton23Click(); }), "ATS11=13\r" + std::string(kStoreProfiles));
  EXPECT_EQ(f.link.requestKind(), kind::None);
  page.SpeedButton24Click();
  EXPECT_EQ(f.main.text("Edit1"), "S11=13");
  EXPECT_EQ(f.main.text("RxLabel12"), "");
}

struct SpeedRow {
  const char* name;
  const char* s11;
  int position;
  const char* label;
};

class ToneDiallingRead : public ToneDiallingPageTest, public ::testing::WithParamInterface<SpeedRow> {};

TEST_P(ToneDiallingRead, SetsSliderAndLabelAndWritesTheSliderBack) {
  const SpeedRow& row = GetParam();
  page.SpeedButton22Click();
  Deliver(f, ToneDiallingReply(row.s11));
  EXPECT_EQ(f.main.position("RxSlider4"), row.position);
  EXPECT_EQ(f.main.text("RxLabel12"), row.label);
  EXPECT_EQ(f.link.requestKind(), kind::None);
  EXPECT_EQ(SentBy(f, [&] { page.SpeedButton23Click(); }),
            "ATS11=" + std::to_string(row.position) + "\r" + std::string(kStoreProfiles));
}

INSTANTIATE_TEST_SUITE_P(Table, ToneDiallingRead,
                         ::testing::Values(SpeedRow{"InRange", "095", 95, "95"},
                                           // The label keeps the register's own value.
                                           SpeedRow{"BelowTheSliderClampsLeft", "001", 3, "1"},
                                           SpeedRow{"AboveTheSliderClampsRight", "150", 100, "150"},
                                           SpeedRow{"SliderEnd", "100", 100, "100"}),
                         testing_support::RowName());

TEST_F(ToneDiallingPageTest, UserMoveShowsThePositionAndGoesIntoTheString) {
  f.main.setPosition("RxSlider4", 42);
  EXPECT_EQ(f.main.text("RxLabel12"), "");
  testing_support::RunBound(handlers, "RxSlider4", Event::UserMove);
  EXPECT_EQ(f.main.text("RxLabel12"), "42");
  testing_support::RunBound(handlers, "SpeedButton24", Event::Click);
  testing_support::RunBound(handlers, "SpeedButton24", Event::Click);
  EXPECT_EQ(f.main.text("Edit1"), "S11=42S11=42");
}

TEST_F(ToneDiallingPageTest, ReplyOfTenCharactersIsNotDispatchedTheEleventhIs) {
  page.SpeedButton22Click();
  f.link.VaCommRxBuf("ATS11?095O");
  f.link.VaCommTxEmpty();
  f.link.VaCommTxEmpty();
  EXPECT_EQ(f.main.position("RxSlider4"), 13);
  EXPECT_EQ(f.link.requestKind(), kind::ToneDialling);
  EXPECT_EQ(f.link.replyText(), "ATS11?095O");
  f.link.VaCommRxBuf("K");
  f.link.VaCommTxEmpty();
  EXPECT_EQ(f.main.position("RxSlider4"), 95);
  EXPECT_EQ(f.main.text("RxLabel12"), "95");
}

TEST_F(ToneDiallingPageTest, ValueCutShortRaisesTheConversionErrorAndChangesNothing) {
  f.main.setPosition("RxSlider4", 30);
  f.main.setText("RxLabel12", "30");
  page.SpeedButton22Click();
  const std::string reply = ToneDiallingReply("9");
  EXPECT_EQ(ErrorOf([&] { Deliver(f, reply); }), ConversionError("9OK"));
  EXPECT_EQ(f.main.position("RxSlider4"), 30);
  EXPECT_EQ(f.main.text("RxLabel12"), "30");
  EXPECT_EQ(f.link.requestKind(), kind::ToneDialling);
  EXPECT_EQ(f.link.replyText(), WithoutLineEnds(reply));
}

}  // namespace
}  // namespace lintari
