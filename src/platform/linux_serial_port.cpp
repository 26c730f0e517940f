#include "platform/linux_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "core/error.h"

// Opening COM<n>: each step of the serial component, the Linux calls that take
// its place, and the message its failure gives (%d is errno, %s its text).
//
// | Step                     | Linux calls                                | Failure message                |
// |--------------------------|--------------------------------------------|--------------------------------|
// | device name "COM%d"      | the resolver's device path; empty path     | Invalid port number (COM%d)    |
// | open for exclusive       | open O_RDWR|O_NOCTTY|O_NONBLOCK|O_CLOEXEC: |                                |
// |   reading and writing    |   ENOENT, ENODEV, ENXIO, ENOTDIR, EIO      | Invalid port number (COM%d)    |
// |                          |   any other (EBUSY, EACCES, EPERM, ...)    | Can't open device COM%d        |
// |                          | flock LOCK_EX|LOCK_NB held elsewhere       | Can't open device COM%d        |
// | "dcb": line settings     | ioctl TIOCEXCL; tcgetattr, cfmakeraw,      | Error writing dcb (%d), %s     |
// |                          |   115200, CS8, no parity, 1 stop bit,      |                                |
// |                          |   CRTSCTS, CLOCAL|CREAD, tcsetattr, read   |                                |
// |                          |   back; DTR on with TIOCMBIS               |                                |
// | "buffers": queue sizes   | tcflush TCIOFLUSH                          | Error initializing buffers     |
// |                          |                                            |   (%d), %s                     |
// | "timeouts": reads return | VMIN=1 VTIME=0 on the non-blocking         | Error setting timeouts         |
// |   at once with what came |   descriptor, tcsetattr                    |   (%d), %s                     |
// | "EventMask": events      | poll of the descriptor                     | " Error setting EventMask      |
// |   watched                |                                            |   (%d), %s" (leading blank)    |
//
// ENXIO and ENODEV come from a node whose driver has no device; EIO from a
// serial node without a UART behind it: for the user, no such port. TIOCEXCL
// fails only on a node that is no terminal (ENOTTY), so it reports with the
// line settings. A DTR refused with ENOTTY or EINVAL (pseudo-terminals have no
// modem lines) is no failure.
//
// VMIN is 1, not 0: with VMIN=0 and VTIME=0 a terminal's read() gives 0 when
// nothing is waiting (the zero time-out wins over O_NONBLOCK), which cannot be
// told from a hang-up; with VMIN=1 on a non-blocking descriptor an empty
// queue gives EAGAIN and 0 means the line hung up.

namespace lintari {
namespace {

constexpr auto kWriteTimeout = std::chrono::milliseconds(1000);
constexpr long kQueuePollNs = 1'000'000;
constexpr const char* kTimedOut = "TVaModem: error writing to comm.";
constexpr const char* kDcb = "Error writing dcb (%d), %s";
constexpr const char* kBuffers = "Error initializing buffers (%d), %s";
constexpr const char* kTimeouts = "Error setting timeouts (%d), %s";
constexpr const char* kEventMask = " Error setting EventMask (%d), %s";
constexpr const char* kHungUp = "hang-up";

constexpr std::array kNoSuchDevice{ENOENT, ENODEV, ENXIO, ENOTDIR, EIO};
constexpr std::array kNoModemLines{ENOTTY, EINVAL};
constexpr std::array kDeviceGone{EIO, ENXIO, ENODEV};

template <std::size_t N>
bool isOneOf(int error, const std::array<int, N>& errors) {
  return std::find(errors.begin(), errors.end(), error) != errors.end();
}

std::string withNumber(const char* pattern, int number) {
  return formatMessage(pattern, {std::to_string(number)});
}

std::string withErrno(const char* pattern, int error) {
  return formatMessage(pattern, {std::to_string(error), std::strerror(error)});
}

void dropNul(std::string& bytes) { std::erase(bytes, '\0'); }

}  // namespace

LinuxSerialPort::LinuxSerialPort(Resolver resolver) : resolver_(std::move(resolver)) {}

LinuxSerialPort::~LinuxSerialPort() { close(); }

bool LinuxSerialPort::isOpen() const { return fd_ >= 0; }

int LinuxSerialPort::portNumber() const { return number_; }

int LinuxSerialPort::descriptor() const { return fd_; }

void LinuxSerialPort::open(int portNumber) {
  if (fd_ >= 0) {
    if (portNumber == number_) return;
    throw Error("Can't perform this operation while port is open");
  }
  number_ = portNumber;
  const std::string path = resolver_(portNumber);
  if (path.empty()) throw Error(withNumber("Invalid port number (COM%d)", portNumber));

  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    throw Error(isOneOf(errno, kNoSuchDevice) ? withNumber("Invalid port number (COM%d)", portNumber)
                                              : withNumber("Can't open device COM%d", portNumber));
  }
  // TIOCEXCL does not stop a process with CAP_SYS_ADMIN, so the lock is what
  // keeps a second copy of the program off the line. Taken before anything
  // touches the line, so a refused open leaves the holder's queues alone.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    throw Error(withNumber("Can't open device COM%d", portNumber));
  }
  fd_ = fd;
  configure();
}

