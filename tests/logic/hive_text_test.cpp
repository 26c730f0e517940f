#include "core/hive_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
const std::string kLntr = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n";

// The bytes the Windows registry editor writes: byte order mark, then
// UTF-16LE.
std::string utf16le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

struct ReadRow {
  const char* name;
  std::string text;
  const char* path;
  const char* value;
  std::optional<std::string> expected;
};

class HiveReads : public testing::TestWithParam<ReadRow> {};

TEST_P(HiveReads, TheStringValue) {
  const ReadRow& row = GetParam();
  EXPECT_EQ(Hive::parse(row.text).readString(row.path, row.value), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HiveReads,
    testing::Values(
        ReadRow{"Plain", kHead + kLntr + "\"port\"=\"3\"\n", "\\SOFTWARE\\LNTR", "port", "3"},
        ReadRow{"PathWithoutLeadingBackslash", kHead + kLntr + "\"port\"=\"3\"\n", "SOFTWARE\\LNTR", "port",
                "3"},
        ReadRow{"BackslashEscape", kHead + kLntr + R"("path"="\\SYSTEM\\X\\0000")" + "\n", "\\SOFTWARE\\LNTR",
                "path", "\\SYSTEM\\X\\0000"},
        ReadRow{"QuoteEscape", kHead + kLntr + R"("a"="say \"AT\" now")" + "\n", "\\SOFTWARE\\LNTR", "a",
                "say \"AT\" now"},
        ReadRow{"QuotedName", kHead + kLntr + R"("a \"b\"\\c"="x")" + "\n", "\\SOFTWARE\\LNTR", "a \"b\"\\c",
                "x"},
        ReadRow{"LineBreakEscapes", kHead + kLntr + R"("a"="1\n2\r")" + "\n", "\\SOFTWARE\\LNTR", "a",
                "1\n2\r"},
        ReadRow{"EmptyText", kHead + kLntr + "\"modem\"=\"\"\n", "\\SOFTWARE\\LNTR", "modem", ""},
        ReadRow{"DefaultValue", kHead + kLntr + "@=\"Modems\"\n", "\\SOFTWARE\\LNTR", "", "Modems"},
        ReadRow{"KeyAndValueIgnoreCase", kHead + "[hkey_local_machine\\Software\\Lntr]\n\"PORT\"=\"3\"\n",
                "\\SOFTWARE\\LNTR", "port", "3"},
        ReadRow{"CrLfAndUtf8ByteOrderMark",
                "\xEF\xBB\xBFWindows Registry Editor Version "
                "5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"1\"\r\n",
                "\\A", "v", "1"},
        ReadRow{"OldVersionLine", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n", "\\A", "v", "1"},
        ReadRow{"CommentsBlanksAndIndent",
                "; exported\n\n" + kHead + "; settings\n" + kLntr + "\n  ; port\n  \"port\" = \"3\"  \n\n",
                "\\SOFTWARE\\LNTR", "port", "3"},
        ReadRow{"LaterValueWins", kHead + kLntr + "\"port\"=\"1\"\n\"PORT\"=\"2\"\n", "\\SOFTWARE\\LNTR",
                "port", "2"},
        ReadRow{"RepeatedKeyMerges",
                kHead + kLntr +
                    "\"port\"=\"1\"\n[HKEY_LOCAL_MACHINE\\A]\n[HKEY_LOCAL_MACHINE\\software\\lntr]\n"
                    "\"klas\"=\"2\"\n",
                "\\SOFTWARE\\LNTR", "klas", "2"},
        ReadRow{"Utf8Text", kHead + kLntr + "\"modem\"=\"Модем\"\n", "\\SOFTWARE\\LNTR", "modem", "Модем"},
        ReadRow{"Utf16WithSurrogatePair",
                utf16le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
                        u"\"v\"=\"Модем \U0001F4DE\"\r\n"),
                "\\A", "v", "Модем \U0001F4DE"},
        ReadRow{"AbsentValue", kHead + kLntr + "\"port\"=\"3\"\n", "\\SOFTWARE\\LNTR", "klas", std::nullopt},
        ReadRow{"AbsentKey", kHead + kLntr + "\"port\"=\"3\"\n", "\\SOFTWARE", "port", std::nullopt},
        ReadRow{"OtherRootNotServed", kHead + "[HKEY_CURRENT_USER\\SOFTWARE\\LNTR]\n\"port\"=\"3\"\n",
                "\\SOFTWARE\\LNTR", "port", std::nullopt},
        ReadRow{"EmptyFile", "", "\\SOFTWARE\\LNTR", "port", std::nullopt}),
    testing_support::RowName());

