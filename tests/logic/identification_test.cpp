#include "ident/identification.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "common/logic_fixture.h"
#include "core/error.h"

namespace lintari {
namespace {

using testing_support::FakeClock;
using testing_support::FakeForm;
using testing_support::FakePort;
using testing_support::FakeWindows;
using testing_support::LogicFixture;
using testing_support::RecordingShell;

constexpr std::string_view kKey = SettingsStore::kKeyPath;

// What the modem sends back with echo on: each command line echoed, the
// identification text, and one OK per command.
std::string ati3Answer(std::string_view text) {
  return "ATE1\r\r\nOK\r\nATI3\r\r\n" + std::string(text) + "\r\n\r\nOK\r\n";
}

// The Info page, the profile and identification over one fixture.
struct Rig {
  LogicFixture f;
  InfoPage info{f.context};
  CapabilityProfile profile{f.context};
  Identification identification{f.context, info, profile};

  Rig() { f.configureModem(); }

  void store(std::string_view modem, std::string_view version) {
    f.registry.setString(kKey, SettingsStore::kModem, modem);
    f.registry.setString(kKey, SettingsStore::kVersion, version);
  }
  // Presses the button and lets the answer arrive.
  void identify(std::string_view text) {
    identification.SpeedButton6Click();
    f.port.feed(ati3Answer(text));
    f.link.onReadable();
  }
  std::optional<std::string> stored(std::string_view name) const { return f.registry.string(kKey, name); }
  bool nothingPending() const { return f.link.replyText().empty() && f.link.requestKind() == kind::None; }
};

struct IdentificationTest : ::testing::Test, Rig {};

TEST(FindFirmwareBuilds, EachPatternFindsExactlyItsOwnBuild) {
  for (const FirmwareRow& build : firmwareTable()) {
    SCOPED_TRACE(std::string(build.pattern));
    const auto found = FindFirmwareBuilds("xx" + std::string(build.pattern) + "OK");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].version, build.version);
  }
}

TEST(FindFirmwareBuilds, EveryCharacterOfAPatternCounts) {
  for (std::string_view text :
       {"ZPL4_R1.914.kq1-V92_K38_RMB", "zpl4_r1.914.kq1-v92_k38_rmb", "ZPL4 beta ver. 87--V90_K38_RMB",
        "Kelvane@56k Field Edition KQ2 --V92_K38_RMB", "Kelvane@56 k FE.beta62 --V92_K38_RMB",
        "R5.310K71-V90_4M_QL", ""}) {
    EXPECT_TRUE(FindFirmwareBuilds(text).empty()) << text;
  }
}

TEST_F(IdentificationTest, ButtonAsksForTheIdentificationTextWithEchoOn) {
  Handlers handlers;
  identification.bind(handlers);
  ASSERT_EQ(handlers.size(), 1u);
  EXPECT_EQ(handlers[0].window, "TForm1");
  EXPECT_EQ(handlers[0].control, "SpeedButton6");
  EXPECT_EQ(handlers[0].event, Event::Click);
  f.link.VaCommRxBuf("stale");
  handlers[0].run();
  EXPECT_EQ(f.port.sentText(), "ATE1\rATI3\r");
  EXPECT_EQ(f.port.portNumber(), 1);
  EXPECT_EQ(f.link.requestKind(), kind::Identification);
  EXPECT_EQ(f.link.replyText(), "");
}

TEST(IdentificationOfEveryBuild, StoresItAndRefreshesInfoPageAndProfileAtOnce) {
  for (const FirmwareRow& build : firmwareTable()) {
    SCOPED_TRACE(std::string(build.version));
    Rig rig;
    rig.identify("ATI3 answer " + std::string(build.pattern));
    EXPECT_EQ(rig.stored(SettingsStore::kModem), build.series);
    EXPECT_EQ(rig.stored(SettingsStore::kVersion), build.version);
    EXPECT_EQ(rig.f.main.text("Label15"), InfoPage::kMakerText);
    EXPECT_NE(rig.f.main.text("Label17"), "стандартная");
    const bool supported = build.version != "4100";
    EXPECT_EQ(rig.f.main.isEnabled("GroupBox1"), supported);
    EXPECT_EQ(rig.f.main.isEnabled("TabSheet2"), supported);
    EXPECT_EQ(rig.f.windows.messages.size(), supported ? 0u : 1u);
    EXPECT_TRUE(rig.nothingPending());
  }
}

