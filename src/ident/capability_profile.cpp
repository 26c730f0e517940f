#include "ident/capability_profile.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace lintari {
namespace {

// Disabled at the start of every application; only a supported build enables
// them again.
constexpr std::array<std::string_view, 7> kProfileSet{
    "GroupBox1", "GroupBox3", "SpeedButton2", "SpeedButton7", "Button1", "TabSheet2", "LMDGroupBox2"};

// GroupBox3 and SpeedButton7 are left out: they lie on TabSheet2, which is
// disabled as a whole.
constexpr std::array<std::string_view, 5> kNoFirmwareSet{"GroupBox1", "SpeedButton2", "Button1", "TabSheet2",
                                                         "LMDGroupBox2"};

constexpr std::string_view kSecondRegister = "Label5";
constexpr std::string_view kS216Bits = "CheckListBox1";
constexpr std::string_view kSecondBits = "CheckListBox2";
constexpr std::string_view kAggressiveness = "RxSlider2";
constexpr std::string_view kConnectionSpeed = "GroupBox4";

// Bit names, bit 0 first; the meaning of the bits differs between builds.
using BitNames = std::array<std::string_view, 8>;
constexpr BitNames kS216A{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset",  "Test",
                          "Not used",        "Not used",           "Noise filter", "Noise filter"};
constexpr BitNames kS216B{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset", "Test", "Test",
                          "Noise filter",    "Noise filter",       "Max speed"};
constexpr BitNames kS17A{"Mute All", "Listen renegs", "Show renegs", "Not used",
                         "Not used", "Not used",      "Not used",    "Not used"};
constexpr BitNames kS218A{"Listen renegs", "Show renegs", "Test speed", "Mute All",
                          "Not used",      "Not used",    "Not used",   "Not used"};
constexpr BitNames kS218B{"Listen renegs", "Show renegs",   "Mute",     "Noise filter",
                          "ForceFB test1", "ForceFB test2", "Not used", "Not used"};
constexpr BitNames kS218C{"Listen renegs", "Show renegs", "Not used", "Not used",
                          "Not used",      "Not used",    "Not used", "Not used"};
constexpr BitNames kS218D{"Listen renegs", "Show renegs", "Not used", "Force FallBack",
                          "Not used",      "Not used",    "Not used", "Not used"};
constexpr BitNames kS218E{"Listen renegs", "Show renegs", "Test speed", "Force FallBack",
                          "Not used",      "Not used",    "Not used",   "Not used"};
constexpr BitNames kS218F{"Listen renegs", "Show renegs", "Reserved", "Force FallBack",
                          "Not used",      "Not used",    "Not used", "Not used"};

struct ProfileRow {
  std::string_view version;
  // The base build: refused with a message, the profile set and the
  // connection speed group stay disabled.
  bool refused;
  std::string_view secondRegister;  // Label5; empty keeps it
  const BitNames* s216Bits;         // nullptr keeps the list
  const BitNames* secondBits;       // nullptr keeps the list
  bool disablesAggressiveness;
};

// Compared exactly and case-sensitively; the codes are all different.
constexpr std::array<ProfileRow, 16> kRows{{
    {"4100", true, {}, nullptr, nullptr, false},
    {"kq1", false, "S17", nullptr, &kS17A, false},
    {"DE.beta62", false, "S218", nullptr, &kS218A, false},
    {"73nm", false, "S218", &kS216A, &kS218B, false},
    {"ufn", false, "S218", &kS216A, &kS218B, false},
    {"72nm", false, {}, nullptr, nullptr, false},
    {"71nm", false, {}, nullptr, nullptr, false},
    {"71m", false, {}, nullptr, nullptr, false},
    {"84a", false, {}, &kS216B, &kS218C, true},
    {"85a", false, {}, &kS216B, &kS218C, true},
    {"86a", false, {}, &kS216B, &kS218C, true},
    {"87", false, {}, &kS216B, &kS218C, true},
    {"88", false, {}, &kS216B, &kS218C, true},
    {"89a", false, {}, &kS216B, &kS218D, true},
    {"FE.beta62", false, {}, &kS216B, &kS218E, true},
    {"KQ2", false, {}, &kS216B, &kS218F, true},
}};

std::vector<std::string> itemsOf(const BitNames& names) { return {names.begin(), names.end()}; }

}  // namespace

void CapabilityProfile::setEnabled(std::string_view control, bool enabled) {
  context_.main.setEnabled(control, enabled);
}

void CapabilityProfile::ApplyCapabilityProfile() {
  const std::string version = context_.settings.read(SettingsStore::kVersion);
  for (std::string_view control : kProfileSet) setEnabled(control, false);

  const auto row =
      std::find_if(kRows.begin(), kRows.end(), [&](const ProfileRow& r) { return r.version == version; });
  if (row == kRows.end()) return;

  if (row->refused) {
    context_.windows.showMessage(kUnsupportedMessage);
    // The message box keeps the event loop running; whatever ran meanwhile,
    // the base build leaves these unusable.
    for (std::string_view control : kProfileSet) setEnabled(control, false);
    setEnabled(kConnectionSpeed, false);
    return;
  }

  for (std::string_view control : kProfileSet) setEnabled(control, true);
  if (!row->secondRegister.empty()) context_.main.setText(kSecondRegister, row->secondRegister);
  // Assigned whole: the extended-register read and write find items 0 to 7.
  if (row->s216Bits != nullptr) context_.main.setItems(kS216Bits, itemsOf(*row->s216Bits));
  if (row->secondBits != nullptr) context_.main.setItems(kSecondBits, itemsOf(*row->secondBits));
  if (row->disablesAggressiveness) setEnabled(kAggressiveness, false);
}

void CapabilityProfile::applyNoFirmwareFallback() {
  for (std::string_view control : kNoFirmwareSet) setEnabled(control, false);
}

}  // namespace lintari
