#include "core/registry.h"

namespace lintari {

std::vector<std::string> splitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = path.find('\\', start);
    const std::size_t stop = end == std::string_view::npos ? path.size() : end;
    if (stop > start) parts.emplace_back(path.substr(start, stop - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool namesKey(std::string_view path) { return !splitKeyPath(path).empty(); }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace lintari
