#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"

namespace lintari {

// Whether one line of the modem's raw answer (without its CR/LF) is a final
// result code: "OK", "ERROR", "NO CARRIER", "BUSY", "NO DIALTONE",
// "NO ANSWER", or a line beginning with "CONNECT".
bool IsFinalResultLine(std::string_view line);

// Decides when the answer to a request is complete, which is when the port's
// transmit-empty notice is raised: once per request that sent something,
// after its last byte, as soon as the final result code of the last command
// line has arrived, or the line has been quiet for kQuietPeriod, or at the
// latest kUpperBound after the last byte sent.
class AnswerCompletion {
 public:
  // A modem answers a query within a few milliseconds, and a complete answer
  // is taken at once by its final result code. The quiet period only decides
  // for answers without one; half a second still reads a slow modem whole.
  static constexpr std::chrono::milliseconds kQuietPeriod{500};
  // A line that never falls quiet (noise, a modem streaming text) still ends
  // the request.
  static constexpr std::chrono::milliseconds kUpperBound{2000};

  // A new request: counts and the partial line start afresh, nothing armed.
  void begin();
  // A byte has left the port; arms the notice.
  void sent(char byte, Instant at);
  void received(std::string_view bytes, Instant at);
  // No notice is given for the current request (the port went away or was
  // closed).
  void disarm();

  // When the notice falls due without further input; nullopt when none is
  // outstanding.
  [[nodiscard]] std::optional<Instant> deadline() const;
  // True exactly once per armed request: when the answer is complete or the
  // deadline has been reached at `now`.
  bool takeNotice(Instant now);

 private:
  [[nodiscard]] bool answerComplete() const;

  // A line longer than any result code is no result code; only this much of
  // it is kept.
  static constexpr std::size_t kLongestLine = 80;

  bool armed_ = false;
  std::size_t linesSent_ = 0;
  std::size_t finalResults_ = 0;
  std::string line_;
  bool lineTooLong_ = false;
  Instant lastSent_{};
  Instant lastActivity_{};
};

}  // namespace lintari
