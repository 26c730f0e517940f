#include "pages/busy_tone_page.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "busy_tone_rig.h"
#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

using testing_support::BusyToneRig;
using testing_support::RowName;

constexpr std::string_view kReadRequest = "ATE1\rATS203?\rATS204?\rATS205?\rATS206?\rATS207?\r";

// What a modem with echo on sends back for a command line and its answer.
std::string echoed(std::string_view command, std::string_view answer) {
  std::string text = std::string(command) + "\r\r\n";
  if (!answer.empty()) text += std::string(answer) + "\r\n\r\n";
  return text + "OK\r\n";
}

std::string busyToneReply(const std::vector<std::string>& values) {
  std::string reply = echoed("ATE1", "");
  for (std::size_t i = 0; i < values.size(); ++i) {
    reply += echoed("ATS20" + std::to_string(3 + i) + "?", values[i]);
  }
  return reply;
}

std::string errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

class BusyTonePageTest : public testing::Test, public BusyToneRig {};

TEST_F(BusyTonePageTest, ReadSendsTheQueriesAndFillsTheBoxesWithTheAnswersAsReceived) {
  page.SpeedButton4Click();
  EXPECT_EQ(port.sentText(), kReadRequest);
  EXPECT_EQ(link.requestKind(), kind::BusyTone);

  port.feed(busyToneReply({"010", "050", "005", "040", "004"}));
  link.onReadable();

  EXPECT_EQ(boxes(), "010|050|005|040|004|");
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_EQ(link.replyText(), "");
}

TEST_F(BusyTonePageTest, ReplyOfTwentyCharactersOrFewerIsNeverDispatched) {
  setBoxes({"1", "2", "3", "4", "5"});
  page.SpeedButton4Click();
  const std::string twenty = "ATE1OKATS203?010OKAT";
  ASSERT_EQ(twenty.size(), 20u);
  link.VaCommRxBuf(twenty);
  link.VaCommTxEmpty();
  link.VaCommTxEmpty();
  EXPECT_EQ(boxes(), "1|2|3|4|5|");
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
  EXPECT_EQ(link.replyText(), twenty);
}

struct BrokenReplyRow {
  const char* name;
  std::string buffer;
  const char* error;
};

class BusyToneBrokenReply : public testing::TestWithParam<BrokenReplyRow>, public BusyToneRig {};

