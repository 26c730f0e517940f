#pragma once

#include <QObject>

#include "core/clock.h"
#include "link/modem_link.h"

class QSocketNotifier;
class QTimer;

namespace lintari::ui {

// The serial port's event delivery, the object "VaComm" of the main window:
// a socket notifier on the link's descriptor while the port is open, and one
// single-shot timer for the link's next deadline while a notice is due. Both
// call into the link through the guarded entry and then re-sync; while the
// port is closed and nothing is due, nothing watches or ticks.
class PortPump : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kObjectName = "VaComm";

  PortPump(Clock& clock, QObject* parent);

  void watch(ModemLink& link);
  // Follows the link after anything may have changed it: a handler ran, the
  // port delivered, a deadline passed.
  void sync();

 private:
  void readable();
  void deadlinePassed();

  Clock& clock_;
  ModemLink* link_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;
  int descriptor_ = -1;
  QTimer* timer_;
};

}  // namespace lintari::ui
