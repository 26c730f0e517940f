#pragma once

#include <string_view>

#include "app/context.h"

namespace lintari {

// Which controls of the main window suit the stored firmware build: the
// busy-line group, the extended registers (their page, group and buttons, the
// name of the second register and the names of the sixteen bits), the
// line-adaptation group with its aggressiveness slider, and the connection
// speed group.
class CapabilityProfile {
 public:
  static constexpr std::string_view kUnsupportedMessage = "данная версия микропрограммы не поддерживается";

  explicit CapabilityProfile(Context& context) : context_(context) {}

  // Reads `version`, disables the profile set and enables and relabels what
  // that build supports. An unknown or empty version leaves the set disabled
  // without a message; the base build "4100" is refused with a message. What a
  // build leaves unchanged keeps its state from the design or from an earlier
  // application. Nothing here enables the connection speed group or the
  // aggressiveness slider again.
  void ApplyCapabilityProfile();

  // The state of a start without a stored version: the busy-line group, the
  // extended-register page with its read and write and the line-adaptation
  // group are disabled; everything else keeps its design state.
  void applyNoFirmwareFallback();

 private:
  void setEnabled(std::string_view control, bool enabled);

  Context& context_;
};

}  // namespace lintari
