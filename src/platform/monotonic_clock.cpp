#include "platform/monotonic_clock.h"

#include <cerrno>
#include <ctime>

namespace lintari {

Instant MonotonicClock::now() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

void MonotonicClock::sleepUntil(Instant instant) {
  const auto secs = std::chrono::duration_cast<std::chrono::seconds>(instant);
  timespec deadline{};
  deadline.tv_sec = static_cast<time_t>(secs.count());
  deadline.tv_nsec = static_cast<long>((instant - secs).count());
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

}  // namespace lintari