struct TypedRow {
  const char* name;
  const char* line;
};

class HiveNonStringValue : public testing::TestWithParam<TypedRow> {};

TEST_P(HiveNonStringValue, FailsToReadAsTextButIsListed) {
  const Hive hive = Hive::parse(kHead + kLntr + GetParam().line + "\n\"after\"=\"ok\"\n");
  try {
    (void)hive.readString("\\SOFTWARE\\LNTR", "VALUE");
    FAIL() << "read as text";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'VALUE'");
  }
  EXPECT_EQ(hive.readString("\\SOFTWARE\\LNTR", "after"), "ok");
  const std::vector<RegistryValue> values = hive.listValues("\\SOFTWARE\\LNTR");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "value");
  EXPECT_EQ(values[0].text, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HiveNonStringValue,
    testing::Values(TypedRow{"Dword", "\"value\"=dword:0000000a"}, TypedRow{"Hex", "\"value\"=hex:01,ff"},
                    TypedRow{"EmptyHex", "\"value\"=hex:"},
                    TypedRow{"ExpandString", "\"value\"=hex(2):41,00,00,00"},
                    TypedRow{"MultiStringOverLines",
                             "\"value\"=hex(7):41,00,00,00,\\\n  42,00,00,00,\\\n  00,00"}),
    testing_support::RowName());

struct BadRow {
  const char* name;
  std::string text;
  int line;
  const char* reason;
};

class HiveSyntax : public testing::TestWithParam<BadRow> {};

TEST_P(HiveSyntax, IsReportedWithItsLine) {
  const BadRow& row = GetParam();
  try {
    (void)Hive::parse(row.text);
    FAIL() << "parsed";
  } catch (const HiveSyntaxError& e) {
    EXPECT_EQ(e.line(), row.line);
    EXPECT_NE(e.reason().find(row.reason), std::string::npos) << e.reason();
    EXPECT_EQ(std::string(e.what()), "line " + std::to_string(row.line) + ": " + e.reason());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HiveSyntax,
    testing::Values(
        BadRow{"NoVersionLine", kLntr, 1, "must begin"},
        BadRow{"OtherVersion", "Windows Registry Editor Version 4.00\n" + kLntr, 1, "must begin"},
        BadRow{"ValueBeforeKey", kHead + "\"a\"=\"b\"\n", 3, "before the first [key]"},
        BadRow{"StrayText", kHead + kLntr + "port=3\n", 4, "expected a [key] line"},
        BadRow{"UnclosedName", kHead + kLntr + "\"a\"=\"1\"\n\"b=2\n", 5, "no closing quote"},
        BadRow{"UnclosedText", kHead + kLntr + "\"a\"=\"1\n", 4, "no closing quote"},
        BadRow{"MissingEquals", kHead + kLntr + "\"a\" \"1\"\n", 4, "expected '='"},
        BadRow{"SingleBackslash", kHead + kLntr + "\"path\"=\"\\SYSTEM\"\n", 4, "unknown escape '\\S'"},
        BadRow{"TextAfterQuote", kHead + kLntr + "\"a\"=\"1\"2\n", 4, "after the closing quote"},
        BadRow{"KeyLineUnclosed", kHead + "[HKEY_LOCAL_MACHINE\\A\n", 3, "must end with ']'"},
        BadRow{"KeyDeletion", kHead + "[-HKEY_LOCAL_MACHINE\\A]\n", 3, "not supported"},
        BadRow{"ValueDeletion", kHead + kLntr + "\"a\"=-\n", 4, "not supported"},
        BadRow{"MisspeltRoot", kHead + "[HKEY_LOCAL_MACHIN\\A]\n", 3, "unknown root key 'HKEY_LOCAL_MACHIN'"},
        BadRow{"EmptyKeyName", kHead + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 3, "empty name"},
        BadRow{"TrailingBackslashInKey", kHead + "[HKEY_LOCAL_MACHINE\\A\\]\n", 3, "empty name"},
        BadRow{"DwordNotHex", kHead + kLntr + "\"a\"=dword:0000000g\n", 4, "dword"},
        BadRow{"DwordTooLong", kHead + kLntr + "\"a\"=dword:000000001\n", 4, "dword"},
        BadRow{"UnknownType", kHead + kLntr + "\"a\"=qword:1\n", 4, "unknown value type 'qword'"},
        BadRow{"NoTypeNoQuote", kHead + kLntr + "\"a\"=1\n", 4, "expected a quoted text"},
        BadRow{"BadByteOnContinuation", kHead + kLntr + "\"a\"=hex:00,01,\\\n  02,zz\n", 5, "'zz'"},
        BadRow{"ContinuationAtEnd", kHead + kLntr + "\"a\"=hex:00,01,\\\n", 4, "does not go on"},
        BadRow{"ContinuationIntoBlank", kHead + kLntr + "\"a\"=hex:00,\\\n\n\"b\"=\"1\"\n", 4,
               "does not go on"},
        BadRow{"Utf16CutInHalf",
               utf16le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]") + "\x41", 3,
               "middle of a character"},
        BadRow{"Utf16LoneSurrogate",
               utf16le(u"Windows Registry Editor Version 5.00\r\n\xD800"
                       u"A"),
               2, "invalid UTF-16"}),
    testing_support::RowName());

