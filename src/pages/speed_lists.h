#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lintari {

// The 45 rates the modem can be limited to, in list order. The sixteenth is
// "28000", not "28800": the lists were designed so, and the rates the modem
// reports are matched against them as they are.
const std::vector<std::string>& fullRateList();

struct SpeedLists {
  std::vector<std::string> receive;   // ComboBox3 and ComboBox4
  std::vector<std::string> transmit;  // ComboBox5 and ComboBox6
};

// The rate lists for a protocol ("V32", "V32b", "V34", "V90", "V92",
// compared whole and with case); nullopt for any other name.
std::optional<SpeedLists> speedListsFor(std::string_view protocol);

// The lists of the page before any protocol is chosen.
const std::vector<std::string>& initialReceiveList();       // ComboBox3, ComboBox4
const std::vector<std::string>& initialLowTransmitList();   // ComboBox5
const std::vector<std::string>& initialHighTransmitList();  // ComboBox6

}  // namespace lintari
