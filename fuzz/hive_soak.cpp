// The soaks of the hive file's commit, run by scripts/soak-hive-crash and
// scripts/soak-hive-two-writers. One program plays every part:
//
//   hive_soak write <hive> <writer> <first> [<count>] [--signal-fd N]
//             [--die-at-commit C --die-at-step S]
//       A writer, as the program writes: open the key, write one value, one
//       commit per write. Write number k (from <first> on, <count> of them,
//       without end when absent) sets value (k-1) mod 6 of the writer to a
//       text naming k. With --signal-fd it writes one byte to that
//       descriptor as each commit has taken the lock; with --die-at-commit it
//       kills itself with SIGKILL at that step (0 Locked, 1 TempWritten,
//       2 TempSynced, 3 Renamed, 4 FolderSynced) of its C-th commit.
//   hive_soak crash <hive> [--rounds N] [--seed S]
//       N rounds of a writer killed with SIGKILL at a random moment of a
//       commit: half the rounds from outside, at a random time after a commit
//       began, half from inside at a chosen step. After each round the file
//       must be exactly the hive of some number of completed writes, no fewer
//       than before the round.
//   hive_soak two-writers <hive> [--writes N]
//       Two writers at once, N writes each, while this process reads the
//       file over and over; every read must be a consistent hive, and in the
//       end every value of both writers must be the last one it wrote.
//
// A state is checked byte for byte: the expected file is the seed hive with
// the last write of each value applied, rewritten; so every other key, value
// type and comment of the seed must survive every commit too.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/hive_text.h"
#include "core/registry.h"
#include "platform/hive_file_registry.h"

namespace {

using lintari::Hive;
using lintari::HiveFileRegistry;
using Step = HiveFileRegistry::CommitStep;
using SteadyClock = std::chrono::steady_clock;

constexpr std::string_view kSoakKey = "\\SOFTWARE\\LNTR\\Soak";
constexpr int kValues = 6;
constexpr int kWriters = 2;

// Quotes, backslashes, a line break and what would start a comment or a key
// line: a value whose escaping fails breaks the file at once.
constexpr std::string_view kTail = "| \"quoted\" back\\slash ;[HKEY_LOCAL_MACHINE\\forged]\r\n\"x\"=\"y\" Ж";

// Everything outside the soak key: it must come through every commit as it is.
constexpr std::string_view kSeed =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; Settings of the program\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n"
    "\"path\"=\"\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Class\\\\{4D36E96D-E325-11CE-BFC1-"
    "08002BE10318}\\\\0000\"\n"
    "\"port\"=\"1\"\n"
    "\"modem\"=\"TRVK2\"\n"
    "\"version\"=\"84a\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}"
    "\\0000]\n"
    "\"Model\"=\"Brevant TRVK2 56k\"\n"
    "\"UserInit\"=\"S7=60\"\n"
    "; a driver's binary settings\n"
    "\"Flags\"=dword:00000010\n"
    "\"Properties\"=hex:80,01,00,00,ff,00,00,00,\\\n"
    "  00,00,00,00,0a,00,00,00\n"
    "\"Название\"=\"Модем Brevant\"\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\n"
    "@=\"kept, never served\"\n";

std::string valueName(int writer, int index) {
  return "writer" + std::to_string(writer) + ".value" + std::to_string(index);
}

std::string valueText(int writer, int index, long write) {
  return "writer " + std::to_string(writer) + " value " + std::to_string(index) + " write " +
         std::to_string(write) + " " + std::string(kTail);
}

// The number of the write a value's text names; nullopt for a text no write
// of this writer and value can have given.
std::optional<long> writeOf(std::string_view text, int writer, int index) {
  const std::string head = "writer " + std::to_string(writer) + " value " + std::to_string(index) + " write ";
  if (!text.starts_with(head)) return std::nullopt;
  text.remove_prefix(head.size());
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos || blank == 0) return std::nullopt;
  long write = 0;
  for (char c : text.substr(0, blank)) {
    if (c < '0' || c > '9' || write > 1'000'000'000L) return std::nullopt;
    write = write * 10 + (c - '0');
  }
  if (text.substr(blank + 1) != kTail) return std::nullopt;
  return write;
}

// The value a write number k sets, counting from 1.
int indexOf(long write) { return static_cast<int>((write - 1) % kValues); }

// The last write at or before `done` that set value `index`; 0 for none.
long lastWriteOf(long done, int index) {
  if (done < index + 1) return 0;
  return done - ((done - 1 - index) % kValues);
}

// The hive after writer w has completed done[w] writes.
std::string expectedFile(const std::array<long, kWriters>& done) {
  Hive hive = Hive::parse(kSeed);
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) hive.setString(kSoakKey, valueName(w + 1, i), valueText(w + 1, i, 0));
  }
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) {
      hive.setString(kSoakKey, valueName(w + 1, i),
                     valueText(w + 1, i, lastWriteOf(done[static_cast<std::size_t>(w)], i)));
    }
  }
  return hive.serialize();
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What a read of the hive found: the writes completed by each writer, or
// why the file is not the hive of any such state.
struct Reading {
  std::array<long, kWriters> done{};
  std::string fault;
};

