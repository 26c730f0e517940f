#include "platform/hive_file_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "core/error.h"
#include "core/hive_text.h"
#include "link/port_map.h"

namespace lintari {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr std::string_view kLntr = SettingsStore::kKeyPath;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "lintari-hive-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::owner_all, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Waits for a child with a deadline; a child still running then is killed and
// counts as failed.
int waitChild(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    const timespec pause{0, 5'000'000};
    ::nanosleep(&pause, nullptr);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

class HiveFile : public testing::Test {
 protected:
  TempDir dir;
  fs::path hivePath = dir.path() / "hklm.reg";
};

TEST_F(HiveFile, ReadsAModemClassExportedOnWindows) {
  fs::copy_file(fs::path(LINTARI_TEST_DATA) / "nt_modem_class_export.reg", hivePath);
  HiveFileRegistry registry(hivePath.string());
  registry.check();

  auto modems = registry.openReadOnly(kClassKey);
  ASSERT_NE(modems, nullptr);
  EXPECT_EQ(modems->subkeyCount(), 2u);
  EXPECT_EQ(modems->readString(""), "Модемы");

  auto first = registry.openReadOnly(std::string(kClassKey) + "\\0000");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->readString("Model"), "Brevant TRVK2 V.92 External");
  EXPECT_EQ(first->readString("USERINIT"), "S7=60");
  EXPECT_EQ(first->subkeyCount(), 2u);
  EXPECT_EQ(errorOf([&] { (void)first->readString("MaximumPortSpeed"); }),
            "Invalid data type for 'MaximumPortSpeed'");
  EXPECT_EQ(errorOf([&] { (void)first->readString("properties"); }), "Invalid data type for 'properties'");

  auto second = registry.openReadOnly(
      "system\\currentcontrolset\\CONTROL\\class\\"
      "{4d36e96d-e325-11ce-bfc1-08002be10318}\\0001");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->readString("model"), "Brevant Kelvane 56K");
  EXPECT_EQ(second->readString("UserInit"), "S11=55");
  EXPECT_EQ(second->readString("FriendlyName"), "Модем Brevant Kelvane");
  EXPECT_EQ(registry.openReadOnly(std::string(kClassKey) + "\\0002"), nullptr);
}

TEST_F(HiveFile, AnEmptyPathOpensNothing) {
  fs::copy_file(fs::path(LINTARI_TEST_DATA) / "nt_modem_class_export.reg", hivePath);
  const std::string before = readFile(hivePath);
  HiveFileRegistry registry(hivePath.string());
  for (std::string_view path : {"", "\\", "\\\\"}) {
    EXPECT_EQ(registry.openReadOnly(path), nullptr) << path;
    EXPECT_EQ(registry.openReadWrite(path), nullptr) << path;
    EXPECT_EQ(registry.openOrCreate(path, kKeyAllAccess), nullptr) << path;
  }
  EXPECT_EQ(readFile(hivePath), before);
}

TEST_F(HiveFile, WritingIntoAWindowsExportKeepsEverythingElse) {
  fs::copy_file(fs::path(LINTARI_TEST_DATA) / "nt_modem_class_export.reg", hivePath);
  HiveFileRegistry registry(hivePath.string());
  auto modem = registry.openReadWrite(std::string(kClassKey) + "\\0000");
  ASSERT_NE(modem, nullptr);
  modem->writeString("USERINIT", "S7=60S11=55");

  const std::string text = readFile(hivePath);
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u) << "rewritten as UTF-8";
  EXPECT_NE(text.find("\"UserInit\"=\"S7=60S11=55\""), std::string::npos);
  EXPECT_NE(text.find("\"Properties\"=hex:80,01,00,00,ff,00,00,00,ff,00,00,00,07,00,00,00,0f,00,00,00,\\\n"
                      "  f7,03,00,00,00,c2,01,00,40,83,00,00\n"),
            std::string::npos);
  EXPECT_NE(text.find("\"MaximumPortSpeed\"=dword:0001c200"), std::string::npos);
  EXPECT_EQ(registry.openReadOnly(kClassKey)->subkeyCount(), 2u);
  EXPECT_EQ(registry.openReadOnly(std::string(kClassKey) + "\\0001")->readString("FriendlyName"),
            "Модем Brevant Kelvane");
}

