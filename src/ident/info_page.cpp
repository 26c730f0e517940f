#include "ident/info_page.h"

#include <algorithm>
#include <array>

#include "app/settings_store.h"

namespace lintari {
namespace {

struct InfoRow {
  std::string_view modem;
  std::string_view version;
  std::string_view seriesText;    // Label16
  std::string_view firmwareText;  // Label17
};

// Tested in this order, both parts exactly and case-sensitively.
//
// The names of the builds 84a, 85a and 86a end in a Cyrillic "а" (U+0430,
// written "\xD0\xB0"), that of 89a in a Latin "a". Users know the builds by
// these names as shown, so neither letter is to be "fixed".
constexpr std::array<InfoRow, 16> kRows{{
    {"TRVK1", "71m", "серия TRVK1", "русская версия beta 71"},
    {"TRVK1", "71nm", "серия TRVK1", "русская версия beta 71n"},
    {"TRVK1", "72nm", "серия TRVK1", "русская версия beta 72n"},
    {"TRVK1", "73nm", "серия TRVK1", "русская версия beta 73n"},
    {"TRVK1", "ufn", "серия TRVK1", "русская версия финальный релиз"},
    {"TRVK1", "4100", "серия TRVK1", "базовая версия 4.100"},
    {"TRVK2", "kq1", "серия TRVK2", "первый официальный релиз"},
    {"Kelvane", "DE.beta62", "серия Kelvane56@k Ext", "Desk Edition.beta62"},
    {"Kelvane", "FE.beta62", "серия Kelvane56@k Ext", "Field Edition. Beta 62"},
    {"Kelvane", "KQ2", "серия Kelvane56@k Ext", "второй официальный релиз"},
    {"TRVK2", "84a", "серия TRVK2", "русская версия beta 84\xD0\xB0"},  // Cyrillic final letter
    {"TRVK2", "85a", "серия TRVK2", "русская версия beta 85\xD0\xB0"},  // Cyrillic final letter
    {"TRVK2", "86a", "серия TRVK2", "русская версия beta 86\xD0\xB0"},  // Cyrillic final letter
    {"TRVK2", "87", "серия TRVK2", "русская версия beta 87"},
    {"TRVK2", "88", "серия TRVK2", "русская версия beta 88"},
    {"TRVK2", "89a", "серия TRVK2", "русская версия beta 89a"},  // Latin final letter
}};

}  // namespace

void InfoPage::FillInfoPage() {
  const SettingsStore::Identification stored = context_.settings.readIdentification();
  const auto row = std::find_if(kRows.begin(), kRows.end(), [&](const InfoRow& r) {
    return r.modem == stored.modem && r.version == stored.version;
  });
  if (row == kRows.end()) return;
  context_.main.setText("Label15", kMakerText);
  context_.main.setText("Label16", row->seriesText);
  context_.main.setText("Label17", row->firmwareText);
}

}  // namespace lintari
