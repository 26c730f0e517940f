// Any bytes as the modem's answer to any pending request, over the whole
// program with every unit's reply branch plugged in. The input's first
// bytes choose the request kind (the dispatched reads, none, the busy-tone
// write and kinds nobody uses), the name of the second extended register,
// the firmware stored before start-up, whether the bytes come through the
// port with its completion rule or straight into the collector, and how the
// stream is cut into pieces; the rest is the answer.
//
// Properties: the collector keeps every byte but CR and LF; a notice
// dispatches exactly when the dispatch table says so; a branch either
// completes (buffer emptied, kind cleared) or fails with the program's own
// error and leaves both as they were (identification clears them itself);
// through the port, a request's notice always comes, so nothing waits for
// ever.
#include <array>
#include <chrono>
#include <climits>
#include <optional>
#include <string>

#include "app/program.h"
#include "common/fake_clock.h"
#include "common/fake_form.h"
#include "common/fake_port.h"
#include "common/fake_windows.h"
#include "common/logic_fixture.h"
#include "core/error.h"
#include "core/memory_registry.h"
#include "fuzz_support.h"
#include "ident/firmware_table.h"
#include "link/answer_completion.h"
#include "link/request_kind.h"

namespace {

using namespace lintari;
using namespace lintari::testing_support;
using fuzzing::check;

// What the first byte chooses from: every kind the program uses, then kinds
// that nothing uses.
constexpr std::array<RequestKind, 16> kKinds{kind::None,
                                             kind::ExtendedRegisters,
                                             kind::BusyToneWrite,
                                             kind::BusyTone,
                                             kind::Identification,
                                             kind::ConnectionSpeed,
                                             kind::TransmitLevel,
                                             kind::LineAdaptation,
                                             kind::ToneDialling,
                                             3,
                                             5,
                                             9,
                                             39,
                                             -1,
                                             INT32_MIN,
                                             INT32_MAX};

// When a notice runs the branch of the pending kind, as the program's users
// are promised: the buffer long enough and, for the short reads, their query
// in it.
bool dispatchDue(RequestKind pending, const std::string& buffer) {
  struct Row {
    RequestKind kind;
    std::size_t longerThan;
    std::string_view query;
  };
  constexpr std::array<Row, 7> kRows{{{kind::ExtendedRegisters, 20, {}},
                                      {kind::BusyTone, 20, {}},
                                      {kind::Identification, 20, {}},
                                      {kind::ConnectionSpeed, 20, {}},
                                      {kind::TransmitLevel, 10, "ATS91?"},
                                      {kind::LineAdaptation, 10, "ATS215?"},
                                      {kind::ToneDialling, 10, "ATS11?"}}};
  for (const Row& row : kRows) {
    if (row.kind == pending) {
      return buffer.size() > row.longerThan &&
             (row.query.empty() || buffer.find(row.query) != std::string::npos);
    }
  }
  return false;
}

std::string withoutLineEnds(std::string_view bytes) {
  std::string kept;
  for (char c : bytes) {
    if (c != '\r' && c != '\n') kept += c;
  }
  return kept;
}

struct Rig {
  MemoryRegistry registry;
  FakeClock clock;
  FakePort port{clock};
  FakeWindows windows;
  RecordingShell shell;
  FakeForm main{design::mainWindow()};
  FakeForm setup{design::setupWindow()};
  FakeForm diagram{design::diagramWindow()};
  std::optional<Program> program;

  // What the buffer and the kind must be, by the rules alone.
  RequestKind pending = kind::None;
  std::string buffer;

  void expectState(std::string_view when) {
    check(program->link().requestKind() == pending, "the pending kind is not what it should be", when);
    check(program->link().replyText() == buffer, "the reply buffer is not what it should be", when);
  }

  // After a notice (or input through the port, which may bring one): either
  // nothing happened, or the branch ran and completed or failed. A notice
  // known to have been given must have run a due branch.
  void settle(bool failed, bool noticeGiven, std::string_view when) {
    ModemLink& link = program->link();
    const bool cleared = link.requestKind() == kind::None && link.replyText().empty();
    if (noticeGiven && dispatchDue(pending, buffer)) {
      check(failed || cleared, "a due dispatch did not run", when);
    }
    if (failed || (pending != kind::None && cleared)) {
      check(dispatchDue(pending, buffer), "a branch ran although the dispatch was not due", when);
    }
    if (cleared && (!failed || pending == kind::Identification)) {
      pending = kind::None;
      buffer.clear();
    }
    expectState(when);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::Input input(data, size);
  const RequestKind requested = kKinds[input.byte() % kKinds.size()];
  const std::uint8_t options = input.byte();
  fuzzing::Pieces pieces(input.rest(), input.byte());
  const bool secondIsS17 = (options & 1u) != 0;
  const bool throughPort = (options & 2u) != 0;
  const std::size_t firmware = (options >> 2u) % (firmwareTable().size() + 1);

  Rig rig;
  rig.registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, "\\SYSTEM\\Modems\\0000");
  rig.registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, "1");
  if (firmware > 0) {
    const FirmwareRow& row = firmwareTable()[firmware - 1];
    rig.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, row.series);
    rig.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, row.version);
  }
  rig.program.emplace(ProgramWindows{rig.main, rig.setup, rig.diagram, rig.windows},
                      ProgramPlatform{rig.registry, rig.port, rig.clock, rig.shell});
  for (const Program::CreationStep& step : rig.program->startUp()) {
    try {
      step.run();
    } catch (const Error&) {
    }
  }
  rig.main.setText("Label5", secondIsS17 ? "S17" : "S218");

  ModemLink& link = rig.program->link();
  link.BeginRequest(requested);
  rig.pending = requested;
  rig.expectState("after the request began");

  std::string_view piece;
  if (!throughPort) {
    auto notice = [&] {
      bool failed = false;
      try {
        link.VaCommTxEmpty();
      } catch (const Error&) {
        failed = true;
      }
      rig.settle(failed, true, "after a transmit-empty notice");
    };
    while (pieces.next(piece)) {
      link.VaCommRxBuf(piece);
      rig.buffer += withoutLineEnds(piece);
      rig.expectState("after received bytes");
      if (pieces.coin()) notice();
    }
    notice();
    return 0;
  }

  // Through the port: the request sends its echo command, so one notice is
  // due, when the answer is complete or at the latest at the upper bound.
  link.SendText("ATE1\r");
  auto deliver = [&](auto&& event, std::string_view when) {
    bool failed = false;
    try {
      event();
    } catch (const Error&) {
      failed = true;
    }
    rig.settle(failed, false, when);
  };
  while (pieces.next(piece)) {
    rig.port.feed(std::string(piece));
    rig.buffer += withoutLineEnds(piece);
    deliver([&] { link.onReadable(); }, "after input through the port");
    rig.clock.advance(std::chrono::milliseconds(pieces.below(150)));
    deliver([&] { link.onDeadline(); }, "at a deadline");
  }
  rig.clock.advance(AnswerCompletion::kUpperBound);
  deliver([&] { link.onDeadline(); }, "at the upper bound");
  check(!link.nextDeadline().has_value(), "the notice of a request never came");
  return 0;
}
