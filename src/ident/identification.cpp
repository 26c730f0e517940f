#include "ident/identification.h"

#include <exception>
#include <string>

#include "app/settings_store.h"
#include "link/request_kind.h"

namespace lintari {

std::vector<FirmwareRow> FindFirmwareBuilds(std::string_view answer) {
  std::vector<FirmwareRow> found;
  for (const FirmwareRow& row : firmwareTable()) {
    if (answer.find(row.pattern) != std::string_view::npos) found.push_back(row);
  }
  return found;
}

Identification::Identification(Context& context, InfoPage& infoPage, CapabilityProfile& profile)
    : context_(context), infoPage_(infoPage), profile_(profile) {
  context_.link.setBranch(kind::Identification, [this] { completeIdentification(); });
}

Identification::~Identification() { context_.link.setBranch(kind::Identification, {}); }

void Identification::SpeedButton6Click() {
  context_.link.BeginRequest(kind::Identification);
  context_.link.SendText("ATE1\r");
  context_.link.SendText("ATI3\r");
}

void Identification::completeIdentification() {
  const std::string answer = context_.link.replyText();
  std::exception_ptr storeError;
  try {
    storeIdentification(answer);
  } catch (...) {
    storeError = std::current_exception();
  }
  // Nothing is pending any more while the refresh may show its message box,
  // so answers arriving meanwhile are not dispatched a second time.
  context_.link.clearPending();
  infoPage_.FillInfoPage();
  profile_.ApplyCapabilityProfile();
  if (storeError) std::rethrow_exception(storeError);
}

void Identification::storeIdentification(std::string_view answer) {
  const auto key = context_.settings.openForWriting();
  // A key that cannot be written keeps the earlier identification, without a
  // message.
  if (!key) return;
  key->deleteValue(SettingsStore::kModem);
  key->deleteValue(SettingsStore::kVersion);
  // Every match is written in table order, so of several the last one stays.
  for (const FirmwareRow& row : FindFirmwareBuilds(answer)) {
    key->writeString(SettingsStore::kModem, row.series);
    key->writeString(SettingsStore::kVersion, row.version);
  }
}

void Identification::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton6", Event::Click, [this] { SpeedButton6Click(); }});
}

}  // namespace lintari
