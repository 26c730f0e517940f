#include "core/hive_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lintari {

namespace {

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kVersionLine = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldVersionLine = "REGEDIT4";

// Roots a pasted export may carry besides the local machine; anything else in
// a key line is most likely a typo and is reported instead of being ignored.
constexpr std::array<std::string_view, 7> kRoots = {
    kLocalMachine,         "HKEY_CURRENT_USER",     "HKEY_CLASSES_ROOT", "HKEY_USERS",
    "HKEY_CURRENT_CONFIG", "HKEY_PERFORMANCE_DATA", "HKEY_DYN_DATA"};

// Escapes inside quoted names and data. CR and LF get escapes of their own so
// that no stored text can break a line and forge a key or value line.
struct Escape {
  char plain;
  char code;
};
constexpr std::array<Escape, 4> kEscapes = {{{'\\', '\\'}, {'"', '"'}, {'\n', 'n'}, {'\r', 'r'}}};

// A stray CR counts as a blank: a CRLF file converted to CRLF once more ends
// its lines in CR CR LF, and a comment must not keep a CR that its rewrite
// would lose.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool allHex(std::string_view s, std::size_t minLength, std::size_t maxLength) {
  return s.size() >= minLength && s.size() <= maxLength && std::all_of(s.begin(), s.end(), isHexDigit);
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string decodeUtf16le(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  int line = 1;
  std::size_t i = 0;
  auto next = [&]() -> std::uint32_t {
    if (i + 1 >= bytes.size())
      throw HiveSyntaxError(line, "the UTF-16 text ends in the middle of a character");
    const auto unit = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    i += 2;
    return unit;
  };
  while (i < bytes.size()) {
    std::uint32_t cp = next();
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      const std::uint32_t low = next();
      if (low < 0xDC00 || low > 0xDFFF) throw HiveSyntaxError(line, "invalid UTF-16 text");
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      throw HiveSyntaxError(line, "invalid UTF-16 text");
    }
    if (cp == '\n') ++line;
    appendUtf8(out, cp);
  }
  return out;
}

std::string decode(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return decodeUtf16le(bytes.substr(2));
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    auto e = std::find_if(kEscapes.begin(), kEscapes.end(), [c](const Escape& x) { return x.plain == c; });
    if (e == kEscapes.end()) {
      out += c;
    } else {
      out += '\\';
      out += e->code;
    }
  }
  return out + "\"";
}

bool samePath(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameName);
}

bool startsWithPath(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
  return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin(), sameName);
}

bool isLocalMachine(const HiveSection& s) { return sameName(s.root, kLocalMachine); }

// The section of a key below HKEY_LOCAL_MACHINE, for a const or a mutable hive.
template <class Sections>
auto* findSection(Sections& sections, const std::vector<std::string>& path) {
  auto it = std::find_if(sections.begin(), sections.end(),
                         [&](const HiveSection& s) { return isLocalMachine(s) && samePath(s.path, path); });
  return it == sections.end() ? nullptr : &*it;
}

