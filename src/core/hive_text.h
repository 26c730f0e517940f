#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/registry.h"

namespace lintari {

// A hive file that cannot be read: the 1-based line where reading stopped
// and what is wrong there. what() reads "line <n>: <reason>".
class HiveSyntaxError : public Error {
 public:
  HiveSyntaxError(int line, std::string reason);
  [[nodiscard]] int line() const { return line_; }
  [[nodiscard]] const std::string& reason() const { return reason_; }

 private:
  int line_;
  std::string reason_;
};

struct HiveValue {
  // Empty for the default value, written "@".
  std::string name;
  // The text of a string value; for any other type the text after "=" as
  // written (continuation lines included, joined by "\n"), kept verbatim.
  std::string data;
  bool isString = true;
  // Comment lines written just above the value, kept on rewrite.
  std::vector<std::string> comments;
};

struct HiveSection {
  // The root as written. Sections of roots other than HKEY_LOCAL_MACHINE are
  // kept on rewrite but never served.
  std::string root;
  std::vector<std::string> path;
  std::vector<HiveValue> values;
  std::vector<std::string> comments;
};

// The emulated HKEY_LOCAL_MACHINE hive in the registry editor's export
// format. Paths are below HKEY_LOCAL_MACHINE ("\SOFTWARE\LNTR"); key and
// value names compare without regard to ASCII case and keep the case they
// were first written with. A key exists when it has a section or a
// descendant has one.
class Hive {
 public:
  // Reads a whole file: UTF-16LE when it starts with the FF FE byte order
  // mark (as the Windows registry editor exports), UTF-8 otherwise. An empty
  // file is an empty hive. Sections naming the same key merge, and a later
  // value replaces an earlier one of the same name, as an import would.
  // Throws HiveSyntaxError.
  static Hive parse(std::string_view bytes);
  // UTF-8 text with LF line ends and the version 5.00 first line.
  [[nodiscard]] std::string serialize() const;

  [[nodiscard]] bool keyExists(std::string_view path) const;
  [[nodiscard]] std::size_t subkeyCount(std::string_view path) const;
  // nullopt when the value is absent; a value of another type throws Error
  // "Invalid data type for '<name>'".
  [[nodiscard]] std::optional<std::string> readString(std::string_view path, std::string_view name) const;
  [[nodiscard]] std::vector<RegistryValue> listValues(std::string_view path) const;

  // Each returns whether the hive changed. A key path holding a line break
  // or NUL cannot be written as a key line: createKey and setString throw
  // Error for one (see validKeyPath).
  bool createKey(std::string_view path);
  bool setString(std::string_view path, std::string_view name, std::string_view data);
  bool deleteValue(std::string_view path, std::string_view name);

  [[nodiscard]] const std::vector<HiveSection>& sections() const { return sections_; }
  static bool validKeyPath(std::string_view path);

 private:
  std::vector<HiveSection> sections_;
  std::vector<std::string> trailingComments_;
};

}  // namespace lintari
