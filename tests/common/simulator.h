#pragma once

// lintari-modemsim as a child process, for the tests that run the link over a
// real pseudo-terminal and for the link benchmark. No test framework here:
// failures come back as results and a message.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace lintari::testing_support {

// A fresh directory under the system's temporary folder, removed with
// everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lintari-link-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// One line of the simulator's byte logs: CLOCK_MONOTONIC microseconds and
// the byte.
struct LoggedByte {
  long long micros;
  char byte;
};

// Reads "<microseconds> <hex>" lines; stops at the first line of another
// shape (a line still being written).
inline std::vector<LoggedByte> readByteLog(const std::filesystem::path& log) {
  std::vector<LoggedByte> entries;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    long long micros = 0;
    unsigned byte = 0;
    if (!(fields >> micros >> std::hex >> byte) || byte > 0xff) break;
    entries.push_back(LoggedByte{micros, static_cast<char>(byte)});
  }
  return entries;
}

inline std::string bytesOf(const std::vector<LoggedByte>& entries) {
  std::string bytes;
  for (const LoggedByte& e : entries) bytes += e.byte;
  return bytes;
}

// The simulator on <dir>/modem, logging what it receives to <dir>/received
// and what it sends to <dir>/sent, ending with the process that started it.
// Started again on the same link path it replaces the stale link, so a
// program that reopens the path finds the new modem.
class ModemSimulator {
 public:
  static constexpr std::chrono::seconds kPatience{10};

  ModemSimulator(std::string program, std::filesystem::path dir, std::vector<std::string> options = {})
      : program_(std::move(program)), dir_(std::move(dir)), options_(std::move(options)) {}
  ~ModemSimulator() { kill(); }
  ModemSimulator(const ModemSimulator&) = delete;
  ModemSimulator& operator=(const ModemSimulator&) = delete;

  [[nodiscard]] std::filesystem::path link() const { return dir_ / "modem"; }
  [[nodiscard]] std::filesystem::path receivedLog() const { return dir_ / "received"; }
  [[nodiscard]] std::filesystem::path sentLog() const { return dir_ / "sent"; }
  [[nodiscard]] const std::string& device() const { return device_; }
  [[nodiscard]] const std::string& failure() const { return failure_; }
  [[nodiscard]] bool running() const { return pid_ > 0; }

  // Starts the simulator and waits until its link names the device it
  // announced. False (with failure()) when it did not come up in time.
  bool start() {
    kill();
    std::vector<std::string> args{
        program_,     "--link",           link().string(),     "--log", receivedLog().string(),
        "--log-sent", sentLog().string(), "--exit-with-parent"};
    args.insert(args.end(), options_.begin(), options_.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return fail("no pipe for the simulator's output");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const int spawned = ::posix_spawn(&pid_, program_.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
      pid_ = -1;
      ::close(out[0]);
      return fail("cannot start " + program_);
    }
    device_ = readLine(out[0], Clock::now() + kPatience);
    ::close(out[0]);
    if (device_.empty()) {
      kill();
      return fail("the simulator announced no device");
    }
    std::error_code error;
    if (std::filesystem::read_symlink(link(), error).string() != device_) {
      kill();
      return fail("the link does not name " + device_);
    }
    return true;
  }

  // SIGTERM, as a user ends it; SIGKILL when it has not ended in time.
  void stop() { end(SIGTERM); }
  // SIGKILL: gone at once, as a modem whose cable is pulled.
  void kill() { end(SIGKILL); }
  bool restart() {
    stop();
    return start();
  }

 private:
  using Clock = std::chrono::steady_clock;

  static int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
  }

  static std::string readLine(int fd, Clock::time_point deadline) {
    std::string text;
    while (text.find('\n') == std::string::npos) {
      pollfd watch{fd, POLLIN, 0};
      if (::poll(&watch, 1, msLeft(deadline)) <= 0) return {};
      char chunk[256];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n <= 0) return {};
      text.append(chunk, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
  }

  void end(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    if (signal != SIGKILL && !exitedWithin(Clock::now() + kPatience)) ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // A process descriptor becomes readable when the process has ended.
  [[nodiscard]] bool exitedWithin(Clock::time_point deadline) const {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    if (fd < 0) return false;
    pollfd watch{fd, POLLIN, 0};
    int ready = 0;
    do {
      ready = ::poll(&watch, 1, msLeft(deadline));
    } while (ready < 0 && errno == EINTR);
    ::close(fd);
    return ready > 0;
  }

  bool fail(std::string message) {
    failure_ = std::move(message);
    return false;
  }

  std::string program_;
  std::filesystem::path dir_;
  std::vector<std::string> options_;
  pid_t pid_ = -1;
  std::string device_;
  std::string failure_;
};

}  // namespace lintari::testing_support