HiveSection& sectionFor(std::vector<HiveSection>& sections, const std::vector<std::string>& path) {
  if (HiveSection* s = findSection(sections, path)) return *s;
  // Components that already exist keep the spelling they were created with.
  std::vector<std::string> spelled;
  for (const std::string& part : path) {
    spelled.push_back(part);
    for (const HiveSection& s : sections) {
      if (isLocalMachine(s) && startsWithPath(s.path, spelled)) {
        spelled.back() = s.path[spelled.size() - 1];
        break;
      }
    }
  }
  sections.push_back(HiveSection{std::string(kLocalMachine), std::move(spelled), {}, {}});
  return sections.back();
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  void run(std::vector<HiveSection>& sections, std::vector<std::string>& trailing) {
    bool versionSeen = false;
    HiveSection* current = nullptr;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const std::string_view line = trim(lines_[index_]);
      if (line.empty()) continue;
      if (line.front() == ';') {
        comments_.emplace_back(line);
        continue;
      }
      if (!versionSeen) {
        if (line != kVersionLine && line != kOldVersionLine) {
          fail("the file must begin with the line \"" + std::string(kVersionLine) + "\"");
        }
        versionSeen = true;
      } else if (line.front() == '[') {
        current = &section(sections, line);
      } else if (line.front() == '"' || line.front() == '@') {
        if (current == nullptr) fail("a value line comes before the first [key] line");
        value(*current, line);
      } else {
        fail("expected a [key] line, a value line or a ; comment");
      }
    }
    trailing = std::move(comments_);
  }

 private:
  [[noreturn]] void fail(const std::string& reason) const {
    throw HiveSyntaxError(static_cast<int>(index_) + 1, reason);
  }

  HiveSection& section(std::vector<HiveSection>& sections, std::string_view line) {
    if (line.back() != ']') fail("a key line must end with ']'");
    const std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner.front() == '-') fail("key deletion lines [-...] are not supported");
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
      const std::size_t end = inner.find('\\', start);
      const std::string_view part = inner.substr(start, end == std::string_view::npos ? end : end - start);
      if (part.empty()) fail("a key path has an empty name in it");
      parts.emplace_back(part);
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
    const std::string root = parts.front();
    if (std::none_of(kRoots.begin(), kRoots.end(), [&](std::string_view r) { return sameName(r, root); })) {
      fail("unknown root key '" + root + "'");
    }
    parts.erase(parts.begin());
    for (HiveSection& s : sections) {
      // A repeated key continues the earlier section; its comments stay
      // pending for the next line that is kept.
      if (sameName(s.root, root) && samePath(s.path, parts)) return s;
    }
    sections.push_back(HiveSection{root, std::move(parts), {}, std::move(comments_)});
    comments_.clear();
    return sections.back();
  }

  // Reads a quoted text starting at `pos` (on the opening quote); leaves
  // `pos` after the closing quote.
  std::string quoted(std::string_view line, std::size_t& pos) const {
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++pos == line.size()) break;
      const char code = line[pos];
      auto e =
          std::find_if(kEscapes.begin(), kEscapes.end(), [code](const Escape& x) { return x.code == code; });
      if (e == kEscapes.end()) {
        fail(std::string("unknown escape '\\") + code + "' in a quoted text; a backslash is written \\\\");
      }
      out += e->plain;
    }
    fail("a quoted text has no closing quote");
  }

  void value(HiveSection& section, std::string_view line) {
    HiveValue v;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else {
      v.name = quoted(line, pos);
    }
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=') fail("expected '=' after the value name");
    std::string_view rest = trim(line.substr(pos + 1));
    if (!rest.empty() && rest.front() == '"') {
      pos = 0;
      v.data = quoted(rest, pos);
      if (pos != rest.size()) fail("unexpected text after the closing quote");
    } else if (rest == "-") {
      fail("value deletion lines (=-) are not supported");
    } else {
      v.isString = false;
      v.data = typedData(rest);
    }
    v.comments = std::move(comments_);
    comments_.clear();
    auto same = std::find_if(section.values.begin(), section.values.end(),
                             [&](const HiveValue& x) { return sameName(x.name, v.name); });
    if (same == section.values.end()) {
      section.values.push_back(std::move(v));
    } else {
      same->comments.insert(same->comments.end(), v.comments.begin(), v.comments.end());
      same->data = std::move(v.data);
      same->isString = v.isString;
    }
  }

  // Checks a non-string value ("dword:0000000a", "hex:..", "hex(2):..") and
  // returns it as written, with the continuation lines regedit breaks long
  // byte lists into.
  std::string typedData(std::string_view rest) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) fail("expected a quoted text, dword: or hex: after '='");
    const std::string_view type = rest.substr(0, colon);
    std::string_view body = rest.substr(colon + 1);
    if (type == "dword") {
      if (!allHex(body, 1, 8)) fail("a dword value needs one to eight hexadecimal digits");
      return std::string(rest);
    }
    const bool typedHex = type.size() > 5 && type.substr(0, 4) == "hex(" && type.back() == ')' &&
                          allHex(type.substr(4, type.size() - 5), 1, 8);
    if (type != "hex" && !typedHex) fail("unknown value type '" + std::string(type) + "'");
    std::string data(rest);
    while (true) {
      const bool continues = !body.empty() && body.back() == '\\';
      if (continues) body.remove_suffix(1);
      checkBytes(body);
      if (!continues) return data;
      if (index_ + 1 == lines_.size() || trim(lines_[index_ + 1]).empty()) {
        fail("a value ends in '\\' but does not go on in the next line");
      }
      std::string_view next = lines_[++index_];
      while (!next.empty() && isBlank(next.back())) next.remove_suffix(1);
      data += '\n';
      data += next;
      body = trim(next);
    }
  }

  void checkBytes(std::string_view list) const {
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(',', start);
      if (end == std::string_view::npos) end = list.size();
      const std::string_view byte = trim(list.substr(start, end - start));
      if (!byte.empty() && !allHex(byte, 1, 2)) fail("'" + std::string(byte) + "' is not a hexadecimal byte");
      start = end + 1;
    }
  }

  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::vector<std::string> comments_;
};

}  // namespace

