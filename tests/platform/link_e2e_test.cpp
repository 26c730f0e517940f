// The modem link end to end: settings and port map in memory, the real
// serial port on the pseudo-terminal of lintari-modemsim, the monotonic
// clock, and a poll() loop in place of the program's event loop.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_store.h"
#include "common/link_pump.h"
#include "common/row_name.h"
#include "common/simulator.h"
#include "core/error.h"
#include "core/memory_registry.h"
#include "core/text_to_int.h"
#include "link/answer_completion.h"
#include "link/modem_link.h"
#include "link/port_map.h"
#include "platform/linux_serial_port.h"
#include "platform/monotonic_clock.h"

namespace lintari {
namespace {

using namespace std::chrono_literals;
using testing_support::LinkPump;
using testing_support::ModemSimulator;
using testing_support::TempDir;

constexpr auto kPatience = 10s;
constexpr auto kQuiet = AnswerCompletion::kQuietPeriod;
constexpr auto kUpperBound = AnswerCompletion::kUpperBound;

// The tone-dialling read and the buffer it leaves with the simulator's
// power-up registers (S11=95, S91=10).
const std::vector<std::string> kToneRead = {"ATE1\r", "ATS11?\r", "ATS91?\r"};
constexpr std::string_view kToneBuffer = "ATE1OKATS11?095OKATS91?010OK";

class Window : public MainWindowHandle {
 public:
  void hideMainWindow() override { ++hides; }
  int hides = 0;
};

class LinkOverPty : public ::testing::Test {
 protected:
  LinkOverPty() {
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath,
                       "\\SYSTEM\\CurrentControlSet\\Control\\Class\\Modem\\0000");
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, "1");
    registry.setString(kSerialCommKeyPath, (dir / "modem").string(), "COM1");
    // What the tone-dialling page does with the answer: find both values
    // after their echoed queries and convert them.
    link.setBranch(kind::ToneDialling, [this] {
      dispatched.push_back(link.replyText());
      values = {TextToInt(ReadValueAfter(link.replyText(), "ATS11?")),
                TextToInt(ReadValueAfter(link.replyText(), "ATS91?"))};
    });
  }

  void startSimulator(std::vector<std::string> options = {}) {
    sim = std::make_unique<ModemSimulator>(LINTARI_MODEMSIM, dir.path(), std::move(options));
    ASSERT_TRUE(sim->start()) << sim->failure();
  }

  // The tone-dialling page's "read" button handler, through the guarded
  // entry.
  void toneRead() {
    pump.guarded([this] {
      link.BeginRequest(kind::ToneDialling);
      for (const std::string& text : kToneRead) link.SendText(text);
    });
  }

  bool runUntilDispatched(std::size_t count) {
    return pump.runUntil([&] { return dispatched.size() >= count; }, kPatience);
  }

  TempDir dir;
  MemoryRegistry registry;
  SettingsStore settings{registry};
  LinuxSerialPort port{[this](int number) { return devicePathForPort(registry, number); }};
  MonotonicClock clock;
  Window window;
  ModemLink link{settings, port, clock, window};
  LinkPump pump{link, clock};
  std::unique_ptr<ModemSimulator> sim;
  std::vector<std::string> dispatched;
  std::vector<std::int32_t> values;
};

TEST_F(LinkOverPty, ReadIsDispatchedOnceOnTheWholeAnswer) {
  startSimulator();
  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));
  EXPECT_EQ(dispatched, std::vector<std::string>{std::string(kToneBuffer)});
  EXPECT_EQ(values, (std::vector<std::int32_t>{95, 10}));
  EXPECT_TRUE(pump.errors().empty()) << pump.errors().front();
  // Nothing more is due, so nothing more can be dispatched until the next
  // request sends.
  EXPECT_FALSE(link.nextDeadline());
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_EQ(link.replyText(), "");
  EXPECT_EQ(window.hides, 0);
}

// The simulator times each byte when it reads it. A read that the scheduler
// delays (15 ms seen on a loaded machine) shortens the gap after it by as
// much, so each gap is allowed that much; bytes sent together would still
// show as gaps near 0, and pauses short on average in the whole span. The
// exact pause is the fake-clock test's business.
TEST_F(LinkOverPty, EveryByteOfARequestReachesTheModemAtLeastFiftyMillisecondsAfterTheOneBefore) {
  constexpr long long kPauseMicros = 50'000;
  constexpr long long kLateReadMicros = 25'000;
  startSimulator();
  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));

  const auto received = testing_support::readByteLog(sim->receivedLog());
  ASSERT_EQ(testing_support::bytesOf(received), "ATE1\rATS11?\rATS91?\r");
  for (std::size_t i = 1; i < received.size(); ++i) {
    EXPECT_GE(received[i].micros - received[i - 1].micros, kPauseMicros - kLateReadMicros)
        << "before byte " << i;
  }
  EXPECT_GE(received.back().micros - received.front().micros,
            static_cast<long long>(received.size() - 1) * kPauseMicros - kLateReadMicros);
}

