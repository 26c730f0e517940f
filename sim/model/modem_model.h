#pragma once

// The AT command engine of the modem simulator: bytes in, bytes out, no I/O
// and no clock of its own, so every answer can be checked without a device.
//
// What it understands (letters of commands in either case, blanks ignored,
// several commands on one line, a line ends with CR):
//   E0/E1         command echo off/on (on at power-up, like a real modem)
//   Sn?  Sn=v     read a register (three digits) or set it to 0..255
//   &W &W0 &W1    store the active settings in profile 0 or 1
//   &F            load the factory settings
//   Z Z0 Z1       load profile 0 or 1; the rest of the line is ignored
//   I0 I3         product code; identification text with the build's signature
//   +MS? +MS=...  modulation selection: protocol, automatic mode, lowest and
//                 highest transmit rate, lowest and highest receive rate
// A line alone "AT" answers OK; anything else answers ERROR. Commands before
// the failing one on a line stay in effect, as on a real modem.
//
// Framing, as a Conexant modem frames verbose results: with echo on, every
// character is repeated as it arrives, the line's CR included; then each
// information text comes as "\r\n<text>\r\n" and the final result as
// "\r\nOK\r\n" or "\r\nERROR\r\n". So "ATS11?\r" gives
// "ATS11?\r\r\n095\r\n\r\nOK\r\n".
//
// Factory registers (`factoryRegisters()` holds them, --help prints them):
//   S0=0 S6=2 S7=50 S8=2 S10=14 S11=95 S12=50 S17=0 S91=10
//   S203=10 S204=50 S205=5 S206=40 S207=4 S210=5 S215=83 (0x53) S216=0 S218=0
// Factory modulation: +MS: V92,1,300,48000,300,56000.

#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ident/firmware_table.h"

namespace lintari::modemsim {

struct RegisterRow {
  int number;
  int factory;
  std::string_view meaning;
};

// Every register the modem has; any other number answers ERROR.
std::span<const RegisterRow> factoryRegisters();

// The build with this version code from the firmware table, or null.
const FirmwareRow* firmwareByCode(std::string_view code);

// The fields of AT+MS, in the order the modem reports them.
struct Modulation {
  std::string protocol = "V92";
  int automode = 1;
  int minTx = 300;
  int maxTx = 48000;
  int minRx = 300;
  int maxRx = 56000;

  bool operator==(const Modulation&) const = default;
};

// Misbehaviour that the tests of the program need from a modem.
struct Faults {
  bool noEcho = false;           // the echo never comes on, whatever E1 says
  bool silent = false;           // nothing is ever sent back, not even the echo
  bool garble = false;           // every answer byte (not the echo) arrives as noise
  bool nulBytes = false;         // answers carry a NUL byte after every second byte
  bool stream = false;           // after the first command line the modem never falls silent
  std::set<int> errorRegisters;  // reading or setting one of these answers ERROR
  // ATI3 answers this text instead of the build's banner: a build no table
  // knows, or a banner naming several builds.
  std::optional<std::string> banner;
};

enum class OutputKind { kEcho, kAnswer };

struct Output {
  OutputKind kind;
  std::string bytes;

  bool operator==(const Output&) const = default;
};

// The pace of the endless stream of the `stream` fault: one burst this often.
inline constexpr std::chrono::milliseconds kStreamInterval{5};

class ModemModel {
 public:
  ModemModel(const FirmwareRow& firmware, Faults faults);

  // What the modem sends back for these received bytes, in order: runs of
  // echoed characters and the answers of the command lines they complete.
  std::vector<Output> receive(std::string_view bytes);

  // True once the `stream` fault has started: the caller then sends
  // `streamBurst()` every `kStreamInterval` while nothing else is due.
  [[nodiscard]] bool streaming() const;
  std::string streamBurst();

  [[nodiscard]] int registerValue(int number) const;
  [[nodiscard]] const Modulation& modulation() const { return active_.modulation; }
  [[nodiscard]] bool echoOn() const { return active_.echo; }

 private:
  struct Settings {
    bool echo = true;
    std::map<int, int> registers;
    Modulation modulation;
  };
  class Line;
  enum class Step { kNext, kError, kEndLine };

  std::string execute(std::string_view line);
  Step command(Line& line, std::string& answer);
  // Each command reads its parameters from `line` and appends its
  // information text, if any, to `answer`.
  Step echoCommand(Line& line, std::string& answer);
  Step registerCommand(Line& line, std::string& answer);
  Step ampersandCommand(Line& line, std::string& answer);
  Step resetCommand(Line& line, std::string& answer);
  Step identifyCommand(Line& line, std::string& answer);
  Step extendedCommand(Line& line, std::string& answer);
  Step setModulation(std::string_view values);
  [[nodiscard]] std::string dress(std::string answer) const;

  const FirmwareRow& firmware_;
  Faults faults_;
  Settings active_;
  std::array<Settings, 2> profiles_;
  std::string line_;
  bool overflow_ = false;
  bool streaming_ = false;
  std::size_t noisePos_ = 0;
};

// Orders what the modem sends over time: the echo goes out at once, each
// answer `answerDelay` after the output before it was due (or after it was
// received, when that is later), and nothing overtakes what came before.
class OutputSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  explicit OutputSchedule(std::chrono::milliseconds answerDelay) : answerDelay_(answerDelay) {}

  void add(std::vector<Output> outputs, Clock::time_point now);
  // The bytes due by `now`, in order, taken out of the schedule.
  std::string takeDue(Clock::time_point now);
  [[nodiscard]] std::optional<Clock::time_point> nextDue() const;
  [[nodiscard]] bool empty() const { return items_.empty(); }
  // Drops everything not yet due, and the wait it would have caused.
  void clear() {
    items_.clear();
    lastDue_ = {};
  }

 private:
  struct Item {
    std::string bytes;
    Clock::time_point due;
  };
  std::chrono::milliseconds answerDelay_;
  std::deque<Item> items_;
  Clock::time_point lastDue_{};
};

}  // namespace lintari::modemsim