TEST_F(IdentificationTest, LaterRowOfTheTableWinsWhenTheAnswerHoldsTwo) {
  identify("FE_beta72c-V90_4M_QLT Kelvane@56 k Field Edition KQ2 --V92_K38_RMB");
  EXPECT_EQ(stored(SettingsStore::kModem), "Kelvane");
  EXPECT_EQ(stored(SettingsStore::kVersion), "KQ2");
  EXPECT_EQ(f.main.text("Label17"), "второй официальный релиз");
  EXPECT_EQ(f.main.items("CheckListBox2")[2], "Reserved");
}

TEST_F(IdentificationTest, AnswerWithoutAKnownBuildForgetsTheEarlierOne) {
  store("TRVK2", "kq1");
  info.FillInfoPage();
  profile.ApplyCapabilityProfile();
  ASSERT_TRUE(f.main.isEnabled("GroupBox1"));

  identify("zpl4_r1.914.kq1-v92_k38_rmb");  // the kq1 text in lower case
  EXPECT_FALSE(f.registry.hasValue(kKey, SettingsStore::kModem));
  EXPECT_FALSE(f.registry.hasValue(kKey, SettingsStore::kVersion));
  for (std::string_view control :
       {"GroupBox1", "GroupBox3", "SpeedButton2", "SpeedButton7", "Button1", "TabSheet2", "LMDGroupBox2"}) {
    EXPECT_FALSE(f.main.isEnabled(control)) << control;
  }
  EXPECT_EQ(f.main.text("Label15"), InfoPage::kMakerText);
  EXPECT_EQ(f.main.text("Label17"), "первый официальный релиз");
  EXPECT_EQ(f.main.text("Label5"), "S17");
  EXPECT_TRUE(nothingPending());
}

TEST_F(IdentificationTest, AnswerOfTwentyCharactersIsNotExamined) {
  store("TRVK2", "kq1");
  identification.SpeedButton6Click();
  // The shortest pattern fits in twenty characters.
  f.link.VaCommRxBuf("ATI3\r\nFE_FN-V90_4M_QLT\r\n");
  ASSERT_EQ(f.link.replyText().size(), 20u);
  f.link.VaCommTxEmpty();
  EXPECT_EQ(stored(SettingsStore::kVersion), "kq1");
  EXPECT_EQ(f.link.requestKind(), kind::Identification);
  EXPECT_EQ(f.main.text("Label15"), "стандартный модем");

  f.link.VaCommRxBuf("O");
  f.link.VaCommTxEmpty();
  EXPECT_EQ(stored(SettingsStore::kModem), "TRVK1");
  EXPECT_EQ(stored(SettingsStore::kVersion), "ufn");
  EXPECT_TRUE(nothingPending());
}

TEST_F(IdentificationTest, SecondIdentificationOverwritesTheFirst) {
  identify("ZPL4_R1.914.KQ1-V92_K38_RMB");
  EXPECT_EQ(f.main.text("Label5"), "S17");
  identify("ZPL4 beta ver. 88 --V90_K38_RMB");
  EXPECT_EQ(stored(SettingsStore::kModem), "TRVK2");
  EXPECT_EQ(stored(SettingsStore::kVersion), "88");
  EXPECT_EQ(f.main.text("Label17"), "русская версия beta 88");
  EXPECT_FALSE(f.main.isEnabled("RxSlider2"));
  EXPECT_EQ(f.port.openCount, 1);
}

TEST_F(IdentificationTest, UnwritableSettingsStoreNothingAndStillRefresh) {
  store("TRVK2", "kq1");
  f.registry.setReadOnly(true);
  identify("ZPL4 beta ver. 84a--V90_K38_RMB");
  EXPECT_EQ(stored(SettingsStore::kModem), "TRVK2");
  EXPECT_EQ(stored(SettingsStore::kVersion), "kq1");
  EXPECT_EQ(f.main.text("Label17"), "первый официальный релиз");
  EXPECT_EQ(f.main.text("Label5"), "S17");
  EXPECT_TRUE(f.main.isEnabled("TabSheet2"));
  EXPECT_TRUE(nothingPending());
}

