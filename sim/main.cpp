// lintari-modemsim: a Brevant modem on a pseudo-terminal, for trying and
// testing Lintari without hardware.

#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/modem_model.h"

namespace {

using lintari::FirmwareRow;
using lintari::modemsim::Faults;
using lintari::modemsim::ModemModel;
using lintari::modemsim::OutputSchedule;
using Clock = OutputSchedule::Clock;

constexpr std::string_view kProgram = "lintari-modemsim";
constexpr std::string_view kDefaultFirmware = "84a";

struct Options {
  std::string link;
  std::string firmware{kDefaultFirmware};
  std::string log;
  std::string logSent;
  int answerDelayMs = 0;
  bool exitWithParent = false;
  Faults faults;
};

enum OptionId {
  kLink = 1000,
  kFirmware,
  kLog,
  kLogSent,
  kNoEcho,
  kAnswerDelay,
  kSilent,
  kGarble,
  kErrorRegister,
  kStream,
  kNulBytes,
  kBanner,
  kExitWithParent,
  kHelp
};

struct OptionRow {
  const char* name;
  const char* argument;  // null: a flag
  OptionId id;
  const char* help;
};

constexpr OptionRow kOptions[] = {
    {"link", "PATH", kLink, "make PATH a symbolic link to the device (an existing link is replaced)"},
    {"firmware", "CODE", kFirmware, "firmware build that ATI3 reports (default 84a)"},
    {"log", "PATH", kLog, "append every received byte as \"<microseconds> <hex>\", CLOCK_MONOTONIC"},
    {"log-sent", "PATH", kLogSent, "append every byte sent, as --log does, timed when the device took it"},
    {"no-echo", nullptr, kNoEcho, "fault: never echo commands, whatever ATE1 says"},
    {"answer-delay", "MS", kAnswerDelay,
     "fault: hold each answer back MS milliseconds (the echo is not held)"},
    {"silent", nullptr, kSilent, "fault: send nothing at all, neither echo nor answers"},
    {"garble", nullptr, kGarble, "fault: replace every answer byte by noise such as \"#%&*\" (echo intact)"},
    {"error-register", "N", kErrorRegister,
     "fault: reading or setting register N answers ERROR (repeatable)"},
    {"stream", nullptr, kStream,
     "fault: after the first command line send noise for ever, a burst every 5 ms"},
    {"nul-bytes", nullptr, kNulBytes, "fault: put a NUL byte after every second byte of each answer"},
    {"banner", "TEXT", kBanner, "fault: ATI3 answers TEXT instead of the build's identification text"},
    {"exit-with-parent", nullptr, kExitWithParent, "end when the process that started the simulator ends"},
    {"help", nullptr, kHelp, "show this help"},
};

static_assert(lintari::modemsim::kStreamInterval == std::chrono::milliseconds(5), "--stream help names it");

std::string firmwareCodes() {
  std::string codes;
  for (const FirmwareRow& row : lintari::firmwareTable()) {
    if (!codes.empty()) codes += ' ';
    codes += row.version;
  }
  return codes;
}

void printHelp() {
  std::printf("Usage: %s [OPTION]...\n", kProgram.data());
  std::printf(
      "A Brevant TRVK1/TRVK2/Kelvane modem on a pseudo-terminal. Prints the device path once it\n"
      "is ready and answers AT commands on it until SIGTERM or SIGINT.\n\nOptions:\n");
  for (const OptionRow& row : kOptions) {
    std::string left = std::string("--") + row.name;
    if (row.argument) left += std::string(" ") + row.argument;
    std::printf("  %-22s %s\n", left.c_str(), row.help);
  }
  std::printf("\nFirmware codes:\n");
  for (const FirmwareRow& row : lintari::firmwareTable()) {
    std::printf("  %-10s %-8s %.*s\n", std::string(row.version).c_str(), std::string(row.series).c_str(),
                static_cast<int>(row.pattern.size()), row.pattern.data());
  }
  std::printf(
      "\nCommands: E0 E1, Sn? Sn=v, &W &W0 &W1, &F, Z Z0 Z1, I0 I3, +MS? +MS=...;\n"
      "several on one line; anything else answers ERROR. Echo starts on (E1).\n");
  std::printf("\nRegisters at power-up (also stored in both profiles):\n");
  for (const lintari::modemsim::RegisterRow& row : lintari::modemsim::factoryRegisters()) {
    std::printf("  S%-4d %3d  %.*s\n", row.number, row.factory, static_cast<int>(row.meaning.size()),
                row.meaning.data());
  }
  const lintari::modemsim::Modulation m;
  std::printf("  +MS: %s,%d,%d,%d,%d,%d\n", m.protocol.c_str(), m.automode, m.minTx, m.maxTx, m.minRx,
              m.maxRx);
}

[[noreturn]] void fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "%s: %s\n", kProgram.data(), message.c_str());
  std::exit(status);
}

[[noreturn]] void failErrno(const std::string& what) { fail(what + ": " + std::strerror(errno)); }

