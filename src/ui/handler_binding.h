#pragma once

#include <functional>
#include <map>
#include <string_view>

#include "app/context.h"

class QWidget;

namespace lintari::ui {

// Connects every handler to the user's event on its control, found by
// objectName in its window: a click (button, link label, menu item), the end
// of a slider move by the user (release after a drag, a key or page step),
// or the pick of a drop-down item. Each handler runs through the guarded
// entry, then `after` runs (the port pump's re-sync). A handler whose window
// or control does not exist is a programming error (std::logic_error).
void bindHandlers(const Handlers& handlers, const std::map<std::string_view, QWidget*>& windows,
                  const std::function<void()>& after);

}  // namespace lintari::ui
