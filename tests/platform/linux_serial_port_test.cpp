#include "platform/linux_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <string>

#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

using namespace std::chrono_literals;
using Deadline = std::chrono::steady_clock::time_point;

constexpr int kPort = 3;

Deadline after(std::chrono::milliseconds span) { return std::chrono::steady_clock::now() + span; }

int msLeft(Deadline deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool readable(int fd, Deadline deadline) {
  pollfd watch{fd, POLLIN, 0};
  return poll(&watch, 1, msLeft(deadline)) > 0;
}

std::size_t openDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

// The modem's end of a pseudo-terminal; the port opens the other end by path.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) ADD_FAILURE() << "no pty";
    std::array<char, 128> name{};
    if (ptsname_r(master_, name.data(), name.size()) != 0) ADD_FAILURE() << "no pty name";
    path_ = name.data();
  }
  ~Pty() { hangUp(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }

  void send(const std::string& bytes) const {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  std::string receive(std::size_t count) const {
    std::string got;
    const Deadline deadline = after(2000ms);
    while (got.size() < count && readable(master_, deadline)) {
      std::array<char, 256> chunk{};
      const ssize_t n = read(master_, chunk.data(), chunk.size());
      if (n <= 0) break;
      got.append(chunk.data(), static_cast<std::size_t>(n));
    }
    return got;
  }

  void hangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string path_;
};

// Collects what the port delivers until `count` bytes have come or two
// seconds have passed.
std::string collect(LinuxSerialPort& port, std::size_t count) {
  std::string got;
  const Deadline deadline = after(2000ms);
  while (got.size() < count && port.isOpen() && readable(port.descriptor(), deadline)) {
    const PortInput input = port.readAvailable();
    EXPECT_FALSE(input.lost) << input.lostMessage;
    got += input.bytes;
  }
  return got;
}

class LinuxSerialPortTest : public ::testing::Test {
 protected:
  LinuxSerialPort makePort() {
    return LinuxSerialPort([this](int number) { return number == kPort ? devicePath : std::string(); });
  }

  Pty pty;
  std::string devicePath = pty.path();
};

TEST_F(LinuxSerialPortTest, SendsEveryByteInOrder) {
  LinuxSerialPort port = makePort();
  port.open(kPort);
  ASSERT_TRUE(port.isOpen());
  EXPECT_EQ(port.portNumber(), kPort);
  EXPECT_GE(port.descriptor(), 0);

  const std::string command = "ATS11?\r";
  for (const char c : command) port.writeByte(static_cast<std::uint8_t>(c));
  EXPECT_EQ(pty.receive(command.size()), command);
}

TEST_F(LinuxSerialPortTest, DeliversPiecesInArrivalOrderWithoutNulBytes) {
  LinuxSerialPort port = makePort();
  port.open(kPort);

  pty.send("ATS11?\r\r\n0");
  EXPECT_EQ(collect(port, 10), "ATS11?\r\r\n0");
  pty.send(std::string("9\0005\r\n", 5));
  pty.send(std::string("\0\r\nOK\r\n\0", 8));
  EXPECT_EQ(collect(port, 10), "95\r\n\r\nOK\r\n");
  // Nothing waiting is not a hang-up.
  const PortInput idle = port.readAvailable();
  EXPECT_EQ(idle.bytes, "");
  EXPECT_FALSE(idle.lost);
  EXPECT_TRUE(port.isOpen());
}

TEST_F(LinuxSerialPortTest, OpeningThePortThatIsOpenKeepsItAndAnotherNumberIsRefused) {
  LinuxSerialPort port = makePort();
  port.open(kPort);
  const int fd = port.descriptor();
  port.open(kPort);
  EXPECT_EQ(port.descriptor(), fd);
  try {
    port.open(kPort + 1);
    ADD_FAILURE() << "opened a second number";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Can't perform this operation while port is open");
  }
  EXPECT_EQ(port.portNumber(), kPort);
  EXPECT_EQ(port.descriptor(), fd);
}

TEST_F(LinuxSerialPortTest, APortInUseCannotBeOpenedUntilItIsClosed) {
  LinuxSerialPort first = makePort();
  LinuxSerialPort second = makePort();
  first.open(kPort);
  try {
    second.open(kPort);
    ADD_FAILURE() << "opened a port in use";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Can't open device COM3");
  }
  EXPECT_FALSE(second.isOpen());
  // The refused open must leave the holder's line working.
  pty.send("OK");
  EXPECT_EQ(collect(first, 2), "OK");

  first.close();
  EXPECT_FALSE(first.isOpen());
  EXPECT_EQ(first.descriptor(), -1);
  second.open(kPort);
  EXPECT_TRUE(second.isOpen());
}

struct OpenFailure {
  std::string name;
  std::string path;  // "@file" and "@dir" stand for a regular file and a directory
  std::string messageStart;
};

class LinuxSerialPortOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(LinuxSerialPortOpenFailure, ReportsAndLeavesThePortClosed) {
  const OpenFailure& row = GetParam();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("lintari-port-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string path = row.path;
  if (path == "@file") {
    path = (dir / "not-a-terminal").string();
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
  } else if (path == "@dir") {
    path = dir.string();
  }

  LinuxSerialPort port([&path](int) { return path; });
  const std::size_t before = openDescriptors();
  try {
    port.open(7);
    ADD_FAILURE() << "opened " << path;
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, row.messageStart.size()), row.messageStart) << e.what();
  }
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.descriptor(), -1);
  EXPECT_EQ(openDescriptors(), before);
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinuxSerialPortOpenFailure,
    ::testing::Values(OpenFailure{"NoPathForTheNumber", "", "Invalid port number (COM7)"},
                      OpenFailure{"MissingDevice", "/dev/lintari-no-such-port", "Invalid port number (COM7)"},
                      OpenFailure{"RegularFile", "@file", "Error writing dcb (25), "},
                      OpenFailure{"Directory", "@dir", "Can't open device COM7"}),
    testing_support::RowName());

