#include "pages/speed_lists.h"

#include <array>

namespace lintari {
namespace {

std::vector<std::string> firstOf(std::size_t count) {
  const auto& full = fullRateList();
  return {full.begin(), full.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::string> firstOfThen(std::size_t count, std::initializer_list<const char*> tail) {
  std::vector<std::string> list = firstOf(count);
  list.insert(list.end(), tail.begin(), tail.end());
  return list;
}

struct ProtocolLists {
  std::string_view protocol;
  SpeedLists lists;
};

// In the order the names are compared.
const std::array<ProtocolLists, 5>& protocolTable() {
  static const std::array<ProtocolLists, 5> table{{
      {"V34", {firstOfThen(15, {"28800", "29333", "30667", "31200", "33600"}),
               firstOfThen(15, {"28800", "29333", "30667", "31200", "33600"})}},
      {"V32b", {firstOf(10), firstOf(10)}},
      {"V32", {firstOf(8), firstOf(8)}},
      {"V92", {firstOf(45), firstOf(37)}},
      {"V90", {firstOf(45), firstOfThen(15, {"28800"})}},
  }};
  return table;
}

}  // namespace

const std::vector<std::string>& fullRateList() {
  static const std::vector<std::string> list{
      "75",    "300",   "600",   "1200",  "2400",  "4800",  "7200",  "9600",  "12000",
      "14400", "16800", "19200", "21600", "24000", "26400", "28000", "29333", "30667",
      "31200", "32000", "33333", "33600", "34000", "34667", "36000", "37333", "38000",
      "38667", "40000", "41333", "42000", "42667", "44000", "45333", "46000", "46667",
      "48000", "49333", "50000", "50667", "52000", "53333", "54000", "54667", "56000"};
  return list;
}

std::optional<SpeedLists> speedListsFor(std::string_view protocol) {
  for (const ProtocolLists& row : protocolTable()) {
    if (row.protocol == protocol) return row.lists;
  }
  return std::nullopt;
}

const std::vector<std::string>& initialReceiveList() { return fullRateList(); }

const std::vector<std::string>& initialLowTransmitList() {
  static const std::vector<std::string> list = firstOf(22);
  return list;
}

const std::vector<std::string>& initialHighTransmitList() {
  static const std::vector<std::string> list = firstOf(37);
  return list;
}

}  // namespace lintari
