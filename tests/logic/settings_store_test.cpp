#include "app/settings_store.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/memory_registry.h"

namespace lintari {
namespace {

constexpr std::string_view kKey = SettingsStore::kKeyPath;

TEST(SettingsStore, AbsentKeyReadsEmptyEverywhereAndCreatesNothing) {
  MemoryRegistry registry;
  SettingsStore settings(registry);
  for (auto name : {SettingsStore::kPath, SettingsStore::kPort, SettingsStore::kKlas, SettingsStore::kModem,
                    SettingsStore::kVersion}) {
    EXPECT_EQ(settings.read(name), "") << name;
  }
  EXPECT_EQ(settings.ReadModemKeyPath(), "");
  EXPECT_FALSE(registry.keyExists(kKey));
}

TEST(SettingsStore, ReadsWhatAnyWriterStoredLastWithoutCaching) {
  MemoryRegistry registry;
  SettingsStore settings(registry);
  registry.setString(kKey, "PORT", "3");
  EXPECT_EQ(settings.read("port"), "3");
  registry.setString(kKey, "port", "4");
  EXPECT_EQ(settings.read("port"), "4");
}

TEST(SettingsStore, SetupSaveWritesThreeValuesAndForgetsTheIdentification) {
  MemoryRegistry registry;
  registry.setString(kKey, "modem", "TRVK2");
  registry.setString(kKey, "version", "84a");
  SettingsStore settings(registry);
  ASSERT_TRUE(settings.saveSetup("\\SYSTEM\\X\\0001", "3", "2"));
  EXPECT_EQ(registry.string(kKey, "path"), "\\SYSTEM\\X\\0001");
  EXPECT_EQ(registry.string(kKey, "port"), "3");
  EXPECT_EQ(registry.string(kKey, "klas"), "2");
  EXPECT_FALSE(registry.hasValue(kKey, "modem"));
  EXPECT_FALSE(registry.hasValue(kKey, "version"));
}

TEST(SettingsStore, WriterThatCannotOpenStoresNothingAndSaysNothing) {
  MemoryRegistry registry;
  registry.setReadOnly(true);
  SettingsStore settings(registry);
  EXPECT_FALSE(settings.saveSetup("p", "1", "1"));
  EXPECT_EQ(settings.openForWriting(), nullptr);
  EXPECT_FALSE(registry.keyExists(kKey));
}

TEST(SettingsStore, RefusedWriteNamesTheValueAndKeepsEarlierWrites) {
  MemoryRegistry registry;
  registry.refuseWritesOf("klas");
  SettingsStore settings(registry);
  try {
    settings.saveSetup("p", "1", "1");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'klas'");
  }
  EXPECT_EQ(registry.string(kKey, "path"), "p");
  EXPECT_EQ(registry.string(kKey, "port"), "1");
}

TEST(SettingsStore, ValueOfAnotherTypeFailsToRead) {
  MemoryRegistry registry;
  registry.setNonString(kKey, "version");
  SettingsStore settings(registry);
  EXPECT_THROW((void)settings.read("version"), Error);
  EXPECT_EQ(settings.read("port"), "");
}

}  // namespace
}  // namespace lintari