int parseCount(const char* text, const char* option, int limit) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > limit) {
    fail(std::string("--") + option + " wants a number from 0 to " + std::to_string(limit) + ", not '" +
             text + "'",
         2);
  }
  return static_cast<int>(value);
}

Options parseOptions(int argc, char** argv) {
  std::vector<option> table;
  for (const OptionRow& row : kOptions) {
    table.push_back(option{row.name, row.argument ? required_argument : no_argument, nullptr, row.id});
  }
  table.push_back(option{nullptr, 0, nullptr, 0});

  Options options;
  for (;;) {
    const int id = getopt_long(argc, argv, "", table.data(), nullptr);
    if (id == -1) break;
    switch (id) {
      case kLink:
        options.link = optarg;
        break;
      case kFirmware:
        options.firmware = optarg;
        break;
      case kLog:
        options.log = optarg;
        break;
      case kLogSent:
        options.logSent = optarg;
        break;
      case kNoEcho:
        options.faults.noEcho = true;
        break;
      case kAnswerDelay:
        options.answerDelayMs = parseCount(optarg, "answer-delay", 3'600'000);
        break;
      case kSilent:
        options.faults.silent = true;
        break;
      case kGarble:
        options.faults.garble = true;
        break;
      case kErrorRegister:
        options.faults.errorRegisters.insert(parseCount(optarg, "error-register", 255));
        break;
      case kStream:
        options.faults.stream = true;
        break;
      case kNulBytes:
        options.faults.nulBytes = true;
        break;
      case kBanner:
        options.faults.banner = optarg;
        break;
      case kExitWithParent:
        options.exitWithParent = true;
        break;
      case kHelp:
        printHelp();
        std::exit(0);
      default:
        fail("try --help", 2);
    }
  }
  if (optind < argc) fail(std::string("unexpected argument '") + argv[optind] + "'; try --help", 2);
  return options;
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Points `link` at `target` in one step (rename over the old link), so a
// client never finds the path missing; refuses to replace anything but a link.
void makeLink(const std::string& link, const std::string& target) {
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    fail("'" + link + "' exists and is not a symbolic link; not replacing it");
  }
  const std::string temporary = link + ".new" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0) failErrno("cannot create link '" + link + "'");
  if (::rename(temporary.c_str(), link.c_str()) != 0) {
    ::unlink(temporary.c_str());
    failErrno("cannot create link '" + link + "'");
  }
}

