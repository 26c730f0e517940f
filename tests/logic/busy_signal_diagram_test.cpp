#include "pages/busy_signal_diagram.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "busy_tone_rig.h"
#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

using testing_support::BusyToneRig;
using testing_support::RowName;

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

class BusySignalDiagramTest : public testing::Test, public BusyToneRig {
 protected:
  BusySignalDiagramTest() {
    main.setText("Edit6", "7");
    windows.showDiagramWindow();
    busySignal.open(10, 20, 30, 45);
  }
};

struct OpenRow {
  const char* name;
  int s203, s204, s205, s206;
  Bar tone;
  Bar pause;
  const char* labels;
};

class DiagramOpen : public testing::TestWithParam<OpenRow>, public BusyToneRig {};

TEST_P(DiagramOpen, DrawsTheBarsLabelsTheValuesAndCopiesThemBackUnchanged) {
  const OpenRow& row = GetParam();
  main.setText("Edit6", "7");
  busySignal.open(row.s203, row.s204, row.s205, row.s206);
  windows.showDiagramWindow();
  EXPECT_EQ(busySignal.tone(), row.tone);
  EXPECT_EQ(busySignal.pause(), row.pause);
  EXPECT_EQ(labels(), row.labels);

  busySignal.SpeedButton1Click();
  EXPECT_EQ(boxes(), std::to_string(row.s203) + "|" + std::to_string(row.s204) + "|" +
                         std::to_string(row.s205) + "|" + std::to_string(row.s206) + "|7|");
  EXPECT_FALSE(windows.diagramVisible);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DiagramOpen,
    testing::Values(OpenRow{"Ordinary", 10, 20, 30, 45, {10, 10}, {30, 15}, "100|200|300|450|"},
                    // Held at width 0 while the labels keep the page's values.
                    OpenRow{"MaximumBelowMinimum", 20, 10, 45, 30, {20, 0}, {45, 0}, "200|100|450|300|"},
                    OpenRow{
                        "BeyondTheBackground", 300, 500, 0, 369, {300, 200}, {0, 369}, "3000|5000|0|3690|"},
                    OpenRow{"Negative", -5, 5, -20, -30, {-5, 10}, {-20, 0}, "-50|50|-200|-300|"}),
    RowName());

TEST_F(BusySignalDiagramTest, CopyBackWritesPlainDecimalsOfDraggedEdgesAndLeavesTheCyclesAlone) {
  setBoxes({"010", "020", "030", "045", "7"});
  busySignal.LMDShapeControl1MouseDown(9);
  busySignal.Shape1MouseMove(130);
  busySignal.SpeedButton1Click();
  EXPECT_EQ(boxes(), "10|130|30|45|7|");
  EXPECT_FALSE(windows.diagramVisible);
  EXPECT_EQ(port.sentText(), "");
}

TEST_F(BusySignalDiagramTest, LeftEdgeGrabbedInsideFollowsThePointerOverTheBackground) {
  busySignal.LMDShapeControl1MouseDown(3);
  busySignal.Shape1MouseMove(3);
  EXPECT_EQ(busySignal.tone(), (Bar{3, 17}));
  EXPECT_EQ(labels(), "30|200|300|450|");

  // Over the background a bar only grows; over the bar itself it shrinks.
  busySignal.Shape1MouseMove(5);
  EXPECT_EQ(busySignal.tone(), (Bar{3, 17}));
  busySignal.LMDShapeControl1MouseMove(4);
  EXPECT_EQ(busySignal.tone(), (Bar{7, 13}));
  busySignal.LMDShapeControl1MouseMove(12);
  EXPECT_EQ(busySignal.tone(), (Bar{19, 1}));
  EXPECT_EQ(labels(), "190|200|300|450|");
}

TEST_F(BusySignalDiagramTest, BackgroundClickReleasesEveryGrab) {
  busySignal.LMDShapeControl1MouseDown(0);
  busySignal.LMDShapeControl2MouseDown(14);
  busySignal.Shape1MouseDown();
  busySignal.Shape1MouseMove(0);
  busySignal.Shape1MouseMove(300);
  busySignal.LMDShapeControl1MouseMove(5);
  busySignal.LMDShapeControl2MouseMove(5);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 10}));
  EXPECT_EQ(busySignal.pause(), (Bar{30, 15}));
  EXPECT_EQ(labels(), "100|200|300|450|");
}

