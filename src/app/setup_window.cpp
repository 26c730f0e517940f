#include "app/setup_window.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/error.h"

namespace lintari {
namespace {

constexpr std::string_view kModemList = "ComboBox1";
constexpr std::string_view kPortList = "ComboBox2";
constexpr std::string_view kSeriesList = "ComboBox3";
constexpr std::string_view kModelValue = "Model";

struct ClassKeyRow {
  std::string_view family;
  std::string_view classKey;
};

// Only the exact family text "Windows 95" (the 95, 98 and Me platform) keeps
// its modems under the old class key; every other family, Linux included,
// uses the NT one.
constexpr std::array<ClassKeyRow, 1> kClassKeys{{
    {"Windows 95", "\\System\\CurrentControlSet\\Services\\Class\\Modem"},
}};
constexpr std::string_view kNtClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// A slot's "Model" text; empty when the slot does not exist or has no string
// "Model". A value of another type counts as missing rather than failing, so
// that one damaged driver key cannot cut the list short or leave it without a
// selection.
std::string modelOf(Registry& registry, const std::string& slotPath) {
  const auto slot = registry.openReadOnly(slotPath);
  if (!slot) return {};
  for (const RegistryValue& value : slot->listValues()) {
    if (sameName(value.name, kModelValue) && value.text) return *value.text;
  }
  return {};
}

}  // namespace

std::string_view SetupWindow::classKeyFor(std::string_view family) {
  const auto row = std::find_if(kClassKeys.begin(), kClassKeys.end(),
                                [family](const ClassKeyRow& r) { return r.family == family; });
  return row != kClassKeys.end() ? row->classKey : kNtClassKey;
}

std::string SetupWindow::slotName(unsigned index) {
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string hex;
  do {
    hex.insert(hex.begin(), kDigits[index % 16]);
    index /= 16;
  } while (index != 0);
  if (hex.size() < 2) hex.insert(hex.begin(), '0');
  return "00" + hex;
}

void SetupWindow::FormCreate() {
  context_.windows.hideMainWindow();
  checkStartUpValue(SettingsStore::kPath);
  checkStartUpValue(SettingsStore::kPort);
  fillModemList();
  context_.windows.hideMainWindow();
}

// A present value does not hide the setup window again: with `path` missing
// and `port` present the main window would otherwise stay disabled with
// nothing in front of it to complete the setup.
void SetupWindow::checkStartUpValue(std::string_view name) {
  if (!context_.settings.read(name).empty()) {
    mainWindow_.FormCreate();
    return;
  }
  context_.windows.showSetupWindow();
  context_.windows.setMainWindowEnabled(false);
}

// Entries follow slot numbers, not the subkeys' names: slot i is "00" and i in
// hexadecimal, for as many slots as the class key has subkeys.
void SetupWindow::fillModemList() {
  const std::string classKey(classKeyFor(family_));
  std::vector<std::string> models;
  if (const auto key = context_.registry.openReadOnly(classKey)) {
    const std::size_t count = key->subkeyCount();
    for (std::size_t i = 0; i < count; ++i) {
      models.push_back(modelOf(context_.registry, classKey + "\\" + slotName(static_cast<unsigned>(i))));
    }
  }
  context_.setup.setItems(kModemList, models);
  context_.setup.setItemIndex(kModemList, 0);
}

void SetupWindow::Button1Click() {
  // The list selects its first entry at creation and cannot be cleared, so no
  // selection means no installed modem. The index -1 then gives the slot
  // "00FFFFFFFF" (its 32-bit pattern): a key no list can reach, so the init
  // string edits no other modem's driver key, while the program still starts
  // normally with the chosen port next time.
  const int modem = context_.setup.itemIndex(kModemList);
  const std::string path = std::string(classKeyFor(family_)) + "\\" + slotName(static_cast<unsigned>(modem));
  const std::string port = std::to_string(context_.setup.itemIndex(kPortList) + 1);
  const std::string klas = std::to_string(context_.setup.itemIndex(kSeriesList) + 1);
  // A refused value stops the storing there; the user learns which value
  // failed before being asked to restart, and the shutdown follows all the same.
  try {
    context_.settings.saveSetup(path, port, klas);
  } catch (const Error& e) {
    context_.windows.showError(e.what());
  }
  context_.windows.showMessage(kRestartMessage);
  context_.link.closePort();
  context_.windows.closeMainWindow();
  context_.windows.hideSetupWindow();
}

void SetupWindow::bind(Handlers& handlers) {
  handlers.push_back({"TForm2", "Button1", Event::Click, [this] { Button1Click(); }});
}

}  // namespace lintari