TEST(HiveText, CanonicalFileSurvivesARoundTripUnchanged) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "; modems pasted from the old computer\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D}\\0000]\n"
      "@=\"default\"\n"
      "\"Model\"=\"Brevant \\\"TRVK2\\\"\"\n"
      "; keep this one\n"
      "\"Properties\"=hex:80,01,00,00,ff,00,00,00,\\\n"
      "  f7,03,00,00\n"
      "\"MaximumPortSpeed\"=dword:0001c200\n"
      "\"Path\"=\"C:\\\\Modem\\\\\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"kept\"=\"as it was\"\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n"
      "\n"
      "; the end\n";
  EXPECT_EQ(Hive::parse(text).serialize(), text);
}

TEST(HiveText, RewriteIsCanonicalUtf8) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "[HKEY_LOCAL_MACHINE\\A]\r\n"
      "  \"x\" = \"1\"\r\n"
      "; about A again\r\n"
      "[hkey_local_machine\\a]\r\n"
      "\"X\"=\"2\"\r\n"
      "\"y\"=\"3\"\r\n";
  EXPECT_EQ(Hive::parse(text).serialize(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\A]\n"
            "; about A again\n"
            "\"x\"=\"2\"\n"
            "\"y\"=\"3\"\n\n");
}

TEST(HiveText, StoredTextsComeBackExactlyAndCannotForgeLines) {
  const std::string forged = "x\"\n[HKEY_LOCAL_MACHINE\\Forged]\n\"a\"=\"b";
  for (const std::string& text :
       {std::string(), std::string("say \"AT\""), std::string("C:\\dir\\"), std::string("\\"),
        std::string("a\r\nb"), std::string("Модем\tS11=55"), forged}) {
    Hive hive;
    hive.setString("\\SOFTWARE\\LNTR", text, text);
    const Hive again = Hive::parse(hive.serialize());
    EXPECT_EQ(again.readString("\\SOFTWARE\\LNTR", text), text) << text;
    EXPECT_FALSE(again.keyExists("\\Forged")) << text;
    EXPECT_EQ(again.listValues("\\SOFTWARE\\LNTR").size(), 1u) << text;
  }
}

