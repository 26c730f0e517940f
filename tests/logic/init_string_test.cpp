#include "pages/init_string.h"

#include <gtest/gtest.h>

#include "common/logic_fixture.h"
#include "core/error.h"

namespace lintari {
namespace {

using testing_support::LogicFixture;

constexpr std::string_view kDriverKey = "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

struct InitStringTest : ::testing::Test {
  LogicFixture f;
  InitString initString{f.context};

  void SetUp() override { f.configureModem(kDriverKey); }
};

TEST_F(InitStringTest, ClearThenWriteStoresAnEmptyValueThatStillExists) {
  f.registry.setString(kDriverKey, "UserInit", "ATS11=50");
  f.main.setText("Edit1", "anything");
  initString.SpeedButton20Click();
  EXPECT_EQ(f.main.text("Edit1"), "");
  initString.SpeedButton19Click();
  EXPECT_TRUE(f.registry.hasValue(kDriverKey, "USERINIT"));
  EXPECT_EQ(f.registry.string(kDriverKey, "USERINIT"), "");
}

TEST_F(InitStringTest, ReadReplacesTheWholeBoxAppendedPiecesIncluded) {
  f.registry.setString(kDriverKey, "UserInit", "ATS7=60");
  f.main.setText("Edit1", "old");
  initString.append("S11=13");
  initString.Button3Click();
  EXPECT_EQ(f.main.text("Edit1"), "ATS7=60");
}

TEST_F(InitStringTest, PiecesJoinWithoutSeparator) {
  initString.append("S11=13");
  initString.append("S91=10");
  initString.append("S91=10");
  EXPECT_EQ(f.main.text("Edit1"), "S11=13S91=10S91=10");
}

TEST(InitStringWithoutModem, ReadShowsAnEmptyBoxAndCreatesNoKey) {
  LogicFixture f;
  InitString initString{f.context};
  f.main.setText("Edit1", "typed");
  initString.Button3Click();
  EXPECT_EQ(f.main.text("Edit1"), "");
  EXPECT_EQ(f.registry.writeCount(), 0);
  EXPECT_FALSE(f.registry.keyExists(SettingsStore::kKeyPath));
}

TEST(InitStringWithoutModem, WriteToAMissingKeyFailsAndWritesNothing) {
  for (std::string_view path : {std::string_view(), std::string_view("\\SYSTEM\\Nowhere\\0003")}) {
    LogicFixture f;
    if (!path.empty()) f.configureModem(path);
    InitString initString{f.context};
    f.main.setText("Edit1", "S11=13");
    try {
      initString.SpeedButton19Click();
      ADD_FAILURE() << "no error for path '" << path << "'";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Failed to set data for 'USERINIT'");
      EXPECT_EQ(errorBoxText(e.what()), "Failed to set data for 'USERINIT'");
    }
    EXPECT_FALSE(f.registry.keyExists(path.empty() ? "\\SYSTEM" : path));
    EXPECT_EQ(f.main.text("Edit1"), "S11=13");
  }
}

TEST_F(InitStringTest, RefusedWriteIsReportedWithTheValueName) {
  f.registry.refuseWritesOf("USERINIT");
  EXPECT_THROW(initString.SpeedButton19Click(), Error);
}

TEST_F(InitStringTest, ReadOfAKeyThatMayOnlyBeReadShowsAnEmptyBox) {
  f.registry.setString(kDriverKey, "USERINIT", "ATX3");
  f.registry.setReadOnly(true);
  f.main.setText("Edit1", "typed");
  initString.Button3Click();
  EXPECT_EQ(f.main.text("Edit1"), "");
}

}  // namespace
}  // namespace lintari
