#include "link/answer_completion.h"

#include <algorithm>
#include <array>

namespace lintari {
namespace {

struct ResultCode {
  std::string_view text;
  bool isPrefix;  // "CONNECT 115200/V92" and the like carry the speed
};

// The verbose final result codes of a Conexant modem; every command line the
// modem takes ends in exactly one of them.
constexpr std::array<ResultCode, 7> kFinalResults{{
    {"OK", false},
    {"ERROR", false},
    {"NO CARRIER", false},
    {"BUSY", false},
    {"NO DIALTONE", false},
    {"NO ANSWER", false},
    {"CONNECT", true},
}};

constexpr char kCr = '\r';
constexpr char kLf = '\n';

}  // namespace

bool IsFinalResultLine(std::string_view line) {
  return std::any_of(kFinalResults.begin(), kFinalResults.end(), [line](const ResultCode& code) {
    return code.isPrefix ? line.starts_with(code.text) : line == code.text;
  });
}

void AnswerCompletion::begin() { *this = AnswerCompletion(); }

void AnswerCompletion::sent(char byte, Instant at) {
  armed_ = true;
  if (byte == kCr) ++linesSent_;
  lastSent_ = at;
  lastActivity_ = std::max(lastActivity_, at);
}

void AnswerCompletion::received(std::string_view bytes, Instant at) {
  if (bytes.empty()) return;
  lastActivity_ = std::max(lastActivity_, at);
  for (char c : bytes) {
    if (c == kCr || c == kLf) {
      if (!lineTooLong_ && IsFinalResultLine(line_)) ++finalResults_;
      line_.clear();
      lineTooLong_ = false;
    } else if (line_.size() < kLongestLine) {
      line_ += c;
    } else {
      lineTooLong_ = true;
    }
  }
}

void AnswerCompletion::disarm() { armed_ = false; }

std::optional<Instant> AnswerCompletion::deadline() const {
  if (!armed_) return std::nullopt;
  return std::min(lastActivity_ + kQuietPeriod, lastSent_ + kUpperBound);
}

bool AnswerCompletion::takeNotice(Instant now) {
  if (!armed_) return false;
  if (!answerComplete() && now < *deadline()) return false;
  armed_ = false;
  return true;
}

// Echo lines and register values are no result codes, so with one final
// result per command line the answer is in once there are as many results as
// lines sent. Results that came before the request do not count: begin()
// starts the count afresh.
bool AnswerCompletion::answerComplete() const { return linesSent_ > 0 && finalResults_ >= linesSent_; }

}  // namespace lintari
