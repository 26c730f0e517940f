#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/registry.h"

namespace lintari {

// The program's five settings: string values of one key below
// HKEY_LOCAL_MACHINE. Absent reads as empty; nothing is cached, so every read
// opens the key afresh and sees what any writer stored last.
class SettingsStore {
 public:
  static constexpr std::string_view kKeyPath = "\\SOFTWARE\\LNTR";
  static constexpr std::string_view kPath = "path";
  static constexpr std::string_view kPort = "port";
  static constexpr std::string_view kKlas = "klas";
  static constexpr std::string_view kModem = "modem";
  static constexpr std::string_view kVersion = "version";

  explicit SettingsStore(Registry& registry) : registry_(registry) {}

  // Opens the key read-only, reads one value, releases the key. A value of
  // another type than string throws Error.
  [[nodiscard]] std::string read(std::string_view name) const;
  // Reads several values through one read-only open.
  struct Identification {
    std::string modem;
    std::string version;
  };
  [[nodiscard]] Identification readIdentification() const;
  [[nodiscard]] std::string ReadModemKeyPath() const { return read(kPath); }

  // The writers' open: all access, the key created when missing. nullptr when
  // it cannot be opened; the writer then stores nothing and says nothing.
  [[nodiscard]] std::unique_ptr<RegistryKey> openForWriting() const;

  // The setup window's save: path, port, klas, then modem and version
  // removed. Returns false when the key could not be opened. A refused write
  // throws and leaves the earlier values written.
  bool saveSetup(std::string_view path, std::string_view port, std::string_view klas) const;

  [[nodiscard]] Registry& registry() const { return registry_; }

 private:
  Registry& registry_;
};

}  // namespace lintari
