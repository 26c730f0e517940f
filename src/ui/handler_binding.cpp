#include "ui/handler_binding.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>

#include "ui/error_box.h"
#include "ui/qt_form.h"
#include "ui/window_builder.h"

namespace lintari::ui {
namespace {

[[noreturn]] void unbindable(const Handler& handler, const char* why) {
  throw std::logic_error(std::string(handler.window) + "." + std::string(handler.control) + ": " + why);
}

bool connectClick(QObject* object, const std::function<void()>& fire) {
  if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    QObject::connect(button, &QAbstractButton::clicked, button, fire);
    return true;
  }
  if (auto* link = qobject_cast<LinkLabel*>(object)) {
    QObject::connect(link, &LinkLabel::clicked, link, fire);
    return true;
  }
  if (auto* action = qobject_cast<QAction*>(object)) {
    QObject::connect(action, &QAction::triggered, action, fire);
    return true;
  }
  return false;
}

// Only a move that has ended and changed the position counts: the release
// after a drag (not every step while dragging), or a key, wheel or page step.
// A step is reported before the new value is in place, so its handler runs
// from the event loop, once the value has been set.
bool connectUserMove(QObject* object, const std::function<void()>& fire) {
  auto* slider = qobject_cast<QAbstractSlider*>(object);
  if (slider == nullptr) return false;
  auto pressedAt = std::make_shared<int>(slider->value());
  QObject::connect(slider, &QAbstractSlider::sliderPressed, slider,
                   [slider, pressedAt] { *pressedAt = slider->value(); });
  QObject::connect(slider, &QAbstractSlider::sliderReleased, slider, [slider, pressedAt, fire] {
    if (slider->value() != *pressedAt) fire();
  });
  QObject::connect(slider, &QAbstractSlider::actionTriggered, slider, [slider, fire](int action) {
    if (action == QAbstractSlider::SliderMove && slider->isSliderDown()) return;
    const int before = slider->value();
    QMetaObject::invokeMethod(
        slider,
        [slider, before, fire] {
          if (slider->value() != before) fire();
        },
        Qt::QueuedConnection);
  });
  return true;
}

bool connectUserPick(QObject* object, const std::function<void()>& fire) {
  auto* combo = qobject_cast<QComboBox*>(object);
  if (combo == nullptr) return false;
  QObject::connect(combo, &QComboBox::activated, combo, [fire](int) { fire(); });
  return true;
}

}  // namespace

void bindHandlers(const Handlers& handlers, const std::map<std::string_view, QWidget*>& windows,
                  const std::function<void()>& after) {
  for (const Handler& handler : handlers) {
    const auto window = windows.find(handler.window);
    if (window == windows.end()) unbindable(handler, "no such window");
    QObject* control = window->second->findChild<QObject*>(toQString(handler.control));
    if (control == nullptr) unbindable(handler, "no such control");
    std::function<void()> fire = [run = handler.run, after] {
      guarded(run);
      after();
    };
    bool bound = false;
    switch (handler.event) {
      case Event::Click:
        bound = connectClick(control, fire);
        break;
      case Event::UserMove:
        bound = connectUserMove(control, fire);
        break;
      case Event::UserPick:
        bound = connectUserPick(control, fire);
        break;
    }
    if (!bound) unbindable(handler, "does not raise that event");
  }
}

}  // namespace lintari::ui
