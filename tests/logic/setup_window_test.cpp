#include "app/setup_window.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "common/logic_fixture.h"
#include "common/row_name.h"

namespace lintari {
namespace {

using testing_support::LogicFixture;
using testing_support::RowName;

constexpr std::string_view kNtClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr std::string_view k95ClassKey = "\\System\\CurrentControlSet\\Services\\Class\\Modem";

struct SlotRow {
  std::string name;
  unsigned index;
  std::string slot;
};

class SlotNames : public ::testing::TestWithParam<SlotRow> {};

TEST_P(SlotNames, AreTwoOrMoreUpperCaseHexDigitsAfterTwoZeros) {
  EXPECT_EQ(SetupWindow::slotName(GetParam().index), GetParam().slot);
}

INSTANTIATE_TEST_SUITE_P(Table, SlotNames,
                         ::testing::Values(SlotRow{"First", 0, "0000"}, SlotRow{"Nine", 9, "0009"},
                                           SlotRow{"Ten", 10, "000A"}, SlotRow{"Last2Digits", 255, "00FF"},
                                           SlotRow{"ThreeDigits", 256, "00100"},
                                           SlotRow{"NoSelection", 0xFFFFFFFFu, "00FFFFFFFF"}),
                         RowName{});

struct FamilyRow {
  std::string name;
  std::string family;
  std::string_view classKey;
};

class ClassKeys : public ::testing::TestWithParam<FamilyRow> {};

TEST_P(ClassKeys, OnlyWindows95KeepsTheOldKey) {
  EXPECT_EQ(SetupWindow::classKeyFor(GetParam().family), GetParam().classKey);
}

INSTANTIATE_TEST_SUITE_P(Table, ClassKeys,
                         ::testing::Values(FamilyRow{"Windows95", "Windows 95", k95ClassKey},
                                           FamilyRow{"WindowsNT", "Windows NT", kNtClassKey},
                                           FamilyRow{"Linux", "Linux", kNtClassKey},
                                           FamilyRow{"Win32s", "Win32s", kNtClassKey},
                                           FamilyRow{"OtherCase", "windows 95", kNtClassKey},
                                           FamilyRow{"Unknown", "(Unknown)", kNtClassKey}),
                         RowName{});

struct SetupWindowTest : ::testing::Test {
  LogicFixture f;
  MainWindow mainWindow{f.context};
  int initialisations = 0;

  SetupWindowTest() {
    mainWindow.hooks().fillInfoPage = [this] { ++initialisations; };
  }
};

TEST_F(SetupWindowTest, TheWindows95FamilyListsAndStoresBelowTheOldClassKey) {
  f.registry.setString(std::string(k95ClassKey) + "\\0000", "Model", "Brevant TRVK1");
  f.registry.setString(std::string(kNtClassKey) + "\\0000", "Model", "elsewhere");
  SetupWindow setup(f.context, mainWindow, "Windows 95");
  setup.FormCreate();
  EXPECT_EQ(f.setup.items("ComboBox1"), std::vector<std::string>{"Brevant TRVK1"});
  setup.Button1Click();
  EXPECT_EQ(f.registry.string(SettingsStore::kKeyPath, SettingsStore::kPath),
            std::string(k95ClassKey) + "\\0000");
}

TEST_F(SetupWindowTest, FirstRunShowsTheSetupWindowAndLeavesTheMainWindowHiddenAndDisabled) {
  SetupWindow setup(f.context, mainWindow);
  setup.FormCreate();
  EXPECT_EQ(f.windows.calls, (std::vector<std::string>{"hideMain", "showSetup", "disableMain", "showSetup",
                                                       "disableMain", "hideMain"}));
  EXPECT_EQ(initialisations, 0);
}

TEST_F(SetupWindowTest, NormalRunKeepsTheSetupWindowHiddenAndInitialisesTwice) {
  f.configureModem();
  SetupWindow setup(f.context, mainWindow);
  setup.FormCreate();
  EXPECT_EQ(f.windows.calls, (std::vector<std::string>{"hideMain", "hideMain"}));
  EXPECT_EQ(initialisations, 2);
}

TEST_F(SetupWindowTest, SavingTellsTheRefusalThenAsksForARestartAndShutsDown) {
  f.registry.refuseWritesOf(SettingsStore::kKlas);
  f.port.open(1);
  SetupWindow setup(f.context, mainWindow);
  setup.Button1Click();
  EXPECT_EQ(f.windows.calls, (std::vector<std::string>{"error", "message", "closeMain", "hideSetup"}));
  EXPECT_EQ(f.windows.errors, std::vector<std::string>{"Failed to set data for 'klas'"});
  EXPECT_EQ(f.windows.messages, std::vector<std::string>{"Пожалуйста перезапустите программу"});
  EXPECT_FALSE(f.port.isOpen());
  EXPECT_EQ(f.registry.string(SettingsStore::kKeyPath, SettingsStore::kPort), "0");
  EXPECT_FALSE(f.registry.hasValue(SettingsStore::kKeyPath, SettingsStore::kKlas));
}

struct InitialisationRow {
  const char* name;
  const char* version;
  std::vector<std::string> order;
};

class MainWindowInitialisation : public ::testing::TestWithParam<InitialisationRow> {};

TEST_P(MainWindowInitialisation, FillsTheInfoPageThenAppliesTheProfileOrTheFallback) {
  LogicFixture f;
  if (*GetParam().version != '\0') {
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, GetParam().version);
  }
  MainWindow mainWindow(f.context);
  std::vector<std::string> order;
  mainWindow.hooks().fillInfoPage = [&] { order.emplace_back("fill"); };
  mainWindow.hooks().applyCapabilityProfile = [&] { order.emplace_back("profile"); };
  mainWindow.hooks().applyNoFirmwareFallback = [&] { order.emplace_back("fallback"); };
  mainWindow.FormCreate();
  EXPECT_EQ(order, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowInitialisation,
    ::testing::Values(InitialisationRow{"KnownVersion", "kq1", {"fill", "profile"}},
                      InitialisationRow{"UnknownVersion", "zz9", {"fill", "profile"}},
                      InitialisationRow{"NoVersion", "", {"fill", "fallback"}}),
    RowName{});

}  // namespace
}  // namespace lintari
