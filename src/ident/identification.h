#pragma once

#include <string_view>
#include <vector>

#include "app/context.h"
#include "ident/capability_profile.h"
#include "ident/firmware_table.h"
#include "ident/info_page.h"

namespace lintari {

// The rows of the firmware table whose pattern occurs, case-sensitively, in
// an answer to ATI3, in table order.
std::vector<FirmwareRow> FindFirmwareBuilds(std::string_view answer);

// "Определить модель модема" on the Info page: asks the modem for its
// identification text, stores the series and version of the build it names
// and at once refreshes the Info page and the capability profile.
class Identification {
 public:
  // Plugs the identification branch into the link; it stays there until this
  // object goes.
  Identification(Context& context, InfoPage& infoPage, CapabilityProfile& profile);
  ~Identification();
  Identification(const Identification&) = delete;
  Identification& operator=(const Identification&) = delete;

  void SpeedButton6Click();

  void bind(Handlers& handlers);

 private:
  // Runs once the answer is longer than 20 characters. Empties the buffer and
  // clears the pending request itself, and refreshes, also when storing fails;
  // the failure is raised after the refresh.
  void completeIdentification();
  void storeIdentification(std::string_view answer);

  Context& context_;
  InfoPage& infoPage_;
  CapabilityProfile& profile_;
};

}  // namespace lintari
