#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/registry.h"

namespace lintari {

// A registry held in memory, for tests and for the demo of the run command.
// Values of other types than string can be planted to test the type rule;
// the whole hive can be made read-only to test refused writes.
class MemoryRegistry : public Registry {
 public:
  struct Value {
    std::string name;
    std::string data;
    bool isString = true;
  };
  struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Key>> children;
  };

  MemoryRegistry();

  std::unique_ptr<RegistryKey> openReadOnly(std::string_view path) override;
  std::unique_ptr<RegistryKey> openReadWrite(std::string_view path) override;
  std::unique_ptr<RegistryKey> openOrCreate(std::string_view path, std::uint32_t access) override;

  // Test helpers.
  void setString(std::string_view path, std::string_view name, std::string_view data);
  void setNonString(std::string_view path, std::string_view name);
  [[nodiscard]] std::optional<std::string> string(std::string_view path, std::string_view name) const;
  [[nodiscard]] bool hasValue(std::string_view path, std::string_view name) const;
  [[nodiscard]] bool keyExists(std::string_view path) const;
  void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Makes the next writes of this value name fail, as a registry that refuses one value.
  void refuseWritesOf(std::string_view name) { refused_.emplace_back(name); }
  [[nodiscard]] int writeCount() const { return writes_; }

 private:
  class Handle;
  Key* find(std::string_view path) const;
  Key* create(std::string_view path);

  std::unique_ptr<Key> root_;
  bool readOnly_ = false;
  std::vector<std::string> refused_;
  int writes_ = 0;
};

}  // namespace lintari
