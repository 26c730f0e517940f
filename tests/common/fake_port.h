#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/fake_clock.h"
#include "core/error.h"
#include "link/serial_port.h"

namespace lintari::testing_support {

// A scripted serial port: it records every byte with the fake clock's time,
// can refuse to open, can hold CTS off (each byte then times out after
// 1000 ms), and hands out input that the test feeds it.
class FakePort : public SerialPort {
 public:
  struct Sent {
    char byte;
    Instant at;
  };

  explicit FakePort(FakeClock& clock) : clock_(clock) {}

  [[nodiscard]] bool isOpen() const override { return open_; }
  [[nodiscard]] int portNumber() const override { return number_; }
  void open(int portNumber) override {
    ++openCount;
    if (openError) throw Error(*openError);
    number_ = portNumber;
    open_ = true;
  }
  void close() override { open_ = false; }
  void writeByte(std::uint8_t byte) override {
    if (!open_) throw Error("TVaModem: error writing to comm.");
    if (ctsOff) {
      clock_.advance(std::chrono::milliseconds(1000));
      throw Error("TVaModem: error writing to comm.");
    }
    sent.push_back(Sent{static_cast<char>(byte), clock_.now()});
  }
  PortInput readAvailable() override {
    PortInput in;
    in.bytes.swap(input_);
    if (lostMessage) {
      in.lost = true;
      in.lostMessage = *lostMessage;
      lostMessage.reset();
      open_ = false;
    }
    return in;
  }
  [[nodiscard]] int descriptor() const override { return open_ ? 42 : -1; }

  void feed(const std::string& bytes) { input_ += bytes; }
  [[nodiscard]] std::string sentText() const {
    std::string text;
    for (const Sent& s : sent) text += s.byte;
    return text;
  }

  std::vector<Sent> sent;
  std::optional<std::string> openError;
  std::optional<std::string> lostMessage;
  bool ctsOff = false;
  int openCount = 0;

 private:
  FakeClock& clock_;
  bool open_ = false;
  int number_ = 0;
  std::string input_;
};

}  // namespace lintari::testing_support
