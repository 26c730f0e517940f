#include "app/settings_store.h"

namespace lintari {

std::string SettingsStore::read(std::string_view name) const {
  auto key = registry_.openReadOnly(kKeyPath);
  if (!key) return {};
  return key->readString(name).value_or(std::string());
}

SettingsStore::Identification SettingsStore::readIdentification() const {
  auto key = registry_.openReadOnly(kKeyPath);
  if (!key) return {};
  Identification id;
  id.modem = key->readString(kModem).value_or(std::string());
  id.version = key->readString(kVersion).value_or(std::string());
  return id;
}

std::unique_ptr<RegistryKey> SettingsStore::openForWriting() const {
  return registry_.openOrCreate(kKeyPath, kKeyAllAccess);
}

bool SettingsStore::saveSetup(std::string_view path, std::string_view port, std::string_view klas) const {
  auto key = openForWriting();
  if (!key) return false;
  key->writeString(kPath, path);
  key->writeString(kPort, port);
  key->writeString(kKlas, klas);
  key->deleteValue(kModem);
  key->deleteValue(kVersion);
  return true;
}

}  // namespace lintari