// The stored register comes back after the reset, the one that was only set
// does not: so the store and the reset both reached the modem.
TEST_F(LinkOverPty, StoredSettingSurvivesTheModemsReset) {
  startSimulator();
  pump.guarded([this] {
    link.StoreCommand(kind::None, "ATS11=60");
    link.SendText("ATS91=20\r");
    link.SendText("ATZ\r");
  });
  ASSERT_TRUE(pump.settle(kPatience));
  EXPECT_TRUE(dispatched.empty());

  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));
  EXPECT_EQ(dispatched.front(), "ATE1OKATS11?060OKATS91?010OK");
  EXPECT_TRUE(pump.errors().empty()) << pump.errors().front();
}

TEST_F(LinkOverPty, PathThatIsNoTerminalIsRefusedAndThePortStaysClosed) {
  const std::filesystem::path plain = dir / "plain";
  std::ofstream(plain) << "not a modem";
  registry.setString(kSerialCommKeyPath, plain.string(), "COM2");
  registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, "2");

  toneRead();
  ASSERT_EQ(pump.errors().size(), 1u);
  EXPECT_TRUE(pump.errors().front().starts_with("Error writing dcb (25), ")) << pump.errors().front();
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(link.descriptor(), -1);
  EXPECT_EQ(link.requestKind(), kind::None);
  EXPECT_TRUE(pump.idle());
}

TEST_F(LinkOverPty, SecondOpenOfAPortInUseIsRefusedAndTheHolderKeepsWorking) {
  startSimulator();
  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));

  LinuxSerialPort second([this](int number) { return devicePathForPort(registry, number); });
  try {
    second.open(1);
    ADD_FAILURE() << "a second open of COM1 succeeded";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Can't open device COM1");
  }
  EXPECT_FALSE(second.isOpen());

  toneRead();
  ASSERT_TRUE(runUntilDispatched(2));
  EXPECT_EQ(dispatched.back(), kToneBuffer);
  EXPECT_TRUE(pump.errors().empty()) << pump.errors().front();
}

// After the one error nothing is watched and nothing is due, so the loop
// sleeps; the next request opens the port again and finds the new modem on
// the same path.
void expectIdleAfterOneError(LinkPump& pump, const ModemLink& link, std::string_view errorStart) {
  ASSERT_EQ(pump.errors().size(), 1u);
  EXPECT_TRUE(pump.errors().front().starts_with(errorStart)) << pump.errors().front();
  EXPECT_EQ(link.descriptor(), -1);
  EXPECT_FALSE(link.nextDeadline());
  const long wakeUps = pump.wakeUps();
  EXPECT_FALSE(pump.runUntil([] { return false; }, kPatience));
  EXPECT_EQ(pump.wakeUps(), wakeUps) << "polled with nothing to watch";
  EXPECT_EQ(pump.errors().size(), 1u);
}

TEST_F(LinkOverPty, ModemGoneWhileItsAnswerIsAwaitedGivesOneErrorThenTheNextRequestWorks) {
  // The answers are held back, so the modem goes while they are still due.
  startSimulator({"--answer-delay", "2000"});
  toneRead();
  ASSERT_TRUE(pump.errors().empty()) << pump.errors().front();
  sim->kill();

  EXPECT_TRUE(pump.runUntil([this] { return pump.idle(); }, kPatience));
  expectIdleAfterOneError(pump, link, "The modem on COM1 is no longer connected (");
  EXPECT_TRUE(dispatched.empty());

  startSimulator();
  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));
  EXPECT_EQ(dispatched.front(), kToneBuffer);
  EXPECT_EQ(pump.errors().size(), 1u);
}

TEST_F(LinkOverPty, ModemGoneWhileARequestIsSentGivesOneErrorThenTheNextRequestWorks) {
  startSimulator();
  pump.guarded([this] {
    link.BeginRequest(kind::ToneDialling);
    link.SendText("ATE1\r");
    sim->kill();
    link.SendText("ATS11?\r");
    link.SendText("ATS91?\r");
  });

  expectIdleAfterOneError(pump, link, "Write error (5), ");
  EXPECT_TRUE(dispatched.empty());

  startSimulator();
  toneRead();
  ASSERT_TRUE(runUntilDispatched(1));
  EXPECT_EQ(dispatched.front(), kToneBuffer);
  EXPECT_EQ(pump.errors().size(), 1u);
}

// --- A modem that misbehaves ---