TEST_F(LinuxSerialPortTest, AByteTheLineDoesNotTakeTimesOut) {
  LinuxSerialPort port = makePort();
  port.open(kPort);
  // Output stopped on the terminal is what a modem holding CTS off does to
  // the line: the driver takes no more bytes.
  ASSERT_EQ(tcflow(port.descriptor(), TCOOFF), 0);
  const auto start = std::chrono::steady_clock::now();
  try {
    port.writeByte('A');
    ADD_FAILURE() << "a byte left a stopped line";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TVaModem: error writing to comm.");
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);
  EXPECT_TRUE(port.isOpen());

  ASSERT_EQ(tcflow(port.descriptor(), TCOON), 0);
  port.writeByte('B');
  EXPECT_EQ(pty.receive(1), "B");
}

TEST_F(LinuxSerialPortTest, AVanishedDeviceIsReportedOnceAndClosed) {
  LinuxSerialPort port = makePort();
  port.open(kPort);
  const int fd = port.descriptor();
  pty.hangUp();

  ASSERT_TRUE(readable(fd, after(2000ms)));
  const PortInput lost = port.readAvailable();
  EXPECT_TRUE(lost.lost);
  EXPECT_EQ(lost.lostMessage, "The modem on COM3 is no longer connected (hang-up)");
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.descriptor(), -1);
  const PortInput later = port.readAvailable();
  EXPECT_FALSE(later.lost);
  EXPECT_EQ(later.bytes, "");

  Pty replugged;
  devicePath = replugged.path();
  port.open(kPort);
  port.writeByte('A');
  EXPECT_EQ(replugged.receive(1), "A");
  replugged.send("OK");
  EXPECT_EQ(collect(port, 2), "OK");
}

TEST_F(LinuxSerialPortTest, WritingToAVanishedDeviceClosesThePort) {
  LinuxSerialPort port = makePort();
  port.open(kPort);
  pty.hangUp();
  try {
    port.writeByte('A');
    ADD_FAILURE() << "wrote to a device that is gone";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, 17), "Write error (5), ") << e.what();
  }
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.descriptor(), -1);
  EXPECT_THROW(port.writeByte('A'), Error);
}

}  // namespace
}  // namespace lintari
