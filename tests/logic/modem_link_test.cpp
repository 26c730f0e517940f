#include "link/modem_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/fake_clock.h"
#include "common/fake_port.h"
#include "common/row_name.h"
#include "core/error.h"
#include "core/memory_registry.h"
#include "core/text_to_int.h"
#include "link/answer_completion.h"

namespace lintari {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeClock;
using testing_support::FakePort;

constexpr std::string_view kKey = SettingsStore::kKeyPath;
constexpr auto kQuiet = AnswerCompletion::kQuietPeriod;
constexpr auto kUpperBound = AnswerCompletion::kUpperBound;

// The tone-dialling read and a modem's full answer to it, with echo.
const std::vector<std::string_view> kToneRead = {"ATE1\r", "ATS11?\r", "ATS91?\r"};
constexpr std::string_view kToneAnswerButLastResult =
    "ATE1\r\r\nOK\r\nATS11?\r\r\n095\r\n\r\nOK\r\nATS91?\r\r\n010\r\n\r\n";
constexpr std::string_view kLastResult = "OK\r\n";
constexpr std::string_view kToneBuffer = "ATE1OKATS11?095OKATS91?010OK";

class FakeMainWindow : public MainWindowHandle {
 public:
  void hideMainWindow() override { ++hides; }
  int hides = 0;
};

std::string errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

void expectPacedByCharacter(const std::vector<FakePort::Sent>& sent, Instant endOfSend) {
  for (std::size_t i = 1; i < sent.size(); ++i) {
    EXPECT_GT(sent[i].at - sent[i - 1].at, 50ms) << "before character " << i;
  }
  ASSERT_FALSE(sent.empty());
  EXPECT_GT(endOfSend - sent.back().at, 50ms) << "after the last character";
}

class ModemLinkTest : public testing::Test {
 protected:
  ModemLinkTest() {
    registry.setString(kKey, "path", "\\SYSTEM\\CurrentControlSet\\Control\\Class\\Modem\\0001");
    registry.setString(kKey, "port", "7");
    for (RequestKind k : {0, 1, 2, 4, 6, 8, 11, 12, 40}) {
      link.setBranch(k, [this, k] {
        ran.push_back(k);
        seen.push_back(link.replyText());
      });
    }
  }

  void read(RequestKind kind, const std::vector<std::string_view>& texts) {
    link.BeginRequest(kind);
    for (std::string_view text : texts) link.SendText(text);
  }
  void answer(std::string_view bytes) {
    port.feed(std::string(bytes));
    link.onReadable();
  }

