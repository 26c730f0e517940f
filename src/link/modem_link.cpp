#include "link/modem_link.h"

#include <array>
#include <chrono>
#include <cstddef>

#include "core/error.h"
#include "core/text_to_int.h"
#include "link/answer_completion.h"

namespace lintari {
namespace {

// The pause after every byte. The modem needs it to echo and take each
// character; the wait must exceed 50 ms, so a fifth of a millisecond is added.
constexpr std::chrono::milliseconds kCharDelay{50};
constexpr std::chrono::microseconds kPauseMargin{200};

constexpr std::string_view kStoreProfiles = "at&w&w0&w1\r";

struct DispatchRow {
  RequestKind kind;
  std::size_t longerThan;
  // Must occur in the buffer before the branch runs; empty for none.
  std::string_view query;
};

// Tried in this order at every transmit-empty notice.
constexpr std::array<DispatchRow, 7> kDispatchRows{{
    {kind::ExtendedRegisters, 20, {}},
    {kind::BusyTone, 20, {}},
    {kind::Identification, 20, {}},
    {kind::ConnectionSpeed, 20, {}},
    {kind::TransmitLevel, 10, "ATS91?"},
    {kind::LineAdaptation, 10, "ATS215?"},
    {kind::ToneDialling, 10, "ATS11?"},
}};

}  // namespace

std::string ReadValueAfter(std::string_view buffer, std::string_view query) {
  // Counted from 1, the value starts at p + length, p being the query's
  // position or 0 when it is absent; from 0 that is one less.
  const std::size_t found = buffer.find(query);
  const std::size_t start = found != std::string_view::npos ? found + query.size() : query.size() - 1;
  if (start >= buffer.size()) return {};
  return std::string(buffer.substr(start, 3));
}

struct ModemLink::Impl {
  Impl(const SettingsStore& s, SerialPort& p, Clock& c, MainWindowHandle& w)
      : settings(s), port(p), clock(c), mainWindow(w) {}

  // Opens COM<n> for the port setting unless it is open already. Throws before
  // anything of the request has changed.
  void openPort(std::string_view portText) {
    const std::int32_t number = TextToInt(portText);
    if (port.isOpen()) {
      if (port.portNumber() != number) throw Error("Can't perform this operation while port is open");
      return;
    }
    port.open(number);
  }

  void startRequest(RequestKind newKind) {
    kind = newKind;
    replyText.clear();
    completion.begin();
  }

  void clearPending() {
    replyText.clear();
    kind = kind::None;
  }

  // The buffer keeps no line structure: CR ends a line of the answer, LF
  // follows it.
  void collect(std::string_view bytes) {
    for (char c : bytes) {
      if (c != '\r' && c != '\n') replyText += c;
    }
  }

  void dispatch() {
    for (const DispatchRow& row : kDispatchRows) {
      if (replyText.size() <= row.longerThan || kind != row.kind) continue;
      if (!row.query.empty() && replyText.find(row.query) == std::string::npos) continue;
      const auto found = branches.find(row.kind);
      if (found == branches.end() || !found->second) return;
      // A copy, so that a branch may register branches while it runs.
      const Branch branch = found->second;
      branch();
      clearPending();
      return;
    }
  }

  void dispatchIfDue() {
    if (completion.takeNotice(clock.now())) dispatch();
  }

  const SettingsStore& settings;
  SerialPort& port;
  Clock& clock;
  MainWindowHandle& mainWindow;

  std::string replyText;
  RequestKind kind = kind::None;
  std::map<RequestKind, Branch> branches;
  AnswerCompletion completion;
};

ModemLink::ModemLink(const SettingsStore& settings, SerialPort& port, Clock& clock,
                     MainWindowHandle& mainWindow)
    : impl_(std::make_shared<Impl>(settings, port, clock, mainWindow)) {}

void ModemLink::BeginRequest(RequestKind kind) {
  // Without these settings the setup window has to be used; the main window
  // steps aside, and the request still runs as far as it can.
  if (impl_->settings.read(SettingsStore::kPath).empty()) impl_->mainWindow.hideMainWindow();
  const std::string portText = impl_->settings.read(SettingsStore::kPort);
  if (portText.empty()) impl_->mainWindow.hideMainWindow();
  impl_->openPort(portText);
  impl_->startRequest(kind);
}

void ModemLink::SendText(std::string_view text) {
  // Bytes go out as they are: no caret notation is resolved, so a value typed
  // as "^M" cannot end a command line early.
  // The pause counts from the moment the byte has left, so a byte that CTS
  // held back is still followed by the full pause on the line.
  for (char byte : text) {
    try {
      impl_->port.writeByte(static_cast<std::uint8_t>(byte));
    } catch (const Error&) {
      // A device that went away has closed the port: no answer can come, so
      // no notice is awaited. A byte that timed out leaves the port open, and
      // the answers to what did go out are still collected and dispatched.
      if (!impl_->port.isOpen()) impl_->completion.disarm();
      throw;
    }
    const Instant left = impl_->clock.now();
    impl_->completion.sent(byte, left);
    impl_->clock.sleepUntil(left + kCharDelay + kPauseMargin);
  }
}

void ModemLink::StoreCommand(RequestKind kind, std::string_view command) {
  impl_->openPort(impl_->settings.read(SettingsStore::kPort));
  impl_->startRequest(kind);
  SendText(std::string(command) + '\r');
  SendText(kStoreProfiles);
}

void ModemLink::closePort() {
  impl_->completion.disarm();
  impl_->port.close();
}

void ModemLink::setBranch(RequestKind kind, Branch branch) { impl_->branches[kind] = std::move(branch); }

const std::string& ModemLink::replyText() const { return impl_->replyText; }

RequestKind ModemLink::requestKind() const { return impl_->kind; }

void ModemLink::clearPending() { impl_->clearPending(); }

void ModemLink::VaCommRxBuf(std::string_view bytes) { impl_->collect(bytes); }

void ModemLink::VaCommTxEmpty() { impl_->dispatch(); }

void ModemLink::onReadable() {
  PortInput input = impl_->port.readAvailable();
  impl_->completion.received(input.bytes, impl_->clock.now());
  impl_->collect(input.bytes);
  if (input.lost) {
    // The port has closed itself; the answer will not come, and the next
    // request opens the port again.
    impl_->completion.disarm();
    throw Error(input.lostMessage);
  }
  impl_->dispatchIfDue();
}

void ModemLink::onDeadline() { impl_->dispatchIfDue(); }

std::optional<Instant> ModemLink::nextDeadline() const { return impl_->completion.deadline(); }

int ModemLink::descriptor() const { return impl_->port.descriptor(); }

}  // namespace lintari
