#include "ident/capability_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/design.h"
#include "common/logic_fixture.h"
#include "common/row_name.h"
#include "ident/firmware_table.h"

namespace lintari {
namespace {

using testing_support::LogicFixture;
using testing_support::RowName;
using Names = std::vector<std::string>;

const Names kS216A{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset",  "Test",
                   "Not used",        "Not used",           "Noise filter", "Noise filter"};
const Names kS216B{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset", "Test", "Test",
                   "Noise filter",    "Noise filter",       "Max speed"};
const Names kS17A{"Mute All", "Listen renegs", "Show renegs", "Not used",
                  "Not used", "Not used",      "Not used",    "Not used"};
const Names kS218A{"Listen renegs", "Show renegs", "Test speed", "Mute All",
                   "Not used",      "Not used",    "Not used",   "Not used"};
const Names kS218B{"Listen renegs", "Show renegs",   "Mute",     "Noise filter",
                   "ForceFB test1", "ForceFB test2", "Not used", "Not used"};
const Names kS218C{"Listen renegs", "Show renegs", "Not used", "Not used",
                   "Not used",      "Not used",    "Not used", "Not used"};
const Names kS218D{"Listen renegs", "Show renegs", "Not used", "Force FallBack",
                   "Not used",      "Not used",    "Not used", "Not used"};
const Names kS218E{"Listen renegs", "Show renegs", "Test speed", "Force FallBack",
                   "Not used",      "Not used",    "Not used",   "Not used"};
const Names kS218F{"Listen renegs", "Show renegs", "Reserved", "Force FallBack",
                   "Not used",      "Not used",    "Not used", "Not used"};

const std::vector<std::string_view> kProfileSet{"GroupBox1", "GroupBox3", "SpeedButton2", "SpeedButton7",
                                                "Button1",   "TabSheet2", "LMDGroupBox2"};
// Every control the profile may change; the rest of the window must stay as designed.
const std::vector<std::string_view> kProfileControls{
    "GroupBox1",    "GroupBox3", "SpeedButton2", "SpeedButton7", "Button1",       "TabSheet2",
    "LMDGroupBox2", "GroupBox4", "RxSlider2",    "Label5",       "CheckListBox1", "CheckListBox2"};

const Names& designItems(std::string_view list) { return design::find(design::mainWindow(), list)->items; }

void expectRestAsDesigned(const Form& form, const std::vector<std::string_view>& changed) {
  for (const design::Control& c : design::mainWindow()) {
    if (std::find(changed.begin(), changed.end(), c.name) != changed.end()) continue;
    EXPECT_EQ(form.isEnabled(c.name), c.enabled) << c.name;
    if (c.kind != design::Kind::ComboBox) {
      EXPECT_EQ(form.text(c.name), c.caption) << c.name;
    }
    EXPECT_EQ(form.items(c.name), c.items) << c.name;
  }
}

void expectAllUnchecked(const Form& form, std::string_view list) {
  ASSERT_EQ(form.items(list).size(), 8u) << list;
  for (int item = 0; item < 8; ++item) EXPECT_FALSE(form.isChecked(list, item)) << list << " item " << item;
}

struct ProfileTest : ::testing::Test {
  LogicFixture f;
  CapabilityProfile profile{f.context};