  MemoryRegistry registry;
  SettingsStore settings{registry};
  FakeClock clock;
  FakePort port{clock};
  FakeMainWindow mainWindow;
  ModemLink link{settings, port, clock, mainWindow};
  std::vector<RequestKind> ran;
  std::vector<std::string> seen;
};

// --- Command channel ---

TEST_F(ModemLinkTest, ReadRequestOpensThePortAndSendsEchoOnThenItsQueriesOneCharacterAtATime) {
  link.VaCommRxBuf("unsolicited");
  read(kind::ToneDialling, kToneRead);
  EXPECT_EQ(port.openCount, 1);
  EXPECT_EQ(port.portNumber(), 7);
  EXPECT_EQ(port.sentText(), "ATE1\rATS11?\rATS91?\r");
  expectPacedByCharacter(port.sent, clock.now());
  EXPECT_EQ(link.requestKind(), kind::ToneDialling);
  EXPECT_EQ(link.replyText(), "");
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(mainWindow.hides, 0);
}

TEST_F(ModemLinkTest, SecondRequestKeepsTheOpenPortAndStartsSendingAtOnce) {
  read(kind::ToneDialling, kToneRead);
  link.VaCommRxBuf("ATE1OK");
  const Instant start = clock.now();
  const std::size_t before = port.sent.size();
  read(kind::TransmitLevel, {"ATE1\r"});
  EXPECT_EQ(port.openCount, 1);
  EXPECT_TRUE(port.isOpen());
  ASSERT_EQ(port.sent.size(), before + 5);
  EXPECT_EQ(port.sent[before].at, start);
  EXPECT_EQ(link.requestKind(), kind::TransmitLevel);
  EXPECT_EQ(link.replyText(), "");
}

TEST_F(ModemLinkTest, EmptyPathHidesTheMainWindowAndTheRequestGoesOn) {
  registry.setString(kKey, "path", "");
  read(kind::Identification, {"ATE1\r", "ATI3\r"});
  EXPECT_EQ(mainWindow.hides, 1);
  EXPECT_EQ(port.sentText(), "ATE1\rATI3\r");
  EXPECT_EQ(link.requestKind(), kind::Identification);
}

struct SettingsFailure {
  const char* name;
  const char* path;
  const char* port;
  int hides;
  const char* message;
};

class BadPortSetting : public ModemLinkTest, public testing::WithParamInterface<SettingsFailure> {};

TEST_P(BadPortSetting, StopsTheRequestBeforeAnythingChanges) {
  const SettingsFailure& row = GetParam();
  read(kind::BusyTone, {});
  link.VaCommRxBuf("ATS203?");
  registry.setString(kKey, "path", row.path);
  registry.setString(kKey, "port", row.port);

  EXPECT_EQ(errorOf([&] { link.BeginRequest(kind::TransmitLevel); }), row.message);
  EXPECT_EQ(mainWindow.hides, row.hides);
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
  EXPECT_EQ(link.replyText(), "ATS203?");
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(port.openCount, 1);
  EXPECT_TRUE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadPortSetting,
    testing::Values(
        SettingsFailure{"EmptyPort", "\\SYSTEM\\X\\0001", "", 1, "'' is not a valid integer value"},
        SettingsFailure{"BothEmpty", "", "", 2, "'' is not a valid integer value"},
        SettingsFailure{"Letters", "\\SYSTEM\\X\\0001", "abc", 0, "'abc' is not a valid integer value"},
        SettingsFailure{"TrailingBlank", "\\SYSTEM\\X\\0001", "7 ", 0, "'7 ' is not a valid integer value"},
        SettingsFailure{"OtherPortWhileOpen", "\\SYSTEM\\X\\0001", "8", 0,
                        "Can't perform this operation while port is open"}),
    testing_support::RowName());

struct OpenFailure {
  const char* name;
  const char* message;
};

class PortThatWillNotOpen : public ModemLinkTest, public testing::WithParamInterface<OpenFailure> {};

TEST_P(PortThatWillNotOpen, FailsEveryRequestUntilItOpensOnTheNextTry) {
  port.openError = GetParam().message;
  link.VaCommRxBuf("RING");
  EXPECT_EQ(errorOf([&] { link.BeginRequest(kind::BusyTone); }), GetParam().message);
  EXPECT_EQ(errorOf([&] { link.StoreCommand(kind::None, "ATS11=95"); }), GetParam().message);
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_EQ(link.replyText(), "RING");
  EXPECT_FALSE(link.nextDeadline());

  port.openError.reset();
  link.BeginRequest(kind::BusyTone);
  EXPECT_EQ(port.openCount, 3);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
}

INSTANTIATE_TEST_SUITE_P(Table, PortThatWillNotOpen,
                         testing::Values(OpenFailure{"NoSuchDevice", "Invalid port number (COM7)"},
                                         OpenFailure{"DeviceBusy", "Can't open device COM7"}),
                         testing_support::RowName());

TEST_F(ModemLinkTest, CtsHeldOffFailsTheFirstCharacterWithTheRequestAlreadyPending) {
  link.VaCommRxBuf("old");
  link.BeginRequest(kind::BusyTone);
  port.ctsOff = true;
  EXPECT_EQ(errorOf([&] { link.SendText("ATE1\r"); }), "TVaModem: error writing to comm.");
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
  EXPECT_EQ(link.replyText(), "");
  EXPECT_FALSE(link.nextDeadline()) << "nothing was sent, so no answer is awaited";
}

TEST_F(ModemLinkTest, WriteFailureMidRequestStillCollectsAndCompletesWhatWasSent) {
  link.BeginRequest(kind::BusyTone);
  link.SendText("ATE1\r");
  port.ctsOff = true;
  EXPECT_EQ(errorOf([&] { link.SendText("ATS203?\r"); }), "TVaModem: error writing to comm.");
  EXPECT_EQ(port.sentText(), "ATE1\r");
  answer("ATE1\r\r\nOK\r\n");
  EXPECT_EQ(link.replyText(), "ATE1OK");
  EXPECT_FALSE(link.nextDeadline()) << "the one line sent has its result";
  EXPECT_TRUE(ran.empty());
}

TEST_F(ModemLinkTest, StoreCommandSendsTheCommandThenStoresTheProfilesWithNoReadPending) {
  read(kind::BusyTone, {});
  link.VaCommRxBuf("ATS203?");
  registry.setString(kKey, "path", "");
  link.StoreCommand(kind::None, "ATS91=10");
  EXPECT_EQ(port.sentText(), "ATS91=10\rat&w&w0&w1\r");
  expectPacedByCharacter(port.sent, clock.now());
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_EQ(link.replyText(), "");
  EXPECT_EQ(mainWindow.hides, 0) << "a store does not look at the path";

  answer("ATS91=10\r\r\nOK\r\nat&w&w0&w1\r\r\nOK\r\n");
  EXPECT_FALSE(link.nextDeadline());
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(link.replyText(), "ATS91=10OKat&w&w0&w1OK") << "nothing is pending, so the answer stays";
}

TEST_F(ModemLinkTest, StoreCommandWithEmptyPortFailsWithoutHidingOrSending) {
  registry.setString(kKey, "port", "");
  EXPECT_EQ(errorOf([&] { link.StoreCommand(kind::None, "ATS11=95"); }), "'' is not a valid integer value");
  EXPECT_EQ(mainWindow.hides, 0);
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(port.openCount, 0);
}

TEST_F(ModemLinkTest, ClosedPortIsOpenedAgainByTheNextRequest) {
  read(kind::ToneDialling, kToneRead);
  link.closePort();
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(link.descriptor(), -1);
  EXPECT_FALSE(link.nextDeadline());
  read(kind::ToneDialling, {"ATE1\r"});
  EXPECT_EQ(port.openCount, 2);
  EXPECT_EQ(link.descriptor(), 42);
}

// --- Reply collection and dispatch ---

TEST_F(ModemLinkTest, CollectionDropsCarriageReturnsAndLineFeedsOnly) {
  link.VaCommRxBuf("A\r\nB\r\n");
  link.VaCommRxBuf("\x7f\xe0 \t");
  EXPECT_EQ(link.replyText(), "AB\x7f\xe0 \t");
}

struct DispatchRow {
  const char* name;
  RequestKind kind;
  const char* text;  // padded with "." to `length`
  std::size_t length;
  bool dispatched;
};

class Dispatch : public ModemLinkTest, public testing::WithParamInterface<DispatchRow> {};

TEST_P(Dispatch, RunsTheKindsBranchOnlyOnALongEnoughBuffer) {
  const DispatchRow& row = GetParam();
  std::string buffer = row.text;
  buffer.resize(std::max(buffer.size(), row.length), '.');
  link.BeginRequest(row.kind);
  link.VaCommRxBuf(buffer);

  link.VaCommTxEmpty();
  if (row.dispatched) {
    EXPECT_EQ(ran, std::vector<RequestKind>{row.kind});
    EXPECT_EQ(seen, std::vector<std::string>{buffer});
    EXPECT_EQ(link.replyText(), "");
    EXPECT_EQ(link.requestKind(), kind::None);
  } else {
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(link.replyText(), buffer);
    EXPECT_EQ(link.requestKind(), row.kind);
  }
  link.VaCommTxEmpty();
  EXPECT_LE(ran.size(), 1u) << "a second notice finds nothing to do";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Dispatch,
    testing::Values(
        DispatchRow{"ExtendedAtTwenty", kind::ExtendedRegisters, "", 20, false},
        DispatchRow{"ExtendedAtTwentyOne", kind::ExtendedRegisters, "", 21, true},
        DispatchRow{"BusyToneAtTwenty", kind::BusyTone, "ATE1OKATS203?005OKAT", 20, false},
        DispatchRow{"BusyToneAtTwentyOne", kind::BusyTone, "ATE1OKATS203?005OKATS", 21, true},
        DispatchRow{"IdentificationAtTwenty", kind::Identification, "", 20, false},
        DispatchRow{"IdentificationAtTwentyOne", kind::Identification, "", 21, true},
        DispatchRow{"SpeedAtTwenty", kind::ConnectionSpeed, "", 20, false},
        DispatchRow{"SpeedAtTwentyOne", kind::ConnectionSpeed, "", 21, true},
        DispatchRow{"TransmitLevelAtTenWithQuery", kind::TransmitLevel, "ATS91?0100", 10, false},
        DispatchRow{"TransmitLevelAtElevenWithQuery", kind::TransmitLevel, "ATS91?01000", 11, true},
        DispatchRow{"TransmitLevelLongWithoutQuery", kind::TransmitLevel, "ATE1OKATS10?100OKATS9", 60, false},
        DispatchRow{"LineAdaptationAtTenWithQuery", kind::LineAdaptation, "ATS215?090", 10, false},
        DispatchRow{"LineAdaptationAtElevenWithQuery", kind::LineAdaptation, "ATS215?090O", 11, true},
        DispatchRow{"LineAdaptationWithTheOtherQuery", kind::LineAdaptation, "ATE1OKATS91?010OK", 60, false},
        DispatchRow{"ToneDiallingAtTenWithQuery", kind::ToneDialling, "ATS11?0950", 10, false},
        DispatchRow{"ToneDiallingAtElevenWithQuery", kind::ToneDialling, "ATS11?095OK", 11, true},
        DispatchRow{"ToneDiallingQueryInLowerCase", kind::ToneDialling, "ate1okats11?095ok", 60, false},
        DispatchRow{"NoneNeverDispatches", kind::None, "", 500, false},
        DispatchRow{"BusyToneWriteNeverDispatches", kind::BusyToneWrite, "", 500, false},
        DispatchRow{"UnknownKindNeverDispatches", 3, "", 500, false}),
    testing_support::RowName());

TEST_F(ModemLinkTest, OneMoreCharacterMakesTheNextNoticeDispatch) {
  link.BeginRequest(kind::BusyTone);
  link.VaCommRxBuf(std::string(20, 'x'));
  link.VaCommTxEmpty();
  EXPECT_TRUE(ran.empty());
  link.VaCommRxBuf("y");
  link.VaCommTxEmpty();
  EXPECT_EQ(ran, std::vector<RequestKind>{kind::BusyTone});
}

TEST_F(ModemLinkTest, KindWithoutABranchIsNotDispatched) {
  link.setBranch(kind::BusyTone, {});
  link.BeginRequest(kind::BusyTone);
  link.VaCommRxBuf(std::string(40, 'x'));
  link.VaCommTxEmpty();
  EXPECT_EQ(link.requestKind(), kind::BusyTone);
  EXPECT_EQ(link.replyText().size(), 40u);
}

TEST_F(ModemLinkTest, FailingBranchLeavesBufferAndKindSoTheNextNoticeFailsAlike) {
  int calls = 0;
  link.setBranch(kind::TransmitLevel, [&] {
    ++calls;
    TextToInt(ReadValueAfter(link.replyText(), "ATS91?"));
  });
  link.BeginRequest(kind::TransmitLevel);
  // A one-digit value: the three characters are a digit followed by OK.
  link.VaCommRxBuf("ATE1OKATS10?100OKATS91?1OK");
  for (int notice = 1; notice <= 2; ++notice) {
    EXPECT_EQ(errorOf([&] { link.VaCommTxEmpty(); }), "'1OK' is not a valid integer value");
    EXPECT_EQ(calls, notice);
    EXPECT_EQ(link.requestKind(), kind::TransmitLevel);
    EXPECT_EQ(link.replyText(), "ATE1OKATS10?100OKATS91?1OK");
  }
}

TEST_F(ModemLinkTest, BranchMayClearThePendingReadItselfBeforeFailing) {
  link.setBranch(kind::Identification, [&] {
    link.clearPending();
    throw Error("'x' is not a valid integer value");
  });
  link.BeginRequest(kind::Identification);
  link.VaCommRxBuf(std::string(30, 'x'));
  EXPECT_EQ(errorOf([&] { link.VaCommTxEmpty(); }), "'x' is not a valid integer value");
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_EQ(link.replyText(), "");
}

struct ValueRow {
  const char* name;
  const char* buffer;
  const char* query;
  const char* value;
};

class ValueAfterQuery : public testing::TestWithParam<ValueRow> {};

TEST_P(ValueAfterQuery, IsAtMostThreeCharacters) {
  EXPECT_EQ(ReadValueAfter(GetParam().buffer, GetParam().query), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValueAfterQuery,
    testing::Values(ValueRow{"FollowsTheEcho", "ATE1OKATS11?095OKATS91?010OK", "ATS91?", "010"},
                    ValueRow{"FirstOccurrenceWins", "ATS11?095OKATS11?123OK", "ATS11?", "095"},
                    ValueRow{"FewerWhenTheBufferEnds", "ATS91?01", "ATS91?", "01"},
                    ValueRow{"NoneWhenTheBufferEndsWithTheQuery", "ATE1OKATS91?", "ATS91?", ""},
                    ValueRow{"AbsentQueryTakesPositionsFromItsLength", "123456789ABC", "ATS205?", "789"},
                    ValueRow{"AbsentShortQuery", "123456789ABC", "ATS17?", "678"},
                    ValueRow{"AbsentQueryBufferEndsAtItsLength", "123456", "ATS205?", ""},
                    ValueRow{"AbsentQueryOneCharacterLeft", "1234567", "ATS205?", "7"},
                    ValueRow{"EmptyBuffer", "", "ATS203?", ""}),
    testing_support::RowName());

TEST(ValueAfterQuery, EndingWithTheQueryIsRejectedByTheConversion) {
  EXPECT_EQ(errorOf([] { TextToInt(ReadValueAfter("ATE1OKATS11?", "ATS11?")); }),
            "'' is not a valid integer value");
}

// --- Answer completion: when the transmit-empty notice comes ---

struct ResultLineRow {
  const char* name;
  const char* line;
  bool final;
};

class FinalResultLine : public testing::TestWithParam<ResultLineRow> {};

TEST_P(FinalResultLine, IsRecognisedByTheWholeLine) {
  EXPECT_EQ(IsFinalResultLine(GetParam().line), GetParam().final);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FinalResultLine,
    testing::Values(ResultLineRow{"Ok", "OK", true}, ResultLineRow{"Error", "ERROR", true},
                    ResultLineRow{"NoCarrier", "NO CARRIER", true}, ResultLineRow{"Busy", "BUSY", true},
                    ResultLineRow{"NoDialtone", "NO DIALTONE", true},
                    ResultLineRow{"NoAnswer", "NO ANSWER", true}, ResultLineRow{"Connect", "CONNECT", true},
                    ResultLineRow{"ConnectWithSpeed", "CONNECT 115200/V92/LAPM", true},
                    ResultLineRow{"LowerCase", "ok", false}, ResultLineRow{"LeadingBlank", " OK", false},
                    ResultLineRow{"TrailingText", "OKAY", false}, ResultLineRow{"Embedded", "NOT OK", false},
                    ResultLineRow{"Echo", "ATS91?", false}, ResultLineRow{"Value", "095", false},
                    ResultLineRow{"NumericCode", "0", false}, ResultLineRow{"Empty", "", false}),
    testing_support::RowName());

TEST_F(ModemLinkTest, IdleLinkArmsNoTimer) {
  EXPECT_FALSE(link.nextDeadline());
  link.BeginRequest(kind::BusyToneWrite);
  EXPECT_FALSE(link.nextDeadline()) << "a request that sent nothing awaits nothing";
  answer("\r\nRING\r\n");
  EXPECT_FALSE(link.nextDeadline());
}

TEST_F(ModemLinkTest, AnswerIsDispatchedTheMomentItsLastResultArrivesAndOnlyOnce) {
  read(kind::ToneDialling, kToneRead);
  answer(kToneAnswerButLastResult);
  EXPECT_TRUE(ran.empty());
  EXPECT_TRUE(link.nextDeadline());

  const Instant arrival = clock.now();
  answer(kLastResult);
  EXPECT_EQ(clock.now(), arrival);
  EXPECT_EQ(ran, std::vector<RequestKind>{kind::ToneDialling});
  EXPECT_EQ(seen, std::vector<std::string>{std::string(kToneBuffer)});
  EXPECT_FALSE(link.nextDeadline());

  clock.advance(10s);
  link.onDeadline();
  answer("\r\nOK\r\n");
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(ModemLinkTest, AnswerArrivingOneByteAtATimeCompletesOnTheLastResultsCarriageReturn) {
  read(kind::ToneDialling, kToneRead);
  const std::string whole = std::string(kToneAnswerButLastResult) + std::string(kLastResult);
  const std::size_t lastCr = whole.rfind('\r');
  for (std::size_t i = 0; i < whole.size(); ++i) {
    clock.advance(1ms);
    answer(whole.substr(i, 1));
    ASSERT_EQ(ran.size(), i < lastCr ? 0u : 1u) << "after byte " << i;
  }
  EXPECT_EQ(seen.front(), kToneBuffer);
}

TEST_F(ModemLinkTest, ResultsFromBeforeTheRequestDoNotCount) {
  answer("\r\nOK\r\n\r\nOK\r\n\r\nOK\r\n");
  read(kind::ToneDialling, kToneRead);
  answer(kToneAnswerButLastResult);
  EXPECT_TRUE(ran.empty());
  answer(kLastResult);
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(ModemLinkTest, ErrorResultsEndTheAnswerToo) {
  read(kind::ExtendedRegisters, {"ATE1\r", "ATS216?\r", "ATS218?\r"});
  answer("ATE1\r\r\nOK\r\nATS216?\r\r\nERROR\r\nATS218?\r\r\nERROR\r\n");
  EXPECT_EQ(seen, std::vector<std::string>{"ATE1OKATS216?ERRORATS218?ERROR"});
}

TEST_F(ModemLinkTest, AnswerWithoutEchoCompletesButLacksTheQueryTheReadNeeds) {
  read(kind::ToneDialling, kToneRead);
  answer("\r\nOK\r\n\r\n095\r\n\r\nOK\r\n\r\n010\r\n\r\nOK\r\n");
  EXPECT_FALSE(link.nextDeadline());
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(link.requestKind(), kind::ToneDialling);
  EXPECT_EQ(link.replyText(), "OK095OK010OK");
}

TEST_F(ModemLinkTest, AnswerWithoutResultCodesIsDispatchedOnceTheLineFallsQuiet) {
  read(kind::ToneDialling, kToneRead);
  answer("ATE1\r\r\nATS11?\r\r\n095\r\nATS91?\r\r\n010\r\n");
  EXPECT_EQ(link.nextDeadline(), clock.now() + kQuiet);

  clock.advance(kQuiet - 1ms);
  link.onDeadline();
  EXPECT_TRUE(ran.empty()) << "a timer that fires early changes nothing";
  clock.advance(1ms);
  link.onDeadline();
  EXPECT_EQ(seen, std::vector<std::string>{"ATE1ATS11?095ATS91?010"});
  EXPECT_FALSE(link.nextDeadline());
}

TEST_F(ModemLinkTest, SilentModemGivesOneNoticeThatFindsNothingToDispatch) {
  read(kind::ToneDialling, kToneRead);
  EXPECT_EQ(link.nextDeadline(), port.sent.back().at + kQuiet);
  clock.sleepUntil(*link.nextDeadline());
  link.onDeadline();
  EXPECT_FALSE(link.nextDeadline());
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(link.requestKind(), kind::ToneDialling);

  answer(std::string(kToneAnswerButLastResult) + std::string(kLastResult));
  EXPECT_TRUE(ran.empty()) << "a late answer is collected but not dispatched";
  EXPECT_EQ(link.replyText(), kToneBuffer);
}

TEST_F(ModemLinkTest, GarbledLinesDoNotEndTheAnswerEarly) {
  read(kind::ToneDialling, kToneRead);
  answer("ATE1\r\r\nOKAY\r\nATS11?\r\r\n095 OK\r\nok\r\n\r\n OK\r\n" + std::string(200, '#') + "OK\r\n");
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(link.nextDeadline(), clock.now() + kQuiet);
}

TEST_F(ModemLinkTest, StreamingLineIsEndedByTheUpperBound) {
  read(kind::BusyTone, {"ATE1\r", "ATS203?\r"});
  const Instant bound = port.sent.back().at + kUpperBound;
  while (ran.empty() && clock.now() < bound + 1s) {
    ASSERT_TRUE(link.nextDeadline());
    ASSERT_LE(*link.nextDeadline(), bound);
    clock.advance(40ms);
    answer("noise ");
  }
  EXPECT_GE(clock.now(), bound);
  EXPECT_LT(clock.now(), bound + 40ms);
  EXPECT_EQ(ran, std::vector<RequestKind>{kind::BusyTone});
  EXPECT_FALSE(link.nextDeadline());
  clock.advance(40ms);
  answer("noise ");
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(ModemLinkTest, LostDeviceIsReportedOnceAndTheNextRequestOpensThePortAgain) {
  read(kind::BusyTone, {"ATE1\r", "ATS203?\r"});
  port.lostMessage = "The modem on COM7 went away";
  port.feed("ATE1\r\r\nOK\r\n");
  EXPECT_EQ(errorOf([&] { link.onReadable(); }), "The modem on COM7 went away");
  EXPECT_EQ(link.replyText(), "ATE1OK");
  EXPECT_EQ(link.descriptor(), -1);
  EXPECT_FALSE(link.nextDeadline());
  EXPECT_EQ(errorOf([&] { link.onReadable(); }), "no error");
  link.onDeadline();
  EXPECT_TRUE(ran.empty());

  read(kind::BusyTone, {"ATE1\r"});
  EXPECT_EQ(port.openCount, 2);
  EXPECT_TRUE(port.isOpen());
}

}  // namespace
}  // namespace lintari