const std::string kTree = kHead +
                          "[HKEY_LOCAL_MACHINE\\System\\Class\\Modem\\0000]\n"
                          "\"Model\"=\"A\"\n"
                          "[HKEY_LOCAL_MACHINE\\SYSTEM\\class\\MODEM\\0001\\Init]\n"
                          "\"1\"=\"AT\"\n"
                          "[HKEY_LOCAL_MACHINE\\system\\Class\\Modem\\0001\\Settings]\n"
                          "[HKEY_LOCAL_MACHINE\\System\\Class\\Modem\\Other]\n"
                          "[HKEY_CURRENT_USER\\System\\Class\\Modem\\0002]\n";

TEST(HiveText, KeysExistThroughTheirDescendantsAndCountDistinctChildren) {
  const Hive hive = Hive::parse(kTree);
  EXPECT_TRUE(hive.keyExists(""));
  EXPECT_TRUE(hive.keyExists("\\SYSTEM"));
  EXPECT_TRUE(hive.keyExists("\\system\\CLASS\\modem\\0001"));
  EXPECT_FALSE(hive.keyExists("\\System\\Class\\Modem\\0002"));
  EXPECT_FALSE(hive.keyExists("\\System\\Class\\Modem\\00"));
  EXPECT_EQ(hive.subkeyCount("\\System\\Class\\Modem"), 3u);
  EXPECT_EQ(hive.subkeyCount("\\System\\Class\\Modem\\0001"), 2u);
  EXPECT_EQ(hive.subkeyCount("\\System\\Class\\Modem\\0000"), 0u);
  EXPECT_EQ(hive.subkeyCount(""), 1u);
  EXPECT_EQ(hive.subkeyCount("\\Missing"), 0u);
  EXPECT_EQ(hive.readString("\\System\\Class\\Modem\\0001", "Model"), std::nullopt);
}

TEST(HiveText, NewKeysTakeTheSpellingOfExistingParents) {
  Hive hive = Hive::parse(kTree);
  EXPECT_FALSE(hive.createKey("\\SYSTEM\\CLASS\\MODEM\\0001"));
  EXPECT_TRUE(hive.createKey("\\SYSTEM\\CLASS\\MODEM\\0003\\Init"));
  EXPECT_FALSE(hive.createKey("\\system\\class\\modem\\0003"));
  EXPECT_EQ(hive.sections().back().path,
            (std::vector<std::string>{"System", "Class", "Modem", "0003", "Init"}));
  EXPECT_EQ(hive.subkeyCount("\\System\\Class\\Modem"), 4u);
  EXPECT_THROW(hive.createKey("\\SOFTWARE\\A\nB"), Error);
}

TEST(HiveText, WritesAndDeletesKeepNamesAndOrder) {
  Hive hive = Hive::parse(kHead + kLntr + "\"Port\"=\"1\"\n\"version\"=dword:00000001\n\"klas\"=\"2\"\n");
  EXPECT_FALSE(hive.setString("\\software\\lntr", "PORT", "1"));
  EXPECT_TRUE(hive.setString("\\software\\lntr", "PORT", "3"));
  EXPECT_TRUE(hive.setString("\\software\\lntr", "VERSION", "84a"));
  EXPECT_TRUE(hive.deleteValue("\\SOFTWARE\\LNTR", "KLAS"));
  EXPECT_FALSE(hive.deleteValue("\\SOFTWARE\\LNTR", "klas"));
  EXPECT_FALSE(hive.deleteValue("\\Missing", "klas"));
  EXPECT_TRUE(hive.setString("\\SOFTWARE\\LNTR\\Sub", "", "d"));
  EXPECT_EQ(hive.serialize(), kHead + kLntr + "\"Port\"=\"3\"\n\"version\"=\"84a\"\n\n" +
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR\\Sub]\n@=\"d\"\n\n");
  EXPECT_TRUE(hive.deleteValue("\\SOFTWARE\\LNTR", "port"));
  EXPECT_TRUE(hive.deleteValue("\\SOFTWARE\\LNTR", "version"));
  EXPECT_TRUE(Hive::parse(hive.serialize()).keyExists("\\SOFTWARE\\LNTR"));
}

}  // namespace
}  // namespace lintari