// Removes the link only while it still names our device: another simulator
// may have taken the path over meanwhile.
void removeLink(const std::string& link, const std::string& target) {
  char buffer[4096];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (n > 0 && std::string_view(buffer, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

struct Terminal {
  int master = -1;
  int slave = -1;
  int closes = -1;  // inotify: a client closed the device
  std::string device;
};

Terminal openTerminal() {
  Terminal t;
  t.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (t.master < 0) failErrno("cannot open a pseudo-terminal");
  if (::grantpt(t.master) != 0 || ::unlockpt(t.master) != 0) failErrno("cannot unlock the pseudo-terminal");
  const char* name = ::ptsname(t.master);
  if (!name) failErrno("cannot name the pseudo-terminal");
  t.device = name;
  // Holding the device open ourselves keeps the master from hanging up
  // (POLLHUP, EIO) each time the client closes it, and lets it reopen.
  t.slave = ::open(t.device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (t.slave < 0) failErrno("cannot open " + t.device);
  // The line starts raw, so nothing is echoed or translated by the terminal
  // layer before a client sets its own mode.
  termios mode{};
  if (::tcgetattr(t.master, &mode) != 0) failErrno("cannot read the terminal mode");
  ::cfmakeraw(&mode);
  ::cfsetispeed(&mode, B115200);
  ::cfsetospeed(&mode, B115200);
  if (::tcsetattr(t.master, TCSANOW, &mode) != 0) failErrno("cannot set the terminal mode");
  const int flags = ::fcntl(t.master, F_GETFL);
  if (flags < 0 || ::fcntl(t.master, F_SETFL, flags | O_NONBLOCK) != 0)
    failErrno("cannot make the terminal non-blocking");
  // Without the watch (inotify limits reached) the modem still works; only a
  // client that reopens may find the line as the last one left it.
  t.closes = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (t.closes < 0 ||
      ::inotify_add_watch(t.closes, t.device.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    std::fprintf(stderr, "%s: cannot watch %s for closes: %s\n", kProgram.data(), t.device.c_str(),
                 std::strerror(errno));
    if (t.closes >= 0) ::close(t.closes);
    t.closes = -1;
  }
  return t;
}

int openSignals(bool exitWithParent) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) failErrno("cannot block signals");
  const int fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  if (fd < 0) failErrno("cannot watch signals");
  std::signal(SIGPIPE, SIG_IGN);
  if (exitWithParent) {
    const pid_t parent = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) failErrno("cannot follow the parent");
    if (::getppid() != parent) std::exit(0);
  }
  return fd;
}

// -1 for no log.
int openLog(const std::string& path) {
  if (path.empty()) return -1;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) failErrno("cannot open log '" + path + "'");
  return fd;
}

void logBytes(int fd, std::string_view bytes, Clock::time_point at) {
  const long long micros =
      std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count();
  std::string lines;
  for (char c : bytes) {
    char line[48];
    std::snprintf(line, sizeof line, "%lld %02x\n", micros,
                  static_cast<unsigned>(static_cast<unsigned char>(c)));
    lines += line;
  }
  writeAll(fd, lines);
}

// Because we hold the device open, a client's close is never the last one,
// so the terminal would keep what a real port forgets when it is closed: the
// client's exclusive use (TIOCEXCL, which would refuse every later open by
// anyone but root) and the input nobody read. Both go here, with whatever
// the modem still had to say to the client that left.
void forgetClient(const Terminal& t, OutputSchedule& schedule, std::string& unsent) {
  char events[4096];
  while (::read(t.closes, events, sizeof events) > 0) {
  }
  schedule.clear();
  unsent.clear();
  ::tcflush(t.slave, TCIFLUSH);
  ::ioctl(t.slave, TIOCNXCL);
}

int pollTimeout(std::optional<Clock::time_point> due, Clock::time_point now) {
  if (!due) return -1;
  if (*due <= now) return 0;
  // Rounded up, so the wake-up never comes before the output is due.
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
  return static_cast<int>(std::min<long long>(wait, 60'000));
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  const FirmwareRow* firmware = lintari::modemsim::firmwareByCode(options.firmware);
  if (!firmware) fail("unknown firmware code '" + options.firmware + "'; known codes: " + firmwareCodes(), 2);

  const int signals = openSignals(options.exitWithParent);
  const int log = openLog(options.log);
  const int logSent = openLog(options.logSent);
  const Terminal terminal = openTerminal();
  if (!options.link.empty()) makeLink(options.link, terminal.device);
  std::printf("%s\n", terminal.device.c_str());
  std::fflush(stdout);

  ModemModel model(*firmware, options.faults);
  OutputSchedule schedule{std::chrono::milliseconds(options.answerDelayMs)};
  std::string unsent;  // due bytes the terminal could not take yet
  Clock::time_point nextBurst = Clock::now();
  int status = 0;

  for (bool running = true; running;) {
    Clock::time_point now = Clock::now();
    unsent += schedule.takeDue(now);
    if (unsent.empty() && schedule.empty() && model.streaming() && nextBurst <= now) {
      unsent += model.streamBurst();
      nextBurst = now + lintari::modemsim::kStreamInterval;
    }
    if (!unsent.empty()) {
      const ssize_t n = ::write(terminal.master, unsent.data(), unsent.size());
      if (n > 0) {
        const auto taken = static_cast<std::size_t>(n);
        if (logSent >= 0) logBytes(logSent, std::string_view(unsent).substr(0, taken), Clock::now());
        unsent.erase(0, taken);
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        std::perror("lintari-modemsim: write");
        status = 1;
        break;
      }
    }

    std::optional<Clock::time_point> due = schedule.nextDue();
    if (model.streaming() && schedule.empty() && unsent.empty()) due = nextBurst;
    pollfd fds[3] = {{terminal.master, static_cast<short>(POLLIN | (unsent.empty() ? 0 : POLLOUT)), 0},
                     {signals, POLLIN, 0},
                     {terminal.closes, POLLIN, 0}};
    if (::poll(fds, 3, unsent.empty() ? pollTimeout(due, now) : -1) < 0) {
      if (errno == EINTR) continue;
      std::perror("lintari-modemsim: poll");
      status = 1;
      break;
    }
    if (fds[1].revents & POLLIN) {
      signalfd_siginfo info{};
      if (::read(signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) running = false;
    }
    // A close first: whatever a new client has sent meanwhile is read after
    // it, so its answers are not thrown away with the old client's.
    if (fds[2].revents & POLLIN) forgetClient(terminal, schedule, unsent);
    if (fds[0].revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = ::read(terminal.master, buffer, sizeof buffer);
      if (n > 0) {
        const std::string_view received(buffer, static_cast<std::size_t>(n));
        now = Clock::now();
        if (log >= 0) logBytes(log, received, now);
        schedule.add(model.receive(received), now);
      }
    } else if (fds[0].revents & (POLLERR | POLLHUP)) {
      // Cannot happen while we hold the device open; stop rather than spin.
      std::fprintf(stderr, "%s: the pseudo-terminal hung up\n", kProgram.data());
      status = 1;
      break;
    }
  }

  if (!options.link.empty()) removeLink(options.link, terminal.device);
  if (terminal.closes >= 0) ::close(terminal.closes);
  ::close(terminal.slave);
  ::close(terminal.master);
  if (log >= 0) ::close(log);
  if (logSent >= 0) ::close(logSent);
  return status;
}
