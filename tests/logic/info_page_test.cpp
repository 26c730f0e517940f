#include "ident/info_page.h"

#include <gtest/gtest.h>

#include <string>

#include "common/logic_fixture.h"
#include "common/row_name.h"
#include "ident/firmware_table.h"

namespace lintari {
namespace {

using testing_support::LogicFixture;
using testing_support::RowName;

constexpr std::string_view kCyrillicA = "\xD0\xB0";  // U+0430

struct InfoPageTest : ::testing::Test {
  LogicFixture f;
  InfoPage page{f.context};

  void store(std::string_view modem, std::string_view version) {
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, modem);
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, version);
  }
  void expectTexts(std::string_view maker, std::string_view series, std::string_view firmware) {
    EXPECT_EQ(f.main.text("Label15"), maker);
    EXPECT_EQ(f.main.text("Label16"), series);
    EXPECT_EQ(f.main.text("Label17"), firmware);
  }
  void expectDesignTexts() { expectTexts("стандартный модем", "стандартная, Conexant", "стандартная"); }
};

struct InfoRow {
  std::string name;
  std::string modem;
  std::string version;
  std::string series;
  std::string firmware;
};

struct InfoPageNames : InfoPageTest, ::testing::WithParamInterface<InfoRow> {};

TEST_P(InfoPageNames, TheStoredBuild) {
  const InfoRow& row = GetParam();
  store(row.modem, row.version);
  page.FillInfoPage();
  expectTexts("производства компании Brevant", row.series, row.firmware);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InfoPageNames,
    ::testing::Values(
        InfoRow{"TRVK1_71m", "TRVK1", "71m", "серия TRVK1", "русская версия beta 71"},
        InfoRow{"TRVK1_71nm", "TRVK1", "71nm", "серия TRVK1", "русская версия beta 71n"},
        InfoRow{"TRVK1_72nm", "TRVK1", "72nm", "серия TRVK1", "русская версия beta 72n"},
        InfoRow{"TRVK1_73nm", "TRVK1", "73nm", "серия TRVK1", "русская версия beta 73n"},
        InfoRow{"TRVK1_ufn", "TRVK1", "ufn", "серия TRVK1", "русская версия финальный релиз"},
        InfoRow{"TRVK1_4100", "TRVK1", "4100", "серия TRVK1", "базовая версия 4.100"},
        InfoRow{"TRVK2_kq1", "TRVK2", "kq1", "серия TRVK2", "первый официальный релиз"},
        InfoRow{"Kelvane_DE_beta62", "Kelvane", "DE.beta62", "серия Kelvane56@k Ext", "Desk Edition.beta62"},
        InfoRow{"Kelvane_FE_beta62", "Kelvane", "FE.beta62", "серия Kelvane56@k Ext",
                "Field Edition. Beta 62"},
        InfoRow{"Kelvane_KQ2", "Kelvane", "KQ2", "серия Kelvane56@k Ext", "второй официальный релиз"},
        InfoRow{"TRVK2_84a", "TRVK2", "84a", "серия TRVK2",
                "русская версия beta 84" + std::string(kCyrillicA)},
        InfoRow{"TRVK2_85a", "TRVK2", "85a", "серия TRVK2",
                "русская версия beta 85" + std::string(kCyrillicA)},
        InfoRow{"TRVK2_86a", "TRVK2", "86a", "серия TRVK2",
                "русская версия beta 86" + std::string(kCyrillicA)},
        InfoRow{"TRVK2_87", "TRVK2", "87", "серия TRVK2", "русская версия beta 87"},
        InfoRow{"TRVK2_88", "TRVK2", "88", "серия TRVK2", "русская версия beta 88"},
        InfoRow{"TRVK2_89a", "TRVK2", "89a", "серия TRVK2", "русская версия beta 89a"}),
    RowName{});

TEST_F(InfoPageTest, FinalLetterOfTheBetaNamesIsCyrillicExceptFor89a) {
  for (std::string_view version : {"84a", "85a", "86a", "89a"}) {
    SCOPED_TRACE(std::string(version));
    store("TRVK2", version);
    page.FillInfoPage();
    const std::string firmware = f.main.text("Label17");
    if (version == "89a") {
      EXPECT_TRUE(firmware.ends_with(" 89a"));
    } else {
      ASSERT_GE(firmware.size(), 2u);
      EXPECT_EQ(static_cast<unsigned char>(firmware[firmware.size() - 2]), 0xD0u);
      EXPECT_EQ(static_cast<unsigned char>(firmware[firmware.size() - 1]), 0xB0u);
    }
  }
}

TEST_F(InfoPageTest, EveryFirmwareBuildIsNamed) {
  for (const FirmwareRow& build : firmwareTable()) {
    SCOPED_TRACE(std::string(build.version));
    LogicFixture fresh;
    InfoPage freshPage{fresh.context};
    fresh.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, build.series);
    fresh.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, build.version);
    freshPage.FillInfoPage();
    EXPECT_EQ(fresh.main.text("Label15"), InfoPage::kMakerText);
    EXPECT_NE(fresh.main.text("Label17"), "стандартная");
  }
}

TEST_F(InfoPageTest, EmptySettingsKeepTheDesignTextsAndCreateNoKey) {
  page.FillInfoPage();
  expectDesignTexts();
  EXPECT_FALSE(f.registry.keyExists(SettingsStore::kKeyPath));
}

TEST_F(InfoPageTest, PairsThatAreNotInTheTableKeepTheDesignTexts) {
  struct Pair {
    std::string_view modem, version;
  };
  for (const Pair& pair :
       {Pair{"TRVK1", "kq1"}, Pair{"trvk2", "84a"}, Pair{"TRVK2", "84A"}, Pair{"TRVK2", "84\xD0\xB0"},
        Pair{"TRVK2", ""}, Pair{"", "84a"}, Pair{"Kelvane", "kq2"}, Pair{"TRVK2 ", "88"}}) {
    SCOPED_TRACE(std::string(pair.modem) + "/" + std::string(pair.version));
    store(pair.modem, pair.version);
    page.FillInfoPage();
    expectDesignTexts();
  }
}

TEST_F(InfoPageTest, UnknownPairAfterAKnownOneKeepsTheOldTexts) {
  store("TRVK2", "kq1");
  page.FillInfoPage();
  store("TRVK1", "kq1");
  page.FillInfoPage();
  expectTexts("производства компании Brevant", "серия TRVK2", "первый официальный релиз");
}

TEST_F(InfoPageTest, AnotherKnownPairReplacesTheTexts) {
  store("TRVK2", "kq1");
  page.FillInfoPage();
  store("Kelvane", "DE.beta62");
  page.FillInfoPage();
  expectTexts("производства компании Brevant", "серия Kelvane56@k Ext", "Desk Edition.beta62");
}

}  // namespace
}  // namespace lintari