Reading readState(const std::string& path) {
  Reading r;
  const std::optional<std::string> bytes = readFile(path);
  if (!bytes) {
    r.fault = "the hive file cannot be opened";
    return r;
  }
  Hive hive;
  try {
    hive = Hive::parse(*bytes);
  } catch (const lintari::Error& e) {
    r.fault = std::string("the hive file does not parse: ") + e.what();
    return r;
  }
  for (int w = 0; w < kWriters; ++w) {
    long latest = 0;
    for (int i = 0; i < kValues; ++i) {
      std::optional<std::string> text;
      try {
        text = hive.readString(kSoakKey, valueName(w + 1, i));
      } catch (const lintari::Error& e) {
        r.fault = e.what();
        return r;
      }
      const std::optional<long> write = text ? writeOf(*text, w + 1, i) : std::nullopt;
      if (!write) {
        r.fault =
            "value " + valueName(w + 1, i) + " is neither an old nor a new one: " + text.value_or("(absent)");
        return r;
      }
      latest = std::max(latest, *write);
    }
    r.done[static_cast<std::size_t>(w)] = latest;
  }
  if (*bytes != expectedFile(r.done)) {
    r.fault = "the file is not the hive of the writes it shows (a write was lost or other content changed)";
  }
  return r;
}

void writeSeed(const std::string& path) {
  for (const std::string& leftover : {path, path + ".tmp", path + ".lock"}) ::unlink(leftover.c_str());
  std::ofstream out(path, std::ios::binary);
  out << expectedFile({0, 0});
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(2);
  }
}

struct Args {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, long>> options;

  [[nodiscard]] long option(std::string_view name, long fallback) const {
    for (const auto& [n, v] : options) {
      if (n == name) return v;
    }
    return fallback;
  }
};

