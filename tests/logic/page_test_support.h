#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/context.h"
#include "common/logic_fixture.h"
#include "core/error.h"

namespace lintari::testing_support {

// One command line as a modem with echo on answers it: the echo with its CR,
// each answer line framed by CR LF, then the final "OK". So
// EchoedAnswer("ATS11?", {"095"}) is "ATS11?\r\r\n095\r\n\r\nOK\r\n".
inline std::string EchoedAnswer(std::string_view command,
                                std::initializer_list<std::string_view> lines = {}) {
  std::string answer = std::string(command) + "\r";
  for (std::string_view line : lines) answer += "\r\n" + std::string(line) + "\r\n";
  return answer + "\r\nOK\r\n";
}

// What the reply buffer holds of received bytes: everything but CR and LF.
inline std::string WithoutLineEnds(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    if (c != '\r' && c != '\n') text += c;
  }
  return text;
}

// The bytes arrive at the port and the event loop runs as it would: the port
// becomes readable, and when the answer does not complete, its deadline
// passes. A branch's error leaves here.
inline void Deliver(LogicFixture& f, std::string_view bytes) {
  f.port.feed(std::string(bytes));
  f.link.onReadable();
  if (const std::optional<Instant> due = f.link.nextDeadline()) {
    f.clock.sleepUntil(*due);
    f.link.onDeadline();
  }
}

// What a write put on the line, nothing of earlier requests included.
inline std::string SentBy(LogicFixture& f, const std::function<void()>& action) {
  f.port.sent.clear();
  action();
  return f.port.sentText();
}

inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

inline std::string ConversionError(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

inline constexpr std::string_view kStoreProfiles = "at&w&w0&w1\r";

// Runs the handler a unit bound to that control and event, as the Qt layer
// would; a missing binding fails the test.
inline void RunBound(const Handlers& handlers, std::string_view control, Event event) {
  for (const Handler& h : handlers) {
    if (h.window == "TForm1" && h.control == control && h.event == event) {
      h.run();
      return;
    }
  }
  ADD_FAILURE() << "nothing bound to " << control;
}

// "SpeedButton12 Click" for every handler, in binding order, each checked
// against the main window's design so a misspelt name cannot connect nothing.
inline std::vector<std::string> BoundControls(const Handlers& handlers) {
  std::vector<std::string> bound;
  for (const Handler& h : handlers) {
    EXPECT_EQ(h.window, "TForm1");
    EXPECT_NE(design::find(design::mainWindow(), h.control), nullptr) << h.control;
    const char* event = h.event == Event::Click      ? "Click"
                        : h.event == Event::UserMove ? "UserMove"
                                                     : "UserPick";
    bound.push_back(std::string(h.control) + " " + event);
  }
  return bound;
}

}  // namespace lintari::testing_support
