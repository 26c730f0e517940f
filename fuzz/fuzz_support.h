#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// What every fuzz target shares: the entry point libFuzzer and the corpus
// replay both call, a way to report a broken property as a crash (so the
// fuzzer keeps the input), and the reading of the control bytes that head an
// input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace lintari::fuzzing {

[[noreturn]] inline void fail(std::string_view what, std::string_view detail = {}) {
  std::fprintf(stderr, "broken property: %.*s\n", static_cast<int>(what.size()), what.data());
  if (!detail.empty()) std::fprintf(stderr, "detail: %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void check(bool holds, std::string_view what, std::string_view detail = {}) {
  if (!holds) fail(what, detail);
}

// The input as control bytes followed by payload. A control byte that the
// input is too short for reads 0, so every input is valid.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  [[nodiscard]] std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// Cuts a byte stream into pieces of varying size, the way a serial port
// hands over whatever has arrived, and draws the other choices a target
// makes along the way. The choices follow from one seed byte of the input,
// so a corpus file replays the same way every time.
class Pieces {
 public:
  Pieces(std::string_view stream, std::uint8_t seed) : stream_(stream), state_(0x9E3779B9u ^ seed) {}

  // The next piece, one to sixteen bytes, sometimes everything that is left;
  // false once the stream is used up.
  bool next(std::string_view& piece) {
    if (stream_.empty()) return false;
    const std::size_t size = below(8) == 0 ? stream_.size() : 1 + below(16);
    piece = stream_.substr(0, size);
    stream_.remove_prefix(piece.size());
    return true;
  }
  bool coin() { return (draw() & 1u) != 0; }
  std::uint32_t below(std::uint32_t n) { return draw() % n; }

 private:
  std::uint32_t draw() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ >> 8;
  }

  std::string_view stream_;
  std::uint32_t state_;
};

}  // namespace lintari::fuzzing