HiveSyntaxError::HiveSyntaxError(int line, std::string reason)
    : Error("line " + std::to_string(line) + ": " + reason), line_(line), reason_(std::move(reason)) {}

Hive Hive::parse(std::string_view bytes) {
  const std::string text = decode(bytes);
  Hive hive;
  Parser(text).run(hive.sections_, hive.trailingComments_);
  return hive;
}

std::string Hive::serialize() const {
  std::string out(kVersionLine);
  out += "\n\n";
  for (const HiveSection& s : sections_) {
    for (const std::string& c : s.comments) out += c + "\n";
    out += "[" + s.root;
    for (const std::string& part : s.path) out += "\\" + part;
    out += "]\n";
    for (const HiveValue& v : s.values) {
      for (const std::string& c : v.comments) out += c + "\n";
      out += v.name.empty() ? std::string("@") : quote(v.name);
      out += "=";
      out += v.isString ? quote(v.data) : v.data;
      out += "\n";
    }
    out += "\n";
  }
  for (const std::string& c : trailingComments_) out += c + "\n";
  return out;
}

bool Hive::validKeyPath(std::string_view path) {
  return path.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool Hive::keyExists(std::string_view path) const {
  const std::vector<std::string> parts = splitKeyPath(path);
  return parts.empty() || std::any_of(sections_.begin(), sections_.end(), [&](const HiveSection& s) {
           return isLocalMachine(s) && startsWithPath(s.path, parts);
         });
}

std::size_t Hive::subkeyCount(std::string_view path) const {
  const std::vector<std::string> parts = splitKeyPath(path);
  std::vector<std::string_view> children;
  for (const HiveSection& s : sections_) {
    if (!isLocalMachine(s) || s.path.size() <= parts.size() || !startsWithPath(s.path, parts)) continue;
    const std::string_view child = s.path[parts.size()];
    if (std::none_of(children.begin(), children.end(),
                     [&](std::string_view c) { return sameName(c, child); })) {
      children.push_back(child);
    }
  }
  return children.size();
}

std::optional<std::string> Hive::readString(std::string_view path, std::string_view name) const {
  const HiveSection* s = findSection(sections_, splitKeyPath(path));
  if (s == nullptr) return std::nullopt;
  for (const HiveValue& v : s->values) {
    if (!sameName(v.name, name)) continue;
    if (!v.isString) throw Error(formatMessage("Invalid data type for '%s'", {name}));
    return v.data;
  }
  return std::nullopt;
}

std::vector<RegistryValue> Hive::listValues(std::string_view path) const {
  std::vector<RegistryValue> out;
  if (const HiveSection* s = findSection(sections_, splitKeyPath(path))) {
    for (const HiveValue& v : s->values) {
      out.push_back(RegistryValue{v.name, v.isString ? std::optional<std::string>(v.data) : std::nullopt});
    }
  }
  return out;
}

bool Hive::createKey(std::string_view path) {
  if (!validKeyPath(path)) throw Error("Invalid key name");
  if (keyExists(path)) return false;
  sectionFor(sections_, splitKeyPath(path));
  return true;
}

bool Hive::setString(std::string_view path, std::string_view name, std::string_view data) {
  if (!validKeyPath(path)) throw Error("Invalid key name");
  HiveSection& s = sectionFor(sections_, splitKeyPath(path));
  for (HiveValue& v : s.values) {
    if (!sameName(v.name, name)) continue;
    if (v.isString && v.data == data) return false;
    v.data = std::string(data);
    v.isString = true;
    return true;
  }
  s.values.push_back(HiveValue{std::string(name), std::string(data), true, {}});
  return true;
}

bool Hive::deleteValue(std::string_view path, std::string_view name) {
  HiveSection* found = findSection(sections_, splitKeyPath(path));
  if (found == nullptr) return false;
  auto& values = found->values;
  auto it =
      std::find_if(values.begin(), values.end(), [&](const HiveValue& v) { return sameName(v.name, name); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

}  // namespace lintari