TEST_F(BusySignalDiagramTest, RightEdgeOnTheFirstColumnLeavesWidthZeroAndWidensAgainOverTheBackground) {
  busySignal.LMDShapeControl1MouseDown(9);
  busySignal.LMDShapeControl1MouseMove(0);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 0}));
  EXPECT_EQ(labels(), "100|100|300|450|");
  busySignal.Shape1MouseMove(25);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 15}));
  EXPECT_EQ(labels(), "100|250|300|450|");
}

TEST_F(BusySignalDiagramTest, GrabbedRightEdgesLandUnderThePointerAndMoveTogether) {
  busySignal.LMDShapeControl1MouseDown(9);
  busySignal.LMDShapeControl2MouseDown(14);
  for (int x : {61, 200, 368}) {
    busySignal.Shape1MouseMove(x);
    EXPECT_EQ(busySignal.tone().left + busySignal.tone().width, x);
    EXPECT_EQ(busySignal.pause().left + busySignal.pause().width, x);
  }
  EXPECT_EQ(labels(), "100|3680|300|3680|");

  // A click on one bar leaves the other bar's grab alone.
  busySignal.LMDShapeControl2MouseDown(3);
  busySignal.Shape1MouseMove(369);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 359}));
  EXPECT_EQ(busySignal.pause(), (Bar{30, 338}));
}

TEST_F(BusySignalDiagramTest, ReopeningKeepsTheGrabs) {
  busySignal.LMDShapeControl1MouseDown(2);
  windows.hideDiagramWindow();
  busySignal.open(50, 60, 70, 80);
  EXPECT_EQ(busySignal.tone(), (Bar{50, 10}));
  busySignal.Shape1MouseMove(40);
  EXPECT_EQ(busySignal.tone(), (Bar{40, 20}));
  EXPECT_EQ(labels(), "400|600|700|800|");
}

struct GrabRow {
  const char* name;
  int s203, s204;
  std::vector<int> clicks;
  // The tone bar after the pointer went to 0 and then to 100 over the
  // background: a grabbed left edge ends at 0, a grabbed right edge at 100.
  Bar after;
};

class DiagramGrab : public testing::TestWithParam<GrabRow>, public BusyToneRig {};

TEST_P(DiagramGrab, PicksUpOrPutsDownTheEdgeUnderTheClick) {
  busySignal.open(GetParam().s203, GetParam().s204, 30, 45);
  for (int x : GetParam().clicks) busySignal.LMDShapeControl1MouseDown(x);
  busySignal.Shape1MouseMove(0);
  busySignal.Shape1MouseMove(100);
  EXPECT_EQ(busySignal.tone(), GetParam().after);
  EXPECT_EQ(busySignal.pause(), (Bar{30, 15}));
}

INSTANTIATE_TEST_SUITE_P(Table, DiagramGrab,
                         testing::Values(GrabRow{"FirstColumnGrabsLeft", 10, 20, {0}, {0, 20}},
                                         GrabRow{"FifthColumnGrabsLeft", 10, 20, {4}, {0, 20}},
                                         GrabRow{"SixthColumnGrabsNothing", 10, 20, {5}, {10, 10}},
                                         GrabRow{"ThirdColumnFromTheEndGrabsNothing", 10, 20, {7}, {10, 10}},
                                         GrabRow{"SecondColumnFromTheEndGrabsRight", 10, 20, {8}, {10, 90}},
                                         GrabRow{"LastColumnGrabsRight", 10, 20, {9}, {10, 90}},
                                         GrabRow{"SecondClickOnTheLeftPutsItDown", 10, 20, {3, 3}, {10, 10}},
                                         GrabRow{"SecondClickOnTheRightPutsItDown", 10, 20, {9, 9}, {10, 10}},
                                         GrabRow{"ClickOnTheLeftPutsTheRightDown", 10, 20, {9, 3}, {10, 10}},
                                         GrabRow{"ClickOnTheRightSwapsFromTheLeft", 10, 20, {3, 9}, {10, 90}},
                                         GrabRow{"NarrowBarLeftWins", 10, 13, {2}, {0, 13}},
                                         GrabRow{"RightZoneOfASixColumnBar", 10, 16, {5}, {10, 90}}),
                         RowName());

