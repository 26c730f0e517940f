// Any bytes as a hive file: the parser gives a hive or the file's syntax
// error. A hive it gives survives a rewrite: its text parses to the same
// hive, whose text is the same again. Values written into it with names and
// data taken from the file itself (quotes, backslashes, line breaks, any
// byte) read back as written and survive the rewrite too, so no stored text
// can break a line of the file and forge another key or value.
#include <cstddef>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/hive_text.h"
#include "fuzz_support.h"

namespace {

using lintari::Hive;
using lintari::HiveSection;
using lintari::HiveValue;
using lintari::fuzzing::check;
using lintari::fuzzing::fail;

bool sameValue(const HiveValue& a, const HiveValue& b) {
  return a.name == b.name && a.data == b.data && a.isString == b.isString && a.comments == b.comments;
}

bool sameSection(const HiveSection& a, const HiveSection& b) {
  if (a.root != b.root || a.path != b.path || a.comments != b.comments) return false;
  if (a.values.size() != b.values.size()) return false;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    if (!sameValue(a.values[i], b.values[i])) return false;
  }
  return true;
}

Hive reparsed(const Hive& hive, std::string_view what) {
  const std::string text = hive.serialize();
  Hive again;
  try {
    again = Hive::parse(text);
  } catch (const lintari::Error& e) {
    fail(what, std::string(e.what()) + "\n" + text);
  }
  const std::vector<HiveSection>& before = hive.sections();
  const std::vector<HiveSection>& after = again.sections();
  bool same = before.size() == after.size();
  for (std::size_t i = 0; same && i < before.size(); ++i) same = sameSection(before[i], after[i]);
  check(same, "a rewritten hive reads back as another hive", text);
  check(again.serialize() == text, "a rewritten hive does not rewrite to the same text", text);
  return again;
}

std::string keyPath(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts) path += "\\" + part;
  return path;
}

// Writes, below a few keys of the hive, a key named after one of its values,
// holding a value whose name is that value's data and whose data is its name.
void writeBack(Hive& hive) {
  struct Write {
    std::string path;
    std::string name;
    std::string data;
  };
  std::vector<Write> writes;
  for (const HiveSection& s : hive.sections()) {
    for (const HiveValue& v : s.values) {
      if (writes.size() == 8) break;
      writes.push_back({keyPath(s.path) + "\\" + v.name, v.data, v.name});
    }
  }
  for (const Write& w : writes) {
    if (!Hive::validKeyPath(w.path)) {
      try {
        hive.setString(w.path, w.name, w.data);
      } catch (const lintari::Error&) {
        continue;
      }
      fail("a key path that cannot be written as a key line was taken", w.path);
    }
    hive.setString(w.path, w.name, w.data);
    const std::optional<std::string> back = hive.readString(w.path, w.name);
    check(back == w.data, "a value written into the hive reads back otherwise", w.path + "\n" + w.name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Hive hive;
  try {
    hive = Hive::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const lintari::Error&) {
    return 0;
  }
  for (const HiveSection& s : hive.sections()) {
    if (!lintari::sameName(s.root, "HKEY_LOCAL_MACHINE")) continue;
    check(hive.keyExists(keyPath(s.path)), "a key of the file does not exist", keyPath(s.path));
    for (const HiveValue& v : s.values) {
      try {
        check(hive.readString(keyPath(s.path), v.name) == v.data, "a string value reads back otherwise",
              v.name);
        check(v.isString, "a value of another type reads as a string", v.name);
      } catch (const lintari::Error&) {
        check(!v.isString, "a string value cannot be read", v.name);
      }
    }
  }
  Hive again = reparsed(hive, "a parsed hive rewrites to a text that does not parse");
  writeBack(again);
  reparsed(again, "a hive with written values rewrites to a text that does not parse");
  return 0;
}
