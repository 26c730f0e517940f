// The simulator program itself, on a real pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(10);

int msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<long long>(left, 0));
}

// Reads from `fd` until `done` says the text is complete or the deadline passes.
template <class Done>
std::string readUntil(int fd, Done done, Clock::time_point deadline) {
  std::string text;
  while (!done(text)) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, msLeft(deadline));
    if (ready <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "modemsim-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  [[nodiscard]] fs::path operator/(const char* name) const { return path_ / name; }

 private:
  fs::path path_;
};

// lintari-modemsim running with the given options; its standard output and
// error come back through pipes.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    options.insert(options.begin(), LINTARI_MODEMSIM);
    options.push_back("--exit-with-parent");
    std::vector<char*> argv;
    for (std::string& o : options) argv.push_back(o.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, LINTARI_MODEMSIM, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Simulator() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
    ::close(err_);
  }

  // The device path the simulator announces once it is ready.
  std::string device() {
    std::string line = readUntil(
        out_, [](const std::string& t) { return t.find('\n') != std::string::npos; },
        Clock::now() + kPatience);
    return line.substr(0, line.find('\n'));
  }
  std::string errors() {
    return readUntil(
        err_, [](const std::string&) { return false; }, Clock::now() + kPatience);
  }
  // Sends `signal` and waits for the exit; the exit status, or -1.
  int stop(int signal) {
    ::kill(pid_, signal);
    return waitForExit();
  }
  int waitForExit() {
    int status = 0;
    const pid_t waited = ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return (waited > 0 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

// A client end of the line, opened as the program opens its port.
class Line {
 public:
  explicit Line(const fs::path& device) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios mode{};
    ::tcgetattr(fd_, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(fd_, TCSANOW, &mode);
  }
  ~Line() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
  [[nodiscard]] int fd() const { return fd_; }
  void send(std::string_view text) {
    ASSERT_EQ(::write(fd_, text.data(), text.size()), ssize_t(text.size()));
  }
  // Everything received until it ends with `ending` (or the patience runs out).
  std::string receiveThrough(const std::string& ending) {
    return readUntil(
        fd_, [&](const std::string& t) { return t.ends_with(ending); }, Clock::now() + kPatience);
  }

 private:
  int fd_ = -1;
};

long long monotonicMicros() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1'000'000LL + now.tv_nsec / 1000;
}

// The bytes of a log of "<microseconds> <hex>" lines, checking that every
// entry has that shape and that the times run forward from `notBefore` and
// lie in the past.
std::string loggedBytes(const fs::path& log, long long notBefore) {
  std::ifstream in(log);
  const std::regex shape(R"((\d+) ([0-9a-f]{2}))");
  std::string logged;
  long long previous = notBefore;
  for (std::string entry; std::getline(in, entry);) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(entry, m, shape)) << entry;
    if (m.empty()) break;
    const long long at = std::stoll(m[1]);
    EXPECT_GE(at, previous);
    EXPECT_LE(at, monotonicMicros());
    previous = at;
    logged += static_cast<char>(std::stoi(m[2], nullptr, 16));
  }
  return logged;
}

long long lastLoggedAt(const fs::path& log) {
  std::ifstream in(log);
  long long at = -1;
  for (std::string entry; std::getline(in, entry);) at = std::stoll(entry);
  return at;
}

TEST(ModemsimProgram, AnswersOnItsLinkAndLogsWhatItReceived) {
  TempDir dir;
  const fs::path link = dir / "modem";
  const fs::path log = dir / "received.log";
  Simulator sim({"--link", link.string(), "--log", log.string()});
  const std::string device = sim.device();
  ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
  EXPECT_EQ(fs::read_symlink(link).string(), device);

  const long long before = monotonicMicros();
  const std::string sent = "ATE1\rATS11?\r";
  {
    Line line(link);
    ASSERT_TRUE(line.isOpen());
    line.send(sent);
    EXPECT_EQ(line.receiveThrough("095\r\n\r\nOK\r\n"), "ATE1\r\r\nOK\r\nATS11?\r\r\n095\r\n\r\nOK\r\n");
  }

  EXPECT_EQ(loggedBytes(log, before), sent);
}

// What the simulator sends is logged as what it receives, so a benchmark can
// tell when the final result of an answer left.
TEST(ModemsimProgram, LogsWhatItSends) {
  TempDir dir;
  const fs::path link = dir / "modem";
  const fs::path received = dir / "received.log";
  const fs::path sent = dir / "sent.log";
  Simulator sim({"--link", link.string(), "--log", received.string(), "--log-sent", sent.string()});
  ASSERT_FALSE(sim.device().empty());

  const long long before = monotonicMicros();
  std::string answer;
  {
    Line line(link);
    ASSERT_TRUE(line.isOpen());
    line.send("ATE1\rATS11?\r");
    answer = line.receiveThrough("095\r\n\r\nOK\r\n");
  }
  EXPECT_EQ(answer, "ATE1\r\r\nOK\r\nATS11?\r\r\n095\r\n\r\nOK\r\n");
  // The entry is written just after the device took the bytes, so it may
  // trail the client's read by a moment.
  const auto deadline = Clock::now() + kPatience;
  std::string logged = loggedBytes(sent, before);
  while (Clock::now() < deadline && logged.size() < answer.size()) {
    ::poll(nullptr, 0, 5);
    logged = loggedBytes(sent, before);
  }
  EXPECT_EQ(logged, answer);
  // An answer leaves after the line that asked for it has come in.
  EXPECT_GE(lastLoggedAt(sent), lastLoggedAt(received));
}