void LinuxSerialPort::configure() {
  if (ioctl(fd_, TIOCEXCL) != 0) failOpening(kDcb, errno);

  termios line{};
  if (tcgetattr(fd_, &line) != 0) failOpening(kDcb, errno);
  cfmakeraw(&line);
  cfsetispeed(&line, B115200);
  cfsetospeed(&line, B115200);
  line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  line.c_cflag |= CS8 | CRTSCTS | CLOCAL | CREAD;
  if (tcsetattr(fd_, TCSANOW, &line) != 0) failOpening(kDcb, errno);
  // tcsetattr succeeds when any part of the settings took; a driver that
  // kept another speed or frame would garble every answer.
  termios applied{};
  if (tcgetattr(fd_, &applied) != 0) failOpening(kDcb, errno);
  if (cfgetospeed(&applied) != B115200 || (applied.c_cflag & (CSIZE | PARENB | CSTOPB)) != CS8) {
    failOpening(kDcb, EINVAL);
  }
  int dtr = TIOCM_DTR;
  if (ioctl(fd_, TIOCMBIS, &dtr) != 0 && !isOneOf(errno, kNoModemLines)) failOpening(kDcb, errno);

  if (tcflush(fd_, TCIOFLUSH) != 0) failOpening(kBuffers, errno);

  if (tcgetattr(fd_, &line) != 0) failOpening(kTimeouts, errno);
  line.c_cc[VMIN] = 1;
  line.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &line) != 0) failOpening(kTimeouts, errno);

  pollfd watch{fd_, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&watch, 1, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) failOpening(kEventMask, errno);
  if ((watch.revents & POLLNVAL) != 0) failOpening(kEventMask, EBADF);
  if ((watch.revents & (POLLHUP | POLLERR)) != 0) failOpening(kEventMask, EIO);
}

void LinuxSerialPort::failOpening(const char* pattern, int error) {
  close();
  throw Error(withErrno(pattern, error));
}

void LinuxSerialPort::close() {
  if (fd_ < 0) return;
  // Bytes held back by CTS would otherwise keep close() waiting for them.
  tcflush(fd_, TCIOFLUSH);
  flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

void LinuxSerialPort::writeByte(std::uint8_t byte) {
  if (fd_ < 0) throw Error(kTimedOut);
  const Deadline deadline = std::chrono::steady_clock::now() + kWriteTimeout;
  for (;;) {
    const ssize_t written = ::write(fd_, &byte, 1);
    if (written == 1) break;
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno != EAGAIN) refuseWrite(errno);
    waitWritable(deadline);
  }
  waitUntilSent(deadline);
}

// The output queue is full: the modem holds CTS off and nothing leaves.
void LinuxSerialPort::waitWritable(Deadline deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) timeOut();
    pollfd watch{fd_, POLLOUT, 0};
    const int ready = poll(&watch, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) refuseWrite(errno);
    if (ready == 0) timeOut();
    if ((watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) refuseWrite(EIO);
    return;
  }
}

// The kernel offers no wait for an empty output queue with a time-out
// (tcdrain waits for ever), so the queue is looked at every millisecond.
void LinuxSerialPort::waitUntilSent(Deadline deadline) {
  for (;;) {
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0) {
      if (isOneOf(errno, kDeviceGone)) refuseWrite(errno);
      return;
    }
    if (queued == 0) return;
    if (std::chrono::steady_clock::now() >= deadline) timeOut();
    const timespec pause{0, kQueuePollNs};
    clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
  }
}

void LinuxSerialPort::timeOut() {
  // The stuck byte must not go out later, in the middle of the next request.
  tcflush(fd_, TCOFLUSH);
  throw Error(kTimedOut);
}

void LinuxSerialPort::refuseWrite(int error) {
  if (isOneOf(error, kDeviceGone)) close();
  throw Error(withErrno("Write error (%d), %s", error));
}

PortInput LinuxSerialPort::readAvailable() {
  PortInput input;
  if (fd_ < 0) return input;
  std::array<char, 4096> chunk{};
  for (;;) {
    const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
    if (got > 0) {
      input.bytes.append(chunk.data(), static_cast<std::size_t>(got));
      continue;
    }
    if (got == 0) return lose(std::move(input), kHungUp);
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return lose(std::move(input), std::strerror(errno));
    break;
  }
  // A descriptor that reports a hang-up only through poll would otherwise
  // wake the event loop again and again.
  pollfd watch{fd_, POLLIN, 0};
  if (poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    return lose(std::move(input), kHungUp);
  }
  // DSR is read when the bytes are collected, not when each arrived: the
  // nearest a terminal device offers.
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) == 0) {
    if ((lines & TIOCM_DSR) == 0) input.bytes.clear();
  } else if (isOneOf(errno, kDeviceGone)) {
    return lose(std::move(input), std::strerror(errno));
  }
  dropNul(input.bytes);
  return input;
}

// What arrived before the hang-up is still handed over: DSR can no longer be
// read, and an answer that did arrive is worth more than a guess.
PortInput LinuxSerialPort::lose(PortInput input, const std::string& reason) {
  close();
  dropNul(input.bytes);
  input.lost = true;
  input.lostMessage =
      formatMessage("The modem on COM%d is no longer connected (%s)", {std::to_string(number_), reason});
  return input;
}

}  // namespace lintari