TEST_F(HiveFile, MissingFileIsEmptyAndTheFirstCommitMakesItsFolder) {
  const fs::path nested = dir.path() / "config" / "lintari" / "hklm.reg";
  HiveFileRegistry registry(nested.string());
  EXPECT_EQ(registry.openReadOnly(kLntr), nullptr);
  EXPECT_EQ(registry.openReadWrite(kLntr), nullptr);
  EXPECT_FALSE(fs::exists(nested.parent_path()));

  auto key = registry.openOrCreate(kLntr, kKeyAllAccess);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(fs::status(nested.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
  HiveFileRegistry other(nested.string());
  ASSERT_NE(other.openReadOnly(kLntr), nullptr) << "the key is committed by the open";

  key->writeString("port", "3");
  EXPECT_EQ(other.openReadOnly(kLntr)->readString("PORT"), "3");
  other.openReadWrite(kLntr)->writeString("Port", "4");
  EXPECT_EQ(key->readString("port"), "4") << "nothing cached";
  EXPECT_TRUE(key->deleteValue("port"));
  EXPECT_FALSE(key->deleteValue("port"));
  EXPECT_EQ(other.openReadOnly(kLntr)->readString("port"), std::nullopt);
  EXPECT_FALSE(fs::exists(nested.string() + ".tmp"));
}

TEST_F(HiveFile, ReadOnlyFileRefusesEveryOpenForWriting) {
  writeFile(hivePath,
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n\"port\"=\"1\"\n");
  HiveFileRegistry registry(hivePath.string());
  auto openedBefore = registry.openReadWrite(kLntr);
  ASSERT_NE(openedBefore, nullptr);
  const std::string before = readFile(hivePath);
  fs::permissions(hivePath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  EXPECT_EQ(registry.openReadWrite(kLntr), nullptr);
  EXPECT_EQ(registry.openOrCreate(kLntr, kKeyAllAccess), nullptr);
  EXPECT_EQ(registry.openOrCreate("\\SOFTWARE\\Other", kKeyAllAccess), nullptr);
  EXPECT_EQ(errorOf([&] { openedBefore->writeString("port", "2"); }), "Failed to set data for 'port'");
  EXPECT_FALSE(openedBefore->deleteValue("port"));
  EXPECT_FALSE(SettingsStore(registry).saveSetup("p", "2", "1"));
  EXPECT_EQ(registry.openReadOnly(kLntr)->readString("port"), "1");
  EXPECT_EQ(readFile(hivePath), before);
}

TEST_F(HiveFile, ReadOnlyFolderRefusesToCreateTheFile) {
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  HiveFileRegistry registry((folder / "hklm.reg").string());
  EXPECT_EQ(registry.openOrCreate(kLntr, kKeyAllAccess), nullptr);
  EXPECT_FALSE(fs::exists(folder / "hklm.reg"));
}

using Step = HiveFileRegistry::CommitStep;
constexpr Step kSteps[] = {Step::Locked, Step::TempWritten, Step::TempSynced, Step::Renamed,
                           Step::FolderSynced};

class InterruptedCommit : public HiveFile {
 protected:
  void SetUp() override {
    writeFile(
        hivePath,
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n\"port\"=\"1\"\n");
    oldText = readFile(hivePath);
    Hive changed = Hive::parse(oldText);
    changed.setString(kLntr, "port", "2");
    newText = changed.serialize();
  }
  [[nodiscard]] bool committedFrom(Step step) const { return step >= Step::Renamed; }

  std::string oldText;
  std::string newText;
};

TEST_F(InterruptedCommit, ByAFailureLeavesTheOldOrTheNewFileAndNoTemporary) {
  for (Step failing : kSteps) {
    SCOPED_TRACE(static_cast<int>(failing));
    writeFile(hivePath, oldText);
    HiveFileRegistry registry(hivePath.string());
    auto key = registry.openReadWrite(kLntr);
    ASSERT_NE(key, nullptr);
    registry.setCommitHook([failing](Step step) {
      if (step == failing) throw Error("injected");
    });
    EXPECT_EQ(errorOf([&] { key->writeString("port", "2"); }), "Failed to set data for 'port'");
    EXPECT_EQ(readFile(hivePath), committedFrom(failing) ? newText : oldText);
    EXPECT_FALSE(fs::exists(hivePath.string() + ".tmp"));

    registry.setCommitHook(nullptr);
    key->writeString("port", "3");
    EXPECT_EQ(key->readString("port"), "3");
  }
}

TEST_F(InterruptedCommit, ByACrashLeavesTheOldOrTheNewFile) {
  for (Step crashing : kSteps) {
    SCOPED_TRACE(static_cast<int>(crashing));
    writeFile(hivePath, oldText);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HiveFileRegistry registry(hivePath.string());
      registry.setCommitHook([crashing](Step step) {
        if (step == crashing) ::_exit(0);
      });
      try {
        registry.openReadWrite(kLntr)->writeString("port", "2");
      } catch (...) {
        ::_exit(2);
      }
      ::_exit(3);
    }
    ASSERT_EQ(waitChild(child), 0);
    EXPECT_EQ(readFile(hivePath), committedFrom(crashing) ? newText : oldText);

    // A temporary file the crash left behind is neither read nor in the way.
    HiveFileRegistry registry(hivePath.string());
    auto key = registry.openReadWrite(kLntr);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->readString("port"), committedFrom(crashing) ? "2" : "1");
    key->writeString("klas", "1");
    EXPECT_EQ(key->readString("port"), committedFrom(crashing) ? "2" : "1");
    EXPECT_FALSE(fs::exists(hivePath.string() + ".tmp"));
  }
}

TEST_F(HiveFile, TwoProcessesWritingAtOnceKeepEveryValue) {
  constexpr int kRounds = 40;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  pid_t children[2];
  for (int writer = 0; writer < 2; ++writer) {
    children[writer] = ::fork();
    ASSERT_GE(children[writer], 0);
    if (children[writer] == 0) {
      ::close(go[1]);
      char start = 0;
      if (::read(go[0], &start, 1) != 0) ::_exit(4);
      try {
        HiveFileRegistry registry(hivePath.string());
        for (int round = 0; round < kRounds; ++round) {
          const std::string name = std::string(1, static_cast<char>('a' + writer)) + std::to_string(round);
          auto key = registry.openOrCreate(kLntr, kKeyAllAccess);
          if (!key) ::_exit(5);
          key->writeString(name, "v" + std::to_string(round));
        }
      } catch (...) {
        ::_exit(6);
      }
      ::_exit(0);
    }
  }
  ::close(go[0]);
  // Closing the pipe's writing end releases both writers at the same moment.
  ::close(go[1]);
  EXPECT_EQ(waitChild(children[0]), 0);
  EXPECT_EQ(waitChild(children[1]), 0);

  HiveFileRegistry registry(hivePath.string());
  auto key = registry.openReadOnly(kLntr);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->listValues().size(), 2u * kRounds);
  for (int round = 0; round < kRounds; ++round) {
    EXPECT_EQ(key->readString("a" + std::to_string(round)), "v" + std::to_string(round));
    EXPECT_EQ(key->readString("b" + std::to_string(round)), "v" + std::to_string(round));
  }
}

