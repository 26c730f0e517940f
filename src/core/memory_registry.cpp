#include "core/memory_registry.h"

#include <algorithm>

#include "core/error.h"

namespace lintari {

class MemoryRegistry::Handle : public RegistryKey {
 public:
  Handle(MemoryRegistry& owner, Key& key, bool writable) : owner_(owner), key_(key), writable_(writable) {}

  std::size_t subkeyCount() const override { return key_.children.size(); }

  std::optional<std::string> readString(std::string_view name) const override {
    for (const Value& v : key_.values) {
      if (!sameName(v.name, name)) continue;
      if (!v.isString) throw Error(formatMessage("Invalid data type for '%s'", {name}));
      return v.data;
    }
    return std::nullopt;
  }

  std::vector<RegistryValue> listValues() const override {
    std::vector<RegistryValue> out;
    for (const Value& v : key_.values) {
      out.push_back(RegistryValue{v.name, v.isString ? std::optional<std::string>(v.data) : std::nullopt});
    }
    return out;
  }

  void writeString(std::string_view name, std::string_view data) override {
    const bool refused = std::any_of(owner_.refused_.begin(), owner_.refused_.end(),
                                     [&](const std::string& r) { return sameName(r, name); });
    if (!writable_ || owner_.readOnly_ || refused) {
      throw Error(formatMessage("Failed to set data for '%s'", {name}));
    }
    ++owner_.writes_;
    for (Value& v : key_.values) {
      if (sameName(v.name, name)) {
        v.data = std::string(data);
        v.isString = true;
        return;
      }
    }
    key_.values.push_back(Value{std::string(name), std::string(data), true});
  }

  bool deleteValue(std::string_view name) override {
    if (!writable_ || owner_.readOnly_) return false;
    auto it = std::find_if(key_.values.begin(), key_.values.end(),
                           [&](const Value& v) { return sameName(v.name, name); });
    if (it == key_.values.end()) return false;
    key_.values.erase(it);
    ++owner_.writes_;
    return true;
  }

 private:
  MemoryRegistry& owner_;
  Key& key_;
  bool writable_;
};

MemoryRegistry::MemoryRegistry() : root_(std::make_unique<Key>()) {}

MemoryRegistry::Key* MemoryRegistry::find(std::string_view path) const {
  if (!namesKey(path)) return nullptr;
  Key* key = root_.get();
  for (const std::string& part : splitKeyPath(path)) {
    auto it = std::find_if(key->children.begin(), key->children.end(),
                           [&](const std::unique_ptr<Key>& k) { return sameName(k->name, part); });
    if (it == key->children.end()) return nullptr;
    key = it->get();
  }
  return key;
}

MemoryRegistry::Key* MemoryRegistry::create(std::string_view path) {
  Key* key = root_.get();
  for (const std::string& part : splitKeyPath(path)) {
    auto it = std::find_if(key->children.begin(), key->children.end(),
                           [&](const std::unique_ptr<Key>& k) { return sameName(k->name, part); });
    if (it == key->children.end()) {
      key->children.push_back(std::make_unique<Key>(Key{part, {}, {}}));
      key = key->children.back().get();
    } else {
      key = it->get();
    }
  }
  return key;
}

std::unique_ptr<RegistryKey> MemoryRegistry::openReadOnly(std::string_view path) {
  Key* key = find(path);
  if (key == nullptr) return nullptr;
  return std::make_unique<Handle>(*this, *key, false);
}

std::unique_ptr<RegistryKey> MemoryRegistry::openReadWrite(std::string_view path) {
  Key* key = find(path);
  if (key == nullptr || readOnly_) return nullptr;
  return std::make_unique<Handle>(*this, *key, true);
}

std::unique_ptr<RegistryKey> MemoryRegistry::openOrCreate(std::string_view path, std::uint32_t /*access*/) {
  if (readOnly_ || !namesKey(path)) return nullptr;
  return std::make_unique<Handle>(*this, *create(path), true);
}

void MemoryRegistry::setString(std::string_view path, std::string_view name, std::string_view data) {
  Key* key = create(path);
  for (Value& v : key->values) {
    if (sameName(v.name, name)) {
      v = Value{std::string(name), std::string(data), true};
      return;
    }
  }
  key->values.push_back(Value{std::string(name), std::string(data), true});
}

void MemoryRegistry::setNonString(std::string_view path, std::string_view name) {
  Key* key = create(path);
  key->values.push_back(Value{std::string(name), "dword:0000000a", false});
}

std::optional<std::string> MemoryRegistry::string(std::string_view path, std::string_view name) const {
  const Key* key = find(path);
  if (key == nullptr) return std::nullopt;
  for (const Value& v : key->values) {
    if (sameName(v.name, name) && v.isString) return v.data;
  }
  return std::nullopt;
}

bool MemoryRegistry::hasValue(std::string_view path, std::string_view name) const {
  const Key* key = find(path);
  if (key == nullptr) return false;
  return std::any_of(key->values.begin(), key->values.end(),
                     [&](const Value& v) { return sameName(v.name, name); });
}

bool MemoryRegistry::keyExists(std::string_view path) const { return find(path) != nullptr; }

}  // namespace lintari