TEST_F(IdentificationTest, RefusedWriteStillRefreshesAndClearsThenRaises) {
  store("Kelvane", "KQ2");
  f.registry.refuseWritesOf(SettingsStore::kVersion);
  identification.SpeedButton6Click();
  f.port.feed(ati3Answer("ZPL4 beta ver. 84a--V90_K38_RMB"));
  try {
    f.link.onReadable();
    ADD_FAILURE() << "the refused write was not raised";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'version'");
  }
  // The series was written before the refusal; the old version is gone.
  EXPECT_EQ(stored(SettingsStore::kModem), "TRVK2");
  EXPECT_FALSE(f.registry.hasValue(kKey, SettingsStore::kVersion));
  EXPECT_TRUE(nothingPending());
  EXPECT_FALSE(f.main.isEnabled("GroupBox1"));  // the refresh ran on the empty version
  EXPECT_EQ(f.main.text("Label15"), "стандартный модем");

  f.link.VaCommTxEmpty();
  EXPECT_TRUE(nothingPending());
}

TEST(IdentificationAfterItsEnd, AnswerIsNoLongerHandedToIt) {
  LogicFixture f;
  f.configureModem();
  InfoPage info{f.context};
  CapabilityProfile profile{f.context};
  {
    Identification identification{f.context, info, profile};
    identification.SpeedButton6Click();
  }
  f.port.feed(ati3Answer("ZPL4 beta ver. 84a--V90_K38_RMB"));
  f.link.onReadable();
  EXPECT_FALSE(f.registry.hasValue(kKey, SettingsStore::kVersion));
}

// A window host whose message box lets events run, as a modal box does.
class ModalWindows : public FakeWindows {
 public:
  void showMessage(std::string_view text) override {
    FakeWindows::showMessage(text);
    if (whileShown) whileShown();
  }
  std::function<void()> whileShown;
};

struct ModalRig {
  MemoryRegistry registry;
  SettingsStore settings{registry};
  FakeClock clock;
  FakePort port{clock};
  ModalWindows windows;
  RecordingShell shell;
  ModemLink link{settings, port, clock, windows};
  FakeForm main{design::mainWindow()};
  FakeForm setup{design::setupWindow()};
  FakeForm diagram{design::diagramWindow()};
  Context context{main, setup, diagram, registry, settings, link, windows, shell};
  InfoPage info{context};
  CapabilityProfile profile{context};
  Identification identification{context, info, profile};
};

TEST(IdentificationOfTheBaseBuild, ShowsTheMessageOnceWhileNothingIsPending) {
  ModalRig rig;
  rig.registry.setString(kKey, SettingsStore::kPath, "\\SYSTEM\\Modems\\0000");
  rig.registry.setString(kKey, SettingsStore::kPort, "2");
  int seenWhileShown = 0;
  rig.windows.whileShown = [&] {
    ++seenWhileShown;
    EXPECT_EQ(rig.link.requestKind(), kind::None);
    EXPECT_EQ(rig.link.replyText(), "");
    EXPECT_TRUE(rig.main.isEnabled("GroupBox4"));  // disabled only once the box is closed
    EXPECT_EQ(rig.main.text("Label17"), "базовая версия 4.100");
    // More of the same answer arrives while the box is open.
    rig.link.VaCommRxBuf("R4.100-V90_4M_QLT R4.100-V90_4M_QLT");
    rig.link.VaCommTxEmpty();
  };
  rig.identification.SpeedButton6Click();
  rig.port.feed(ati3Answer("44000 R4.100-V90_4M_QLT"));
  rig.link.onReadable();
  EXPECT_EQ(seenWhileShown, 1);
  EXPECT_EQ(rig.windows.messages,
            std::vector<std::string>{std::string(CapabilityProfile::kUnsupportedMessage)});
  EXPECT_EQ(rig.registry.string(kKey, SettingsStore::kVersion), "4100");
  EXPECT_FALSE(rig.main.isEnabled("GroupBox4"));
  EXPECT_FALSE(rig.main.isEnabled("GroupBox1"));
  EXPECT_EQ(rig.link.replyText(), "");
}

}  // namespace
}  // namespace lintari
