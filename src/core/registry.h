#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lintari {

// Access mask of the program's two settings writers: every key right.
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// One value of a key as listed: its name (empty for the default value) and its
// text, nullopt for a value of a non-string type.
struct RegistryValue {
  std::string name;
  std::optional<std::string> text;
};

// An open key of the HKEY_LOCAL_MACHINE hive. A handle is opened and released
// inside the one handler that needs it; nothing is cached between calls.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // Direct subkeys, whatever their names.
  [[nodiscard]] virtual std::size_t subkeyCount() const = 0;
  // nullopt when the value is absent. A value of a non-string type throws
  // Error "Invalid data type for '<name>'".
  [[nodiscard]] virtual std::optional<std::string> readString(std::string_view name) const = 0;
  // Every value of the key in stored order; values of other types are listed
  // without text instead of failing, so a caller can look values up by data.
  [[nodiscard]] virtual std::vector<RegistryValue> listValues() const = 0;
  // Replaces any earlier value. A refused write throws Error
  // "Failed to set data for '<name>'".
  virtual void writeString(std::string_view name, std::string_view data) = 0;
  // Returns whether a value was removed; a refusal is not an error.
  virtual bool deleteValue(std::string_view name) = 0;
};

// The registry operations the program needs. Paths are below
// HKEY_LOCAL_MACHINE, components separated by backslashes; a leading
// backslash is allowed ("\SOFTWARE\LNTR"). Names compare without regard to
// ASCII case. Every open returns nullptr when it cannot be done; a path
// without components names the root, which is never opened.
class Registry {
 public:
  virtual ~Registry() = default;

  // Succeeds when the key exists.
  virtual std::unique_ptr<RegistryKey> openReadOnly(std::string_view path) = 0;
  // Opens an existing key for reading and writing; never creates one.
  virtual std::unique_ptr<RegistryKey> openReadWrite(std::string_view path) = 0;
  // Opens the key, creating it (and its parents) at once when missing.
  virtual std::unique_ptr<RegistryKey> openOrCreate(std::string_view path, std::uint32_t access) = 0;
};

// Splits a key path into its components, dropping empty ones.
std::vector<std::string> splitKeyPath(std::string_view path);
// Whether a path names a key below the root: an empty `path` setting must
// never open the hive's root for a value to be written there.
bool namesKey(std::string_view path);
// ASCII case-insensitive equality, the registry's rule for key and value names.
bool sameName(std::string_view a, std::string_view b);

}  // namespace lintari
