#pragma once

#include <string_view>

#include "app/context.h"

namespace lintari {

// The identification texts of the Info page: which modem and firmware the
// stored `modem` and `version` name.
class InfoPage {
 public:
  static constexpr std::string_view kMakerText = "производства компании Brevant";

  explicit InfoPage(Context& context) : context_(context) {}

  // A known pair of series and version names the maker, the series and the
  // firmware in Label15, Label16 and Label17. Any other pair leaves the three
  // labels as they are: an identification that found nothing does not take
  // back what the page showed.
  void FillInfoPage();

 private:
  Context& context_;
};

}  // namespace lintari
