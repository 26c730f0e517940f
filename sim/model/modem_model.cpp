#include "model/modem_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace lintari::modemsim {
namespace {

constexpr std::array<RegisterRow, 18> kRegisters{{
    {0, 0, "rings before auto-answer"},
    {6, 2, "wait before blind dialling, s"},
    {7, 50, "wait for carrier, s"},
    {8, 2, "comma dial pause, s"},
    {10, 14, "carrier loss delay, 1/10 s"},
    {11, 95, "tone dialling speed: DTMF tone and gap, ms"},
    {12, 50, "escape guard time, 1/50 s"},
    {17, 0, "extended options (bit field, some builds)"},
    {91, 10, "transmit level, -dBm"},
    {203, 10, "busy tone: shortest tone"},
    {204, 50, "busy tone: longest tone"},
    {205, 5, "busy tone: shortest pause"},
    {206, 40, "busy tone: longest pause"},
    {207, 4, "busy tone: tone cycles"},
    {210, 5, "highest symbol rate, bits 0-2 (5 = 3429)"},
    {215, 0x53, "line adaptation: aggressiveness bits 0-3, noise detector bits 4-7"},
    {216, 0, "extended options (bit field)"},
    {218, 0, "extended options (bit field)"},
}};

constexpr std::array<std::string_view, 5> kProtocols{"V32", "V32b", "V34", "V90", "V92"};

// The highest rate any protocol of the modem offers (V.90/V.92 receive).
constexpr int kMaxRate = 56000;

// A real modem's command buffer is finite; a longer line answers ERROR
// instead of growing without bound.
constexpr std::size_t kMaxLine = 255;

constexpr std::string_view kOk = "\r\nOK\r\n";
constexpr std::string_view kError = "\r\nERROR\r\n";

// Noise holds no digit and no letter, so it never reads as a value or as a
// result code.
constexpr std::string_view kNoise = "#%&*~^!?";

std::string info(std::string_view text) {
  std::string framed = "\r\n";
  framed += text;
  framed += "\r\n";
  return framed;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

std::optional<int> parseNumber(std::string_view text, int limit) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(value * 10 + (c - '0'), limit + 1);
  }
  if (value > limit) return std::nullopt;
  return value;
}

std::string threeDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

}  // namespace

std::span<const RegisterRow> factoryRegisters() { return kRegisters; }

const FirmwareRow* firmwareByCode(std::string_view code) {
  for (const FirmwareRow& row : firmwareTable()) {
    if (row.version == code) return &row;
  }
  return nullptr;
}

// The rest of a command line after "AT", upper-cased and without blanks.
class ModemModel::Line {
 public:
  explicit Line(std::string text) : text_(std::move(text)) {}

