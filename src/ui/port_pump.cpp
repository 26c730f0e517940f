#include "ui/port_pump.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "ui/error_box.h"

namespace lintari::ui {

PortPump::PortPump(Clock& clock, QObject* parent) : QObject(parent), clock_(clock), timer_(new QTimer(this)) {
  setObjectName(kObjectName);
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, &PortPump::deadlinePassed);
}

void PortPump::watch(ModemLink& link) {
  link_ = &link;
  sync();
}

void PortPump::sync() {
  if (link_ == nullptr) return;
  const int descriptor = link_->descriptor();
  if (descriptor != descriptor_) {
    // Possibly the notifier whose notice is being handled: it goes once the
    // event loop is back.
    if (notifier_ != nullptr) {
      notifier_->setEnabled(false);
      notifier_->deleteLater();
      notifier_ = nullptr;
    }
    descriptor_ = descriptor;
    if (descriptor >= 0) {
      notifier_ = new QSocketNotifier(static_cast<qintptr>(descriptor), QSocketNotifier::Read, this);
      connect(notifier_, &QSocketNotifier::activated, this, &PortPump::readable);
    }
  } else if (notifier_ != nullptr) {
    notifier_->setEnabled(true);
  }

  const auto deadline = link_->nextDeadline();
  if (!deadline) {
    timer_->stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - clock_.now());
  timer_->start(std::max(wait, std::chrono::milliseconds(0)));
}

void PortPump::readable() {
  // Quiet while the link reads: an error box it raises runs its own event
  // loop, and a port that went away must not be polled meanwhile.
  notifier_->setEnabled(false);
  guarded([this] { link_->onReadable(); });
  sync();
}

void PortPump::deadlinePassed() {
  guarded([this] { link_->onDeadline(); });
  sync();
}

}  // namespace lintari::ui