Args parseArgs(int argc, char** argv, int from) {
  Args args;
  for (int i = from; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.starts_with("--") && i + 1 < argc) {
      args.options.emplace_back(a.substr(2), std::strtol(argv[++i], nullptr, 10));
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

int runWriter(const Args& args) {
  if (args.positional.size() < 3) {
    std::fprintf(stderr, "usage: hive_soak write <hive> <writer> <first> [<count>] [options]\n");
    return 2;
  }
  HiveFileRegistry registry(args.positional[0]);
  const int writer = std::atoi(args.positional[1].c_str());
  const long first = std::atol(args.positional[2].c_str());
  const long count = args.positional.size() > 3 ? std::atol(args.positional[3].c_str()) : -1;
  const int signalFd = static_cast<int>(args.option("signal-fd", -1));
  const long dieAtCommit = args.option("die-at-commit", 0);
  const auto dieAtStep = static_cast<Step>(args.option("die-at-step", 0));
  long commits = 0;
  registry.setCommitHook([&](Step step) {
    if (step == Step::Locked) {
      ++commits;
      if (signalFd >= 0 && ::write(signalFd, "c", 1) != 1) std::_Exit(4);
    }
    if (commits == dieAtCommit && step == dieAtStep) ::raise(SIGKILL);
  });
  try {
    for (long k = first; count < 0 || k < first + count; ++k) {
      const auto key = registry.openOrCreate(kSoakKey, lintari::kKeyAllAccess);
      if (!key) {
        std::fprintf(stderr, "writer %d: the soak key cannot be opened\n", writer);
        return 3;
      }
      key->writeString(valueName(writer, indexOf(k)), valueText(writer, indexOf(k), k));
    }
  } catch (const lintari::Error& e) {
    std::fprintf(stderr, "writer %d: %s\n", writer, e.what());
    return 3;
  }
  return 0;
}

pid_t spawnWriter(const std::vector<std::string>& args, int keepFd) {
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (pid == 0) {
    std::vector<char*> argv;
    std::string self = "/proc/self/exe";
    argv.push_back(self.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
    ::execv("/proc/self/exe", argv.data());
    std::_Exit(127);
  }
  return pid;
}

// "exit 0", "killed by signal 9", ...
std::string howEnded(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

double secondsSince(SteadyClock::time_point start) {
  return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

int runCrash(const Args& args) {
  if (args.positional.empty()) {
    std::fprintf(stderr, "usage: hive_soak crash <hive> [--rounds N] [--seed S]\n");
    return 2;
  }
  const std::string hive = args.positional[0];
  const long rounds = args.option("rounds", 1000);
  std::mt19937 random(static_cast<unsigned>(args.option("seed", static_cast<long>(std::random_device{}()))));
  const auto started = SteadyClock::now();
  writeSeed(hive);

  // How long one commit takes here, from one taking of the lock to the
  // next: the outside kills aim within one.
  constexpr long kCalibration = 30;
  int status = 0;
  double commitSeconds = 0;
  {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
      std::perror("pipe");
      return 2;
    }
    const pid_t pid = spawnWriter(
        {"write", hive, "1", "1", std::to_string(kCalibration), "--signal-fd", std::to_string(pipeFds[1])},
        pipeFds[1]);
    ::close(pipeFds[1]);
    std::optional<SteadyClock::time_point> first;
    char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1) {
      if (!first) first = SteadyClock::now();
    }
    ::close(pipeFds[0]);
    ::waitpid(pid, &status, 0);
    if (first) commitSeconds = secondsSince(*first) / (kCalibration - 1);
  }
  long done = kCalibration;
  double cycleSeconds = commitSeconds;
  if (Reading r = readState(hive);
      !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !r.fault.empty() || r.done[0] != done) {
    std::fprintf(stderr, "calibration failed (%s): %s\n", howEnded(status).c_str(), r.fault.c_str());
    return 1;
  }

  constexpr std::array<const char*, 5> kStepNames{"Locked", "TempWritten", "TempSynced", "Renamed",
                                                  "FolderSynced"};
  long consistent = 0;
  long outside = 0;
  long outsideOld = 0;
  long outsideNew = 0;
  long outsideLater = 0;
  std::array<long, 5> atStep{};
  long tempLeft = 0;
  for (long round = 1; round <= rounds; ++round) {
    const long commit = 1 + static_cast<long>(random() % 4);
    const bool fromOutside = random() % 2 == 0;
    const long before = done;
    // Bounded, so that a writer the kill misses ends by itself and the
    // round reports it instead of waiting for ever.
    std::vector<std::string> writer{"write", hive, "1", std::to_string(done + 1), "200"};
    int step = 0;
    pid_t pid = 0;
    if (fromOutside) {
      ++outside;
      int pipeFds[2];
      if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::perror("pipe");
        return 2;
      }
      writer.insert(writer.end(), {"--signal-fd", std::to_string(pipeFds[1])});
      pid = spawnWriter(writer, pipeFds[1]);
      ::close(pipeFds[1]);
      char byte = 0;
      std::optional<SteadyClock::time_point> previous;
      for (long seen = 0; seen < commit;) {
        const ssize_t n = ::read(pipeFds[0], &byte, 1);
        if (n == 1) {
          // The disk's pace drifts: the aim follows the commits just seen.
          const auto now = SteadyClock::now();
          if (previous)
            cycleSeconds = 0.9 * cycleSeconds + 0.1 * std::chrono::duration<double>(now - *previous).count();
          previous = now;
          ++seen;
        }
        if (n == 0 || (n < 0 && errno != EINTR)) break;
      }
      const auto delay =
          std::chrono::duration<double>(std::uniform_real_distribution<double>(0, 1)(random) * cycleSeconds);
      std::this_thread::sleep_for(delay);
      ::kill(pid, SIGKILL);
      ::close(pipeFds[0]);
    } else {
      step = static_cast<int>(random() % kStepNames.size());
      writer.insert(writer.end(),
                    {"--die-at-commit", std::to_string(commit), "--die-at-step", std::to_string(step)});
      pid = spawnWriter(writer, -1);
    }
    ::waitpid(pid, &status, 0);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    const Reading r = readState(hive);
    std::string fault = r.fault;
    if (!killed) fault = "the writer was not killed but ended with " + howEnded(status);
    if (fault.empty() && r.done[0] < before) fault = "completed writes were lost";
    const long applied = r.done[0] - before;
    if (fault.empty() && !fromOutside) {
      // Killed before the rename the commit is not there; after it, it is.
      const long expected = commit - (step < static_cast<int>(Step::Renamed) ? 1 : 0);
      if (applied != expected) {
        fault = "killed at " + std::string(kStepNames[static_cast<std::size_t>(step)]) + " of commit " +
                std::to_string(commit) + ", yet " + std::to_string(applied) + " writes were kept";
      }
    }
    struct stat st {};
    if (::stat((hive + ".tmp").c_str(), &st) == 0) ++tempLeft;
    if (!fault.empty()) {
      std::printf("round %ld: INCONSISTENT: %s\n", round, fault.c_str());
      if (r.fault.empty() && r.done[0] >= before) done = r.done[0];
      continue;
    }
    ++consistent;
    done = r.done[0];
    if (fromOutside) {
      if (applied < commit) {
        ++outsideOld;
      } else if (applied == commit) {
        ++outsideNew;
      } else {
        ++outsideLater;
      }
    } else {
      ++atStep[static_cast<std::size_t>(step)];
    }
  }

  std::printf("hive crash soak: %s\n", hive.c_str());
  std::printf("  one commit takes                  %.2f ms at the start, %.2f ms at the end\n",
              commitSeconds * 1000, cycleSeconds * 1000);
  std::printf(
      "  rounds killed from outside        %ld (killed commit not in the file: %ld, in it: %ld, "
      "later commits done: %ld)\n",
      outside, outsideOld, outsideNew, outsideLater);
  std::printf("  rounds killed at a commit step    %ld (", rounds - outside);
  for (std::size_t s = 0; s < kStepNames.size(); ++s) {
    std::printf("%s%s %ld", s == 0 ? "" : ", ", kStepNames[s], atStep[s]);
  }
  std::printf(")\n");
  std::printf("  rounds leaving a temporary file   %ld (never read as the hive)\n", tempLeft);
  std::printf("  writes completed in all           %ld\n", done);
  std::printf("  time                              %.1f s\n", secondsSince(started));
  std::printf("rounds consistent: %ld / %ld\n", consistent, rounds);
  return consistent == rounds ? 0 : 1;
}

int runTwoWriters(const Args& args) {
  if (args.positional.empty()) {
    std::fprintf(stderr, "usage: hive_soak two-writers <hive> [--writes N]\n");
    return 2;
  }
  const std::string hive = args.positional[0];
  const long writes = args.option("writes", 1000);
  writeSeed(hive);
  const auto started = SteadyClock::now();
  std::array<pid_t, kWriters> pids{};
  for (int w = 0; w < kWriters; ++w) {
    pids[static_cast<std::size_t>(w)] =
        spawnWriter({"write", hive, std::to_string(w + 1), "1", std::to_string(writes)}, -1);
  }

  // Read while they write: every read must be a whole, consistent hive, and
  // neither writer's count may ever go back.
  long reads = 0;
  long readsConsistent = 0;
  std::array<long, kWriters> seen{};
  std::string firstFault;
  std::array<int, kWriters> statuses{};
  std::array<bool, kWriters> ended{};
  while (!ended[0] || !ended[1]) {
    const Reading r = readState(hive);
    ++reads;
    bool ok = r.fault.empty();
    for (std::size_t w = 0; ok && w < kWriters; ++w) ok = r.done[w] >= seen[w];
    if (ok) {
      ++readsConsistent;
      seen = r.done;
    } else if (firstFault.empty()) {
      firstFault = r.fault.empty() ? "a writer's count went back" : r.fault;
    }
    for (std::size_t w = 0; w < kWriters; ++w) {
      if (!ended[w] && ::waitpid(pids[w], &statuses[w], WNOHANG) == pids[w]) ended[w] = true;
    }
  }
  const double seconds = secondsSince(started);

  const Reading last = readState(hive);
  // A value counts when it holds the last text its writer wrote into it.
  long present = 0;
  if (last.fault.empty()) {
    for (long d : last.done) {
      for (int i = 0; i < kValues; ++i) present += lastWriteOf(d, i) == lastWriteOf(writes, i) ? 1 : 0;
    }
  }
  std::printf("hive two-writer soak: %s\n", hive.c_str());
  bool writersOk = true;
  for (int w = 0; w < kWriters; ++w) {
    const int s = statuses[static_cast<std::size_t>(w)];
    writersOk = writersOk && WIFEXITED(s) && WEXITSTATUS(s) == 0;
    std::printf("  writer %d               %ld writes, %s\n", w + 1, writes, howEnded(s).c_str());
  }
  std::printf("  commits                %ld in %.1f s (%.0f per second)\n", writes * kWriters, seconds,
              static_cast<double>(writes * kWriters) / seconds);
  std::printf("  reads during the run   %ld, consistent %ld\n", reads, readsConsistent);
  if (!firstFault.empty()) std::printf("  first fault            %s\n", firstFault.c_str());
  if (!last.fault.empty()) std::printf("  final file             %s\n", last.fault.c_str());
  std::printf("  final writes seen      writer 1: %ld, writer 2: %ld (of %ld each)\n", last.done[0],
              last.done[1], writes);
  std::printf("values present: %ld / %d\n", present, kValues * kWriters);
  return writersOk && last.fault.empty() && present == kValues * kWriters && reads == readsConsistent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const Args args = parseArgs(argc, argv, 2);
  if (command == "write") return runWriter(args);
  if (command == "crash") return runCrash(args);
  if (command == "two-writers") return runTwoWriters(args);
  std::fprintf(stderr, "usage: hive_soak write|crash|two-writers <hive> ...\n");
  return 2;
}