TEST_P(BusyToneBrokenReply, ShowsTheConversionErrorAndChangesNoBox) {
  setBoxes({"1", "2", "3", "4", "5"});
  page.SpeedButton4Click();
  link.VaCommRxBuf(GetParam().buffer);
  EXPECT_EQ(errorOf([&] { link.VaCommTxEmpty(); }), GetParam().error);
  EXPECT_EQ(boxes(), "1|2|3|4|5|");
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
  EXPECT_FALSE(link.replyText().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BusyToneBrokenReply,
    testing::Values(
        // The last value is the one that fails, so every earlier one was fine.
        BrokenReplyRow{"TwoDigitsThenOk", busyToneReply({"010", "050", "005", "040", "04"}),
                       "'04O' is not a valid integer value"},
        BrokenReplyRow{"ValueNotYetArrived", "ATE1OKATS203?010OKATS204?050OKATS205?005OKATS206?040OKATS207?",
                       "'' is not a valid integer value"},
        BrokenReplyRow{"FirstValueMalformed", busyToneReply({"0 1", "050", "005", "040", "004"}),
                       "'0 1' is not a valid integer value"}),
    RowName());

TEST_F(BusyTonePageTest, WriteSendsTheValuesAsTypedThenStoresAndResetsLast) {
  setBoxes({"010", "50", " 5", "40x", "4"});
  page.SpeedButton5Click();
  EXPECT_EQ(port.sentText(),
            "ATS203=010\rATS204=50\rATS205= 5\rATS206=40x\rATS207=4\r"
            "AT&w&w0&w1\rATZ\r");
  EXPECT_EQ(link.requestKind(), kind::BusyToneWrite);

  // The modem's answers to a write are collected and never interpreted.
  link.VaCommRxBuf("ATS206=40xERRORATS207=4OKAT&w&w0&w1OKATZOK");
  link.VaCommTxEmpty();
  EXPECT_EQ(link.requestKind(), kind::BusyToneWrite);
  EXPECT_EQ(boxes(), "010|50| 5|40x|4|");
}

class BusyToneWriteWithEmptyBox : public testing::TestWithParam<int>, public BusyToneRig {};

TEST_P(BusyToneWriteWithEmptyBox, SendsNothingButStillStartsTheWrite) {
  setBoxes({"10", "20", "30", "40", "4"});
  main.setText(kBusyToneRegisters[static_cast<std::size_t>(GetParam())].box, "");
  link.VaCommRxBuf("RING");
  page.SpeedButton5Click();
  EXPECT_EQ(port.sentText(), "");
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(link.requestKind(), kind::BusyToneWrite);
  EXPECT_EQ(link.replyText(), "");
}

INSTANTIATE_TEST_SUITE_P(EachBox, BusyToneWriteWithEmptyBox, testing::Range(0, 5),
                         [](const testing::TestParamInfo<int>& row) {
                           return std::string(kBusyToneRegisters[static_cast<std::size_t>(row.param)].box);
                         });

TEST_F(BusyTonePageTest, ToStringAppendsTheFiveSettingsWithoutSeparators) {
  page.SpeedButton8Click();
  EXPECT_EQ(main.text("Edit1"), "S203=S204=S205=S206=S207=");
  page.SpeedButton8Click();
  EXPECT_EQ(main.text("Edit1"), "S203=S204=S205=S206=S207=S203=S204=S205=S206=S207=");

  main.setText("Edit1", "S11=13");
  setBoxes({"010", "50", "5", "40", "4"});
  page.SpeedButton8Click();
  EXPECT_EQ(main.text("Edit1"), "S11=13S203=010S204=50S205=5S206=40S207=4");
  EXPECT_EQ(port.sentText(), "");
}

TEST_F(BusyTonePageTest, DiagramButtonIsEnabledOnlyByACompletedReadRequest) {
  setBoxes({"10", "20", "30", "45", "4"});
  page.SpeedButton5Click();
  page.SpeedButton8Click();
  EXPECT_FALSE(main.isEnabled("LMD3DEffectButton1"));

  // A read whose sending fails leaves the handler before the button.
  port.ctsOff = true;
  EXPECT_EQ(errorOf([&] { page.SpeedButton4Click(); }), "TVaModem: error writing to comm.");
  EXPECT_FALSE(main.isEnabled("LMD3DEffectButton1"));

  // Enabled once the read has gone out, whatever the modem answers.
  port.ctsOff = false;
  page.SpeedButton4Click();
  EXPECT_TRUE(main.isEnabled("LMD3DEffectButton1"));
  link.VaCommRxBuf("garbage that is long enough to be dispatched");
  EXPECT_THROW(link.VaCommTxEmpty(), Error);
  EXPECT_TRUE(main.isEnabled("LMD3DEffectButton1"));
}

TEST_F(BusyTonePageTest, DiagramButtonOpensTheDiagramFromTheFourTimes) {
  setBoxes({"10", "20", "030", "45", "not a number"});
  page.LMD3DEffectButton1Click();
  EXPECT_EQ(busySignal.tone(), (Bar{10, 10}));
  EXPECT_EQ(busySignal.pause(), (Bar{30, 15}));
  EXPECT_EQ(labels(), "100|200|300|450|");
  EXPECT_TRUE(windows.diagramVisible);
}

struct RejectedBoxRow {
  const char* name;
  std::size_t box;
  const char* text;
};

class BusyToneDiagramRejected : public testing::TestWithParam<RejectedBoxRow>, public BusyToneRig {};

TEST_P(BusyToneDiagramRejected, ShowsTheConversionErrorAndNotTheWindow) {
  setBoxes({"10", "20", "30", "45", "4"});
  page.LMD3DEffectButton1Click();
  windows.hideDiagramWindow();

  setBoxes({"11", "21", "31", "46", "4"});
  main.setText(kBusyToneRegisters[GetParam().box].box, GetParam().text);
  EXPECT_EQ(errorOf([&] { page.LMD3DEffectButton1Click(); }),
            "'" + std::string(GetParam().text) + "' is not a valid integer value");
  EXPECT_FALSE(windows.diagramVisible);
  EXPECT_EQ(busySignal.tone(), (Bar{10, 10}));
  EXPECT_EQ(labels(), "100|200|300|450|");
}

INSTANTIATE_TEST_SUITE_P(Table, BusyToneDiagramRejected,
                         testing::Values(RejectedBoxRow{"EmptyMinimumTone", 0, ""},
                                         RejectedBoxRow{"TrailingBlank", 1, "20 "},
                                         RejectedBoxRow{"Letters", 2, "3O"},
                                         RejectedBoxRow{"EmptyMaximumPause", 3, ""}),
                         RowName());

TEST_F(BusyTonePageTest, BindsFourButtonsThatTheMainWindowHas) {
  Handlers handlers;
  page.bind(handlers);
  ASSERT_EQ(handlers.size(), 4u);
  for (const Handler& h : handlers) {
    EXPECT_EQ(h.window, "TForm1");
    EXPECT_NE(design::find(design::mainWindow(), h.control), nullptr) << h.control;
  }
}

}  // namespace
}  // namespace lintari
