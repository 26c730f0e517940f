#include "ident/firmware_table.h"

#include <array>

namespace lintari {
namespace {

// Every character counts: the double hyphens, the blank before "--" in some
// builds, and "@56 k" against "@56k". Row 5 is not contained in row 1 (the
// "c" before the hyphen), and no pattern contains another.
constexpr std::array<FirmwareRow, 16> kRows{{
    {"R5.310K71c-V90_4M_QLT", "TRVK1", "71nm"},
    {"FE_beta72c-V90_4M_QLT", "TRVK1", "72nm"},
    {"FE_beta73c-V90_4M_QLT", "TRVK1", "73nm"},
    {"FE_FN-V90_4M_QLT", "TRVK1", "ufn"},
    {"R5.310K71-V90_4M_QLT", "TRVK1", "71m"},
    {"R4.100-V90_4M_QLT", "TRVK1", "4100"},
    {"ZPL4_R1.914.KQ1-V92_K38_RMB", "TRVK2", "kq1"},
    {"ZPL4_DE.BETA62--V92_K38_RMB", "Kelvane", "DE.beta62"},
    {"ZPL4 beta ver. 84a--V90_K38_RMB", "TRVK2", "84a"},
    {"ZPL4 beta ver. 85a--V90_K38_RMB", "TRVK2", "85a"},
    {"ZPL4 beta ver. 86a--V90_K38_RMB", "TRVK2", "86a"},
    {"ZPL4 beta ver. 87 --V90_K38_RMB", "TRVK2", "87"},
    {"ZPL4 beta ver. 88 --V90_K38_RMB", "TRVK2", "88"},
    {"ZPL4 beta ver. 89a--V90_K38_RMB", "TRVK2", "89a"},
    {"Kelvane@56 k Field Edition KQ2 --V92_K38_RMB", "Kelvane", "KQ2"},
    {"Kelvane@56k FE.beta62 --V92_K38_RMB", "Kelvane", "FE.beta62"},
}};

}  // namespace

std::span<const FirmwareRow> firmwareTable() { return kRows; }

}  // namespace lintari
