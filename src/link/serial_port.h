#pragma once

#include <cstdint>
#include <string>

namespace lintari {

// What the port received since it was last asked.
struct PortInput {
  // Received bytes in arrival order, NUL bytes and bytes that arrived while
  // DSR was off already dropped.
  std::string bytes;
  // The device went away (hang-up, EIO): the port has closed itself and
  // `lostMessage` says so for the error box.
  bool lost = false;
  std::string lostMessage;
};

// The serial line the command channel drives: COM<n>, 115200 bit/s, 8N1,
// RTS/CTS, DTR on while open.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  [[nodiscard]] virtual bool isOpen() const = 0;
  [[nodiscard]] virtual int portNumber() const = 0;
  // Opens COM<n> exclusively. Throws Error "Invalid port number (COM<n>)",
  // "Can't open device COM<n>" or one of the "Error writing dcb (...)" family
  // (the device closed again); the port then stays closed.
  virtual void open(int portNumber) = 0;
  // Discards what is still queued and closes; a close never waits on a
  // stalled line.
  virtual void close() = 0;
  // Hands one byte to the line and waits until it has left, at most 1000 ms
  // (CTS held off keeps it back). Throws Error "TVaModem: error writing to
  // comm." when it did not leave in time, "Write error (<code>), <text>" when
  // the system refused it.
  virtual void writeByte(std::uint8_t byte) = 0;
  // Never blocks.
  virtual PortInput readAvailable() = 0;
  // The descriptor that becomes readable when input (or a hang-up) is
  // waiting; -1 while closed.
  [[nodiscard]] virtual int descriptor() const = 0;
};

}  // namespace lintari