const std::string kBadHive =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n"
    "\"port\"=\"3\"\n"
    "\"klas\"=\"2\"\n"
    "\n"
    "\"path\"=\"\\SYSTEM\\Modems\\0000\"\n";

TEST_F(HiveFile, UnreadableFileIsReportedOnceAndNeverOverwritten) {
  writeFile(hivePath, kBadHive);
  HiveFileRegistry registry(hivePath.string());
  const std::string message = errorOf([&] { registry.check(); });
  EXPECT_EQ(message.rfind("The registry file " + hivePath.string() + " cannot be read (line 7: ", 0), 0u)
      << message;
  EXPECT_NE(message.find("unchanged"), std::string::npos);
  EXPECT_EQ(errorOf([&] { registry.check(); }), "");

  EXPECT_EQ(registry.openReadOnly(kLntr), nullptr);
  EXPECT_EQ(registry.openReadWrite(kLntr), nullptr);
  EXPECT_EQ(registry.openOrCreate(kLntr, kKeyAllAccess), nullptr);
  EXPECT_EQ(SettingsStore(registry).read("port"), "");
  EXPECT_FALSE(SettingsStore(registry).saveSetup("p", "1", "1"));
  EXPECT_EQ(readFile(hivePath), kBadHive);

  // Mended while the program runs: still left alone until the restart.
  writeFile(hivePath, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n");
  EXPECT_EQ(registry.openReadOnly(kLntr), nullptr);
}

TEST_F(HiveFile, FileSpoiltWhileAKeyIsOpenIsReportedByTheNextUse) {
  writeFile(hivePath, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n");
  HiveFileRegistry registry(hivePath.string());
  auto key = registry.openReadWrite(kLntr);
  ASSERT_NE(key, nullptr);
  writeFile(hivePath, kBadHive);

  EXPECT_NE(errorOf([&] { key->writeString("port", "4"); }).find("line 7"), std::string::npos);
  EXPECT_EQ(errorOf([&] { key->writeString("port", "4"); }), "Failed to set data for 'port'");
  EXPECT_EQ(key->readString("port"), std::nullopt);
  EXPECT_FALSE(key->deleteValue("klas"));
  EXPECT_EQ(readFile(hivePath), kBadHive);
  EXPECT_FALSE(fs::exists(hivePath.string() + ".tmp"));
}

TEST_F(HiveFile, FirstOperationReportsAnUnreadableFileWithoutACheck) {
  writeFile(hivePath, kBadHive);
  HiveFileRegistry registry(hivePath.string());
  EXPECT_NE(errorOf([&] { (void)registry.openReadOnly(kLntr); }).find("line 7"), std::string::npos);
  EXPECT_EQ(registry.openReadOnly(kLntr), nullptr);
}

TEST_F(HiveFile, SettingsStoreOverTheFile) {
  HiveFileRegistry registry(hivePath.string());
  SettingsStore settings(registry);
  EXPECT_EQ(settings.read(SettingsStore::kPort), "");
  EXPECT_EQ(settings.ReadModemKeyPath(), "");
  EXPECT_FALSE(fs::exists(hivePath)) << "reading creates nothing";

  // Firmware identification: forget, then store series and version.
  {
    auto key = settings.openForWriting();
    ASSERT_NE(key, nullptr);
    key->deleteValue(SettingsStore::kModem);
    key->deleteValue(SettingsStore::kVersion);
    key->writeString(SettingsStore::kModem, "TRVK2");
    key->writeString(SettingsStore::kVersion, "84a");
  }
  EXPECT_EQ(HiveFileRegistry(hivePath.string()).openReadOnly(kLntr)->readString("modem"), "TRVK2");

  const std::string modemPath = std::string(kClassKey) + "\\0001";
  ASSERT_TRUE(settings.saveSetup(modemPath, "3", "2"));
  HiveFileRegistry fresh(hivePath.string());
  SettingsStore again(fresh);
  EXPECT_EQ(again.ReadModemKeyPath(), modemPath);
  EXPECT_EQ(again.read(SettingsStore::kPort), "3");
  EXPECT_EQ(again.read(SettingsStore::kKlas), "2");
  EXPECT_EQ(again.readIdentification().modem, "");
  EXPECT_EQ(again.readIdentification().version, "");
  EXPECT_NE(readFile(hivePath).find("\"path\"=\"\\\\SYSTEM\\\\CurrentControlSet\\\\"), std::string::npos);
}

TEST_F(HiveFile, PortMapComesFromTheFile) {
  HiveFileRegistry registry(hivePath.string());
  EXPECT_EQ(devicePathForPort(registry, 3), "/dev/ttyS2");
  writeFile(hivePath,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
            "\"/dev/ttyUSB0\"=\"COM3\"\n");
  EXPECT_EQ(devicePathForPort(registry, 3), "/dev/ttyUSB0");
  EXPECT_EQ(devicePathForPort(registry, 1), "/dev/ttyS0");
}

TEST_F(HiveFile, LinkedHiveStaysALink) {
  const fs::path target = dir.path() / "kept" / "hklm.reg";
  fs::create_directory(target.parent_path());
  writeFile(target, "Windows Registry Editor Version 5.00\n\n");
  fs::create_symlink(target, hivePath);
  HiveFileRegistry registry(hivePath.string());
  ASSERT_NE(registry.openOrCreate(kLntr, kKeyAllAccess), nullptr);
  EXPECT_TRUE(fs::is_symlink(hivePath));
  EXPECT_NE(readFile(target).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]"), std::string::npos);
}

class Environment {
 public:
  Environment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name, value->c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
  }
  static void set(const char* name, const char* value) {
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }

 private:
  static constexpr const char* kNames[] = {"LINTARI_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(DefaultHivePath, FollowsTheEnvironment) {
  struct Row {
    const char* registry;
    const char* config;
    const char* home;
    const char* expected;
  };
  const Row rows[] = {
      {"/srv/hive.reg", "/cfg", "/home/u", "/srv/hive.reg"},
      {nullptr, "/cfg", "/home/u", "/cfg/lintari/hklm.reg"},
      {"", "/cfg", "/home/u", "/cfg/lintari/hklm.reg"},
      {nullptr, nullptr, "/home/u", "/home/u/.config/lintari/hklm.reg"},
      {nullptr, "relative/cfg", "/home/u", "/home/u/.config/lintari/hklm.reg"},
  };
  Environment restore;
  for (const Row& row : rows) {
    Environment::set("LINTARI_REGISTRY", row.registry);
    Environment::set("XDG_CONFIG_HOME", row.config);
    Environment::set("HOME", row.home);
    EXPECT_EQ(defaultHivePath(), row.expected);
  }
}

}  // namespace
}  // namespace lintari