  void apply(std::string_view version) {
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, version);
    profile.ApplyCapabilityProfile();
  }
  void expectSetEnabled(bool enabled) {
    for (std::string_view control : kProfileSet) EXPECT_EQ(f.main.isEnabled(control), enabled) << control;
  }
};

struct ProfileRow {
  std::string name;
  std::string version;
  bool setEnabled;
  std::string label5;
  std::optional<Names> s216Bits;    // nullopt: the design's items
  std::optional<Names> secondBits;  // nullopt: the design's items
  bool sliderEnabled;
  bool speedGroupEnabled;
  int messages;
};

struct ProfileFromDesign : ProfileTest, ::testing::WithParamInterface<ProfileRow> {};

TEST_P(ProfileFromDesign, SetsItsControlsAndNothingElse) {
  const ProfileRow& row = GetParam();
  apply(row.version);

  expectSetEnabled(row.setEnabled);
  EXPECT_EQ(f.main.text("Label5"), row.label5);
  EXPECT_EQ(f.main.items("CheckListBox1"), row.s216Bits.value_or(designItems("CheckListBox1")));
  EXPECT_EQ(f.main.items("CheckListBox2"), row.secondBits.value_or(designItems("CheckListBox2")));
  expectAllUnchecked(f.main, "CheckListBox1");
  expectAllUnchecked(f.main, "CheckListBox2");
  EXPECT_EQ(f.main.isEnabled("RxSlider2"), row.sliderEnabled);
  EXPECT_EQ(f.main.isEnabled("GroupBox4"), row.speedGroupEnabled);
  EXPECT_EQ(f.windows.messages.size(), static_cast<std::size_t>(row.messages));
  expectRestAsDesigned(f.main, kProfileControls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileFromDesign,
    ::testing::Values(
        ProfileRow{"Base4100", "4100", false, "S218", std::nullopt, std::nullopt, true, false, 1},
        ProfileRow{"kq1", "kq1", true, "S17", std::nullopt, kS17A, true, true, 0},
        ProfileRow{"DE_beta62", "DE.beta62", true, "S218", std::nullopt, kS218A, true, true, 0},
        ProfileRow{"v73nm", "73nm", true, "S218", kS216A, kS218B, true, true, 0},
        ProfileRow{"ufn", "ufn", true, "S218", kS216A, kS218B, true, true, 0},
        ProfileRow{"v72nm", "72nm", true, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"v71nm", "71nm", true, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"v71m", "71m", true, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"v84a", "84a", true, "S218", kS216B, kS218C, false, true, 0},
        ProfileRow{"v85a", "85a", true, "S218", kS216B, kS218C, false, true, 0},
        ProfileRow{"v86a", "86a", true, "S218", kS216B, kS218C, false, true, 0},
        ProfileRow{"v87", "87", true, "S218", kS216B, kS218C, false, true, 0},
        ProfileRow{"v88", "88", true, "S218", kS216B, kS218C, false, true, 0},
        ProfileRow{"v89a", "89a", true, "S218", kS216B, kS218D, false, true, 0},
        ProfileRow{"FE_beta62", "FE.beta62", true, "S218", kS216B, kS218E, false, true, 0},
        ProfileRow{"KQ2", "KQ2", true, "S218", kS216B, kS218F, false, true, 0},
        ProfileRow{"Unknown", "90a", false, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"Empty", "", false, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"CaseDiffersKQ1", "KQ1", false, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"CaseDiffers85A", "85A", false, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"TrailingBlank", "88 ", false, "S218", std::nullopt, std::nullopt, true, true, 0},
        ProfileRow{"CyrillicFinalLetter", "84\xD0\xB0", false, "S218", std::nullopt, std::nullopt, true, true,
                   0}),
    RowName{});

TEST_F(ProfileTest, EveryFirmwareBuildHasAProfile) {
  for (const FirmwareRow& build : firmwareTable()) {
    SCOPED_TRACE(std::string(build.version));
    f.windows.messages.clear();
    apply(build.version);
    // Only the base build is refused; every other known build enables the set.
    expectSetEnabled(build.version != "4100");
    EXPECT_EQ(f.windows.messages.size(), build.version == "4100" ? 1u : 0u);
  }
}

TEST_F(ProfileTest, RowWithoutLabelOrListsKeepsWhatAnEarlierBuildSet) {
  apply("kq1");
  apply("71m");
  expectSetEnabled(true);
  EXPECT_EQ(f.main.text("Label5"), "S17");
  EXPECT_EQ(f.main.items("CheckListBox2"), kS17A);
  EXPECT_EQ(f.main.items("CheckListBox1"), designItems("CheckListBox1"));
}

TEST_F(ProfileTest, KeptListKeepsItsCheckMarksRefilledListLosesThem) {
  for (int item = 0; item < 8; ++item) {
    f.main.setChecked("CheckListBox1", item, true);
    f.main.setChecked("CheckListBox2", item, true);
  }
  apply("kq1");
  for (int item = 0; item < 8; ++item) EXPECT_TRUE(f.main.isChecked("CheckListBox1", item)) << item;
  expectAllUnchecked(f.main, "CheckListBox2");
}

TEST_F(ProfileTest, BaseBuildThenSupportedBuildLeavesTheSpeedGroupDisabled) {
  apply("4100");
  apply("88");
  expectSetEnabled(true);
  EXPECT_FALSE(f.main.isEnabled("GroupBox4"));
  EXPECT_EQ(f.windows.messages,
            std::vector<std::string>{std::string(CapabilityProfile::kUnsupportedMessage)});
}

TEST_F(ProfileTest, MessageOncePerApplicationOfTheBaseBuild) {
  apply("4100");
  apply("4100");
  EXPECT_EQ(f.windows.messages.size(), 2u);
  EXPECT_EQ(f.windows.messages[0], "данная версия микропрограммы не поддерживается");
}

TEST_F(ProfileTest, NothingEnablesTheAggressivenessSliderAgain) {
  apply("85a");
  EXPECT_TRUE(f.main.isEnabled("LMDGroupBox2"));
  EXPECT_TRUE(f.main.isEnabled("RxSlider3"));
  EXPECT_FALSE(f.main.isEnabled("RxSlider2"));
  apply("kq1");
  EXPECT_FALSE(f.main.isEnabled("RxSlider2"));
}

TEST_F(ProfileTest, EnablingAGroupLeavesTheControlsInsideIt) {
  f.main.setEnabled("SpeedButton4", false);  // inside GroupBox1
  apply("kq1");
  EXPECT_TRUE(f.main.isEnabled("GroupBox1"));
  EXPECT_FALSE(f.main.isEnabled("SpeedButton4"));
  EXPECT_FALSE(f.main.isEnabled("LMD3DEffectButton1"));  // disabled by design
}

TEST_F(ProfileTest, UnknownVersionAfterAKnownOneDisablesTheSetAndKeepsTheTexts) {
  apply("kq1");
  apply("bogus");
  expectSetEnabled(false);
  EXPECT_EQ(f.main.text("Label5"), "S17");
  EXPECT_EQ(f.main.items("CheckListBox2"), kS17A);
  EXPECT_TRUE(f.windows.messages.empty());
}

TEST_F(ProfileTest, NoSettingsKeyDisablesTheSetAndCreatesNothing) {
  profile.ApplyCapabilityProfile();
  expectSetEnabled(false);
  EXPECT_FALSE(f.registry.keyExists(SettingsStore::kKeyPath));
}

TEST_F(ProfileTest, NoFirmwareFallbackDisablesFiveControlsOnly) {
  profile.applyNoFirmwareFallback();
  for (std::string_view control : {"GroupBox1", "SpeedButton2", "Button1", "TabSheet2", "LMDGroupBox2"}) {
    EXPECT_FALSE(f.main.isEnabled(control)) << control;
  }
  EXPECT_TRUE(f.windows.messages.empty());
  expectRestAsDesigned(f.main, {"GroupBox1", "SpeedButton2", "Button1", "TabSheet2", "LMDGroupBox2"});
}

}  // namespace
}  // namespace lintari
