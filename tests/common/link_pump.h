#pragma once

// The program's event delivery for a ModemLink without Qt: poll() on the
// link's descriptor with the time left to its next deadline, onReadable()
// and onDeadline() as they fall due, and the guarded entry that shows an
// Error instead of letting it escape (here: records it). Shared by the tests
// that run the link over a real pseudo-terminal and by the link benchmark.

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/error.h"
#include "link/modem_link.h"

namespace lintari::testing_support {

class LinkPump {
 public:
  LinkPump(ModemLink& link, Clock& clock) : link_(link), clock_(clock) {}

  // A handler, a port notification or a branch, as the guarded entry runs
  // it: an Error ends it and is shown.
  void guarded(const std::function<void()>& handler) {
    try {
      handler();
    } catch (const Error& e) {
      errors_.emplace_back(e.what());
    }
  }

  // Delivers port input and deadlines until `done` holds (true), or until
  // `patience` has passed or nothing is left that could change anything: the
  // port closed and no notice due (false).
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds patience) {
    const Instant giveUp = clock_.now() + patience;
    while (!done()) {
      const Instant now = clock_.now();
      const std::optional<Instant> due = link_.nextDeadline();
      const int fd = link_.descriptor();
      if (now >= giveUp || (fd < 0 && !due)) return false;
      const Instant wakeAt = due ? std::min(*due, giveUp) : giveUp;
      pollfd watch{fd, POLLIN, 0};
      const timespec timeout = span(std::max(wakeAt - now, Instant::zero()));
      const int ready = ::ppoll(&watch, 1, &timeout, nullptr);
      if (ready < 0 && errno == EINTR) continue;
      ++wakeUps_;
      if (ready > 0 && watch.revents != 0) {
        guarded([this] { link_.onReadable(); });
      } else if (due && clock_.now() >= *due) {
        ++deadlines_;
        guarded([this] { link_.onDeadline(); });
      }
    }
    return true;
  }

  // Until the request's transmit-empty notice has been given.
  bool settle(std::chrono::milliseconds patience) {
    return runUntil([this] { return !link_.nextDeadline(); }, patience);
  }

  // Nothing to watch and nothing due: an event loop would sleep.
  [[nodiscard]] bool idle() const { return link_.descriptor() < 0 && !link_.nextDeadline(); }

  [[nodiscard]] const std::vector<std::string>& errors() const { return errors_; }
  // How often poll() returned: a measure of busy looping.
  [[nodiscard]] long wakeUps() const { return wakeUps_; }
  // How often a deadline, not input, woke the link.
  [[nodiscard]] long deadlines() const { return deadlines_; }

 private:
  static timespec span(Instant length) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(length);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>((length - seconds).count())};
  }

  ModemLink& link_;
  Clock& clock_;
  std::vector<std::string> errors_;
  long wakeUps_ = 0;
  long deadlines_ = 0;
};

}  // namespace lintari::testing_support
