#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "link/serial_port.h"

namespace lintari {

// COM<n> on a Linux terminal device, with termios and the modem-line ioctls.
// The resolver names the device node of port n; an empty path means that no
// such port exists.
class LinuxSerialPort : public SerialPort {
 public:
  using Resolver = std::function<std::string(int portNumber)>;

  explicit LinuxSerialPort(Resolver resolver);
  ~LinuxSerialPort() override;
  LinuxSerialPort(const LinuxSerialPort&) = delete;
  LinuxSerialPort& operator=(const LinuxSerialPort&) = delete;

  [[nodiscard]] bool isOpen() const override;
  [[nodiscard]] int portNumber() const override;
  // Opening the port that is already open does nothing; opening another
  // number while one is open is refused.
  void open(int portNumber) override;
  void close() override;
  void writeByte(std::uint8_t byte) override;
  PortInput readAvailable() override;
  [[nodiscard]] int descriptor() const override;

 private:
  using Deadline = std::chrono::steady_clock::time_point;

  void configure();
  [[noreturn]] void failOpening(const char* pattern, int error);
  void waitWritable(Deadline deadline);
  void waitUntilSent(Deadline deadline);
  [[noreturn]] void timeOut();
  [[noreturn]] void refuseWrite(int error);
  PortInput lose(PortInput input, const std::string& reason);

  Resolver resolver_;
  int fd_ = -1;
  int number_ = 0;
};

}  // namespace lintari