  [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
  char take() { return atEnd() ? '\0' : text_[pos_++]; }
  bool accept(char c) {
    if (atEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // A run of digits as a number; `absent` when there is none, nullopt when
  // it exceeds `limit`.
  std::optional<int> number(int limit, int absent) {
    const std::size_t start = pos_;
    while (!atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    if (pos_ == start) return absent;
    return parseNumber(std::string_view(text_).substr(start, pos_ - start), limit);
  }
  // The text up to `stop` or the end of the line; `stop` is consumed.
  std::string_view until(char stop) {
    const std::size_t start = pos_;
    while (!atEnd() && text_[pos_] != stop) ++pos_;
    std::string_view taken = std::string_view(text_).substr(start, pos_ - start);
    accept(stop);
    return taken;
  }

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

ModemModel::ModemModel(const FirmwareRow& firmware, Faults faults)
    : firmware_(firmware), faults_(std::move(faults)) {
  for (const RegisterRow& row : factoryRegisters()) active_.registers[row.number] = row.factory;
  profiles_ = {active_, active_};
}

std::vector<Output> ModemModel::receive(std::string_view bytes) {
  std::vector<Output> out;
  auto emit = [&](OutputKind kind, std::string text) {
    if (faults_.silent || text.empty()) return;
    if (kind == OutputKind::kEcho && !out.empty() && out.back().kind == OutputKind::kEcho) {
      out.back().bytes += text;
    } else {
      out.push_back(Output{kind, std::move(text)});
    }
  };
  for (char c : bytes) {
    if (c == '\0') continue;
    if (active_.echo && !faults_.noEcho) emit(OutputKind::kEcho, std::string(1, c));
    if (c == '\r') {
      const std::string line = std::exchange(line_, {});
      const bool overflow = std::exchange(overflow_, false);
      emit(OutputKind::kAnswer, dress(overflow ? std::string(kError) : execute(line)));
      streaming_ = streaming_ || faults_.stream;
    } else if (c == '\b') {
      if (!line_.empty()) line_.pop_back();
    } else if (c == '\n') {
      continue;
    } else if (line_.size() < kMaxLine) {
      line_ += c;
    } else {
      overflow_ = true;
    }
  }
  return out;
}

bool ModemModel::streaming() const { return streaming_ && !faults_.silent; }

std::string ModemModel::streamBurst() {
  std::string burst;
  for (std::size_t i = 0; i < kNoise.size(); ++i) burst += kNoise[noisePos_++ % kNoise.size()];
  return burst;
}

int ModemModel::registerValue(int number) const {
  const auto found = active_.registers.find(number);
  return found == active_.registers.end() ? -1 : found->second;
}

std::string ModemModel::execute(std::string_view raw) {
  std::string text;
  for (char c : raw) {
    if (c != ' ') text += upper(c);
  }
  // Like a real modem, whatever precedes the attention characters is line
  // noise, and a line without them is no command at all.
  const std::size_t at = text.find("AT");
  if (at == std::string::npos) return {};
  Line line(text.substr(at + 2));
  std::string answer;
  while (!line.atEnd()) {
    switch (command(line, answer)) {
      case Step::kNext:
        break;
      case Step::kError:
        return answer + std::string(kError);
      case Step::kEndLine:
        return answer + std::string(kOk);
    }
  }
  return answer + std::string(kOk);
}

ModemModel::Step ModemModel::command(Line& line, std::string& answer) {
  struct Row {
    char letter;
    Step (ModemModel::*run)(Line&, std::string&);
  };
  static constexpr std::array<Row, 6> kCommands{{
      {'E', &ModemModel::echoCommand},
      {'S', &ModemModel::registerCommand},
      {'&', &ModemModel::ampersandCommand},
      {'Z', &ModemModel::resetCommand},
      {'I', &ModemModel::identifyCommand},
      {'+', &ModemModel::extendedCommand},
  }};
  const char letter = line.take();
  for (const Row& row : kCommands) {
    if (row.letter == letter) return (this->*row.run)(line, answer);
  }
  return Step::kError;
}

ModemModel::Step ModemModel::echoCommand(Line& line, std::string& /*answer*/) {
  const std::optional<int> mode = line.number(1, 0);
  if (!mode) return Step::kError;
  active_.echo = *mode == 1;
  return Step::kNext;
}

ModemModel::Step ModemModel::registerCommand(Line& line, std::string& answer) {
  const std::optional<int> number = line.number(999, -1);
  if (!number) return Step::kError;
  const auto found = active_.registers.find(*number);
  if (found == active_.registers.end() || faults_.errorRegisters.contains(*number)) return Step::kError;
  if (line.accept('?')) {
    answer += info(threeDigits(found->second));
    return Step::kNext;
  }
  if (!line.accept('=')) return Step::kError;
  const std::optional<int> value = line.number(255, -1);
  if (!value || *value < 0) return Step::kError;
  found->second = *value;
  return Step::kNext;
}

ModemModel::Step ModemModel::ampersandCommand(Line& line, std::string& /*answer*/) {
  const char letter = line.take();
  const std::optional<int> which = line.number(1, 0);
  if (!which) return Step::kError;
  if (letter == 'W') {
    profiles_[static_cast<std::size_t>(*which)] = active_;
    return Step::kNext;
  }
  if (letter == 'F' && *which == 0) {
    active_ = Settings{};
    for (const RegisterRow& row : factoryRegisters()) active_.registers[row.number] = row.factory;
    return Step::kNext;
  }
  return Step::kError;
}

ModemModel::Step ModemModel::resetCommand(Line& line, std::string& /*answer*/) {
  const std::optional<int> which = line.number(1, 0);
  if (!which) return Step::kError;
  active_ = profiles_[static_cast<std::size_t>(*which)];
  return Step::kEndLine;
}

ModemModel::Step ModemModel::identifyCommand(Line& line, std::string& answer) {
  const std::optional<int> which = line.number(9, 0);
  if (which == 0) {
    answer += info("56000");
    return Step::kNext;
  }
  if (which == 3 && faults_.banner) {
    answer += info(*faults_.banner);
    return Step::kNext;
  }
  if (which == 3) {
    std::string banner(firmware_.pattern);
    banner += "\r\nBrevant ";
    banner += firmware_.series;
    banner += " data/fax modem";
    answer += info(banner);
    return Step::kNext;
  }
  return Step::kError;
}

ModemModel::Step ModemModel::extendedCommand(Line& line, std::string& answer) {
  if (line.take() != 'M' || line.take() != 'S') return Step::kError;
  if (line.accept('?')) {
    const Modulation& m = active_.modulation;
    answer +=
        info("+MS: " + m.protocol + "," + std::to_string(m.automode) + "," + std::to_string(m.minTx) + "," +
             std::to_string(m.maxTx) + "," + std::to_string(m.minRx) + "," + std::to_string(m.maxRx));
    line.accept(';');
    return Step::kNext;
  }
  if (!line.accept('=')) return Step::kError;
  return setModulation(line.until(';'));
}

ModemModel::Step ModemModel::setModulation(std::string_view values) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = values.find(',', start);
    fields.push_back(
        values.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() > 6) return Step::kError;
  fields.resize(6);

  Modulation m = active_.modulation;
  if (!fields[0].empty()) {
    const auto known = std::find_if(kProtocols.begin(), kProtocols.end(),
                                    [&](std::string_view p) { return sameLetters(p, fields[0]); });
    if (known == kProtocols.end()) return Step::kError;
    m.protocol = std::string(*known);
  }
  const std::array<std::pair<int*, int>, 5> numbers{{{&m.automode, 1},
                                                     {&m.minTx, kMaxRate},
                                                     {&m.maxTx, kMaxRate},
                                                     {&m.minRx, kMaxRate},
                                                     {&m.maxRx, kMaxRate}}};
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (fields[i + 1].empty()) continue;
    const std::optional<int> value = parseNumber(fields[i + 1], numbers[i].second);
    if (!value) return Step::kError;
    *numbers[i].first = *value;
  }
  if (m.minTx > m.maxTx || m.minRx > m.maxRx) return Step::kError;
  active_.modulation = m;
  return Step::kNext;
}

std::string ModemModel::dress(std::string answer) const {
  if (faults_.garble) {
    for (std::size_t i = 0; i < answer.size(); ++i) answer[i] = kNoise[i % kNoise.size()];
  }
  if (faults_.nulBytes) {
    std::string sprinkled;
    for (std::size_t i = 0; i < answer.size(); ++i) {
      sprinkled += answer[i];
      if (i % 2 == 1) sprinkled += '\0';
    }
    answer = std::move(sprinkled);
  }
  return answer;
}

void OutputSchedule::add(std::vector<Output> outputs, Clock::time_point now) {
  for (Output& output : outputs) {
    Clock::time_point due = std::max(lastDue_, now);
    if (output.kind == OutputKind::kAnswer) due += answerDelay_;
    lastDue_ = due;
    items_.push_back(Item{std::move(output.bytes), due});
  }
}

std::string OutputSchedule::takeDue(Clock::time_point now) {
  std::string due;
  while (!items_.empty() && items_.front().due <= now) {
    due += items_.front().bytes;
    items_.pop_front();
  }
  return due;
}

std::optional<OutputSchedule::Clock::time_point> OutputSchedule::nextDue() const {
  if (items_.empty()) return std::nullopt;
  return items_.front().due;
}

}  // namespace lintari::modemsim