enum class Notice {
  kOnFinalResult,  // the answer is complete as soon as it is read
  kWhenQuiet,      // the line falls quiet without a final result
  kAtUpperBound,   // the line never falls quiet
};

struct FaultRow {
  std::string name;
  std::vector<std::string> options;
  Notice notice;
  // What the branch saw, once per request; empty when it never ran.
  std::string dispatchedBuffer;
  std::vector<std::string> errors;  // per request
  bool keepsTalking;
};

void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

class LinkOverPtyWithFault : public LinkOverPty, public ::testing::WithParamInterface<FaultRow> {};

// Each request gets one notice, at the time its answer calls for, and at most
// one dispatch; the second request shows that the link is still usable.
TEST_P(LinkOverPtyWithFault, GivesOneNoticePerRequestAndNeverHangs) {
  const FaultRow& row = GetParam();
  startSimulator(row.options);
  for (int request = 1; request <= 2; ++request) {
    SCOPED_TRACE("request " + std::to_string(request));
    const std::size_t errorsBefore = pump.errors().size();
    const std::size_t dispatchedBefore = dispatched.size();
    toneRead();
    ASSERT_EQ(pump.errors().size(), errorsBefore) << pump.errors().back();
    // Nothing has been read yet, so the first deadline is the quiet period
    // after the last byte sent.
    ASSERT_TRUE(link.nextDeadline());
    const Instant lastSent = *link.nextDeadline() - kQuiet;
    const long deadlinesBefore = pump.deadlines();

    Instant latestDeadline = lastSent;
    ASSERT_TRUE(pump.runUntil(
        [&] {
          const std::optional<Instant> due = link.nextDeadline();
          if (due) latestDeadline = std::max(latestDeadline, *due);
          return !due;
        },
        kPatience));
    const Instant noticeAt = clock.now();
    EXPECT_LE(latestDeadline, lastSent + kUpperBound);
    switch (row.notice) {
      case Notice::kOnFinalResult:
        EXPECT_EQ(pump.deadlines(), deadlinesBefore) << "the input, not a deadline, completed the answer";
        break;
      case Notice::kWhenQuiet:
        EXPECT_GT(pump.deadlines(), deadlinesBefore);
        EXPECT_GE(noticeAt, lastSent + kQuiet);
        EXPECT_LT(noticeAt, lastSent + kUpperBound);
        break;
      case Notice::kAtUpperBound:
        // Input that keeps coming may bring the notice as well as the timer.
        EXPECT_GE(noticeAt, lastSent + kUpperBound);
        break;
    }

    if (row.keepsTalking) {
      const std::size_t heard = link.replyText().size();
      EXPECT_TRUE(pump.runUntil([&] { return link.replyText().size() >= heard + 200; }, kPatience));
      EXPECT_FALSE(link.nextDeadline());
    }
    const std::vector<std::string> expectedDispatch = row.dispatchedBuffer.empty()
                                                          ? std::vector<std::string>{}
                                                          : std::vector<std::string>{row.dispatchedBuffer};
    EXPECT_EQ(std::vector<std::string>(dispatched.begin() + static_cast<std::ptrdiff_t>(dispatchedBefore),
                                       dispatched.end()),
              expectedDispatch);
    EXPECT_EQ(std::vector<std::string>(pump.errors().begin() + static_cast<std::ptrdiff_t>(errorsBefore),
                                       pump.errors().end()),
              row.errors);
    EXPECT_TRUE(port.isOpen());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkOverPtyWithFault,
    ::testing::Values(
        // Results without echoes: complete, but without the query the read
        // looks for, so nothing is dispatched.
        FaultRow{"NoEcho", {"--no-echo"}, Notice::kOnFinalResult, "", {}, false},
        // Noise in place of every answer byte: no result code ever ends a
        // line, so the quiet line ends the answer; the branch then finds
        // noise where the value should be.
        FaultRow{"Garble",
                 {"--garble"},
                 Notice::kWhenQuiet,
                 "ATE1#%&*~^ATS11?#%&*~^!?#%&*~ATS91?#%&*~^!?#%&*~",
                 {"'#%&' is not a valid integer value"},
                 false},
        FaultRow{"Silent", {"--silent"}, Notice::kWhenQuiet, "", {}, false},
        // Noise between the echoed characters, but every line still ends in
        // its result: complete, and the broken echo is not the query.
        FaultRow{"Stream", {"--stream"}, Notice::kOnFinalResult, "", {}, true},
        FaultRow{"GarbledStream", {"--stream", "--garble"}, Notice::kAtUpperBound, "", {}, true},
        FaultRow{"NulBytes", {"--nul-bytes"}, Notice::kOnFinalResult, std::string(kToneBuffer), {}, false}),
    testing_support::RowName());

}  // namespace
}  // namespace lintari
