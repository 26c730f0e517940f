#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_store.h"
#include "core/clock.h"
#include "link/request_kind.h"
#include "link/serial_port.h"

namespace lintari {

// The main window as the command channel sees it.
class MainWindowHandle {
 public:
  virtual ~MainWindowHandle() = default;
  virtual void hideMainWindow() = 0;
};

// The characters that follow the first occurrence of `query` in `buffer`, at
// most three; with the query absent, those from the position equal to the
// query's length (counted from 1) on.
std::string ReadValueAfter(std::string_view buffer, std::string_view query);

// The program's only path to the modem: the command channel (BeginRequest,
// SendText, StoreCommand), the reply buffer with the pending request kind,
// and the dispatch of a complete answer to the branch of the page that asked.
class ModemLink {
 public:
  // A page's reply branch. It reads replyText() and sets its controls; an
  // Error leaves buffer and kind as they were.
  using Branch = std::function<void()>;

  ModemLink(const SettingsStore& settings, SerialPort& port, Clock& clock, MainWindowHandle& mainWindow);

  // Command channel.
  void BeginRequest(RequestKind kind);
  void SendText(std::string_view text);
  void StoreCommand(RequestKind kind, std::string_view command);
  void closePort();

  // Reply buffer and dispatch.
  void setBranch(RequestKind kind, Branch branch);
  [[nodiscard]] const std::string& replyText() const;
  [[nodiscard]] RequestKind requestKind() const;
  // Empties the buffer and clears the kind; the identification branch does
  // this itself, also when it fails.
  void clearPending();
  void VaCommRxBuf(std::string_view bytes);
  void VaCommTxEmpty();

  // Event delivery, driven by the event loop: the port's descriptor became
  // readable, or the deadline of nextDeadline() was reached. A request that
  // sent something gets one transmit-empty notice (VaCommTxEmpty) once its
  // answer is complete. onReadable throws the port's Error once when the
  // device went away. nextDeadline() is nullopt when no notice is due, so no
  // timer needs to run while idle.
  void onReadable();
  void onDeadline();
  [[nodiscard]] std::optional<Instant> nextDeadline() const;
  [[nodiscard]] int descriptor() const;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace lintari