// The program closes its port and opens it again between sessions; the
// simulator must still be there.
TEST(ModemsimProgram, ServesAClientThatReopens) {
  TempDir dir;
  const fs::path link = dir / "modem";
  Simulator sim({"--link", link.string(), "--firmware", "KQ2"});
  ASSERT_FALSE(sim.device().empty());
  {
    Line first(link);
    first.send("AT\r");
    EXPECT_EQ(first.receiveThrough("OK\r\n"), "AT\r\r\nOK\r\n");
  }
  Line second(link);
  ASSERT_TRUE(second.isOpen());
  second.send("ATI3\r");
  const std::string answer = second.receiveThrough("OK\r\n");
  EXPECT_NE(answer.find("Kelvane@56 k Field Edition KQ2 --V92_K38_RMB"), std::string::npos) << answer;
}

TEST(ModemsimProgram, TerminationRemovesTheLink) {
  TempDir dir;
  const fs::path link = dir / "modem";
  Simulator sim({"--link", link.string()});
  ASSERT_FALSE(sim.device().empty());
  EXPECT_EQ(sim.stop(SIGTERM), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(ModemsimProgram, ReplacesAStaleLink) {
  TempDir dir;
  const fs::path link = dir / "modem";
  fs::create_symlink("/dev/pts/does-not-exist", link);
  Simulator sim({"--link", link.string()});
  const std::string device = sim.device();
  ASSERT_FALSE(device.empty());
  EXPECT_EQ(fs::read_symlink(link).string(), device);
}

TEST(ModemsimProgram, RefusesToReplaceAFile) {
  TempDir dir;
  const fs::path file = dir / "modem";
  std::ofstream(file) << "keep me";
  Simulator sim({"--link", file.string()});
  EXPECT_EQ(sim.waitForExit(), 1);
  EXPECT_NE(sim.errors().find("not a symbolic link"), std::string::npos);
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
}

TEST(ModemsimProgram, UnknownFirmwareListsTheCodes) {
  Simulator sim({"--firmware", "90x"});
  EXPECT_EQ(sim.waitForExit(), 2);
  const std::string errors = sim.errors();
  EXPECT_NE(errors.find("'90x'"), std::string::npos) << errors;
  EXPECT_NE(errors.find("71nm 72nm 73nm ufn 71m 4100 kq1 DE.beta62 84a 85a 86a 87 88 89a KQ2 FE.beta62"),
            std::string::npos)
      << errors;
}

// The simulator holds the device open, so a client's close is never the
// last one; it must still forget what a real port forgets on close: the
// exclusive use (else every later open by a non-root user fails with EBUSY)
// and the answers nobody read.
TEST(ModemsimProgram, ClientCloseReleasesExclusiveUseAndUnreadAnswers) {
  TempDir dir;
  const fs::path link = dir / "modem";
  Simulator sim({"--link", link.string(), "--answer-delay", "200"});
  ASSERT_FALSE(sim.device().empty());
  {
    Line first(link);
    ASSERT_EQ(::ioctl(first.fd(), TIOCEXCL), 0);
    first.send("ATI3\r");
    EXPECT_EQ(first.receiveThrough("ATI3\r"), "ATI3\r");
  }
  Line second(link);
  ASSERT_TRUE(second.isOpen());
  const auto deadline = Clock::now() + kPatience;
  int exclusive = 1;
  while (Clock::now() < deadline && ::ioctl(second.fd(), TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
    ::poll(nullptr, 0, 5);
  }
  EXPECT_EQ(exclusive, 0);
  second.send("AT\r");
  EXPECT_EQ(second.receiveThrough("OK\r\n"), "AT\r\r\nOK\r\n");
}

// A lower bound only: the answer can come late on a busy machine, never early.
TEST(ModemsimProgram, AnswerDelayHoldsTheAnswerBack) {
  TempDir dir;
  const fs::path link = dir / "modem";
  Simulator sim({"--link", link.string(), "--answer-delay", "300"});
  ASSERT_FALSE(sim.device().empty());
  Line line(link);
  const auto start = Clock::now();
  line.send("AT\r");
  EXPECT_EQ(line.receiveThrough("AT\r"), "AT\r");
  EXPECT_EQ(line.receiveThrough("OK\r\n"), "\r\nOK\r\n");
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
}

}  // namespace