struct OutsideMoveRow {
  const char* name;
  int grabAt;
  int moveTo;
};

class DiagramMoveOutsideTheBar : public testing::TestWithParam<OutsideMoveRow>, public BusyToneRig {};

// While a button is held the toolkit keeps sending moves to the pressed bar
// with the pointer outside it; those are not moves over the bar.
TEST_P(DiagramMoveOutsideTheBar, ChangesNothing) {
  busySignal.open(10, 20, 30, 45);
  busySignal.LMDShapeControl1MouseDown(GetParam().grabAt);
  busySignal.LMDShapeControl1MouseMove(GetParam().moveTo);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 10}));
  EXPECT_EQ(labels(), "100|200|300|450|");
}

INSTANTIATE_TEST_SUITE_P(Table, DiagramMoveOutsideTheBar,
                         testing::Values(OutsideMoveRow{"LeftEdgeBeforeTheBar", 0, -5},
                                         OutsideMoveRow{"LeftEdgeJustPastTheEnd", 0, 10},
                                         OutsideMoveRow{"LeftEdgeFarBeyond", 0, 50},
                                         OutsideMoveRow{"RightEdgeBeforeTheBar", 9, -1},
                                         OutsideMoveRow{"RightEdgeFarBeyond", 9, 50}),
                         RowName());

TEST_F(BusySignalDiagramTest, CollapsedBarGrowsFromItsMinimumAndKeepsTheUntouchedMaximum) {
  busySignal.open(20, 10, 30, 45);
  busySignal.LMDShapeControl1MouseDown(0);
  busySignal.LMDShapeControl1MouseMove(0);
  EXPECT_EQ(busySignal.tone(), (Bar{20, 0}));
  busySignal.Shape1MouseMove(5);
  EXPECT_EQ(busySignal.tone(), (Bar{5, 15}));
  EXPECT_EQ(labels(), "50|100|300|450|");
  busySignal.SpeedButton1Click();
  EXPECT_EQ(boxes(), "5|10|30|45|7|");
}

TEST_F(BusySignalDiagramTest, ValuesAtTheIntLimitsStayRepresentableAndTheirCopyBackIsRefused) {
  setBoxes({"1", "2", "3", "4", "7"});
  busySignal.open(kIntMax, kIntMin, kIntMin, kIntMax);
  EXPECT_EQ(busySignal.tone(), (Bar{kIntMax, 0}));
  EXPECT_EQ(busySignal.pause(), (Bar{kIntMin, kIntMax}));
  EXPECT_EQ(labels(), "21474836470|-21474836480|-21474836480|21474836470|");

  busySignal.LMDShapeControl2MouseDown(kIntMax - 1);
  busySignal.Shape1MouseMove(kIntMax);
  EXPECT_EQ(busySignal.pause(), (Bar{kIntMin, kIntMax}));
  busySignal.LMDShapeControl1MouseDown(0);
  busySignal.Shape1MouseMove(kIntMin);
  EXPECT_EQ(busySignal.tone(), (Bar{kIntMin, kIntMax}));

  try {
    busySignal.SpeedButton1Click();
    ADD_FAILURE() << "no conversion error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'-21474836480' is not a valid integer value");
  }
  EXPECT_EQ(boxes(), "1|2|3|4|7|");
  EXPECT_TRUE(windows.diagramVisible);
}

TEST_F(BusySignalDiagramTest, BindsTheCopyButtonOfTheDiagramWindow) {
  Handlers handlers;
  busySignal.bind(handlers);
  ASSERT_EQ(handlers.size(), 1u);
  EXPECT_EQ(handlers[0].window, "TForm4");
  EXPECT_NE(design::find(design::diagramWindow(), handlers[0].control), nullptr);
  handlers[0].run();
  EXPECT_FALSE(windows.diagramVisible);
}

}  // namespace
}  // namespace lintari
