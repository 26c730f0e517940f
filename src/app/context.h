#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "app/settings_store.h"
#include "app/window_host.h"
#include "core/form.h"
#include "core/registry.h"
#include "core/shell.h"
#include "link/modem_link.h"

namespace lintari {

// What every unit of the program works with. Each unit (a page, the Info
// page, the setup window, ...) takes the context in its constructor, plugs
// its reply branches into the link there, and lists its handlers in bind().
struct Context {
  Form& main;     // TForm1
  Form& setup;    // TForm2
  Form& diagram;  // TForm4
  Registry& registry;
  SettingsStore& settings;
  ModemLink& link;
  WindowHost& windows;
  Shell& shell;
};

enum class Event {
  Click,     // a button, a link label or a menu item
  UserMove,  // a slider move by the user has ended (release or keyboard step)
  UserPick,  // the user picked an item of a drop-down list
};

// One event handler: the Qt layer connects the control of that name in that
// window to `run`, through the guarded entry.
struct Handler {
  std::string_view window;  // "TForm1", "TForm2", "TForm4"
  std::string_view control;
  Event event;
  std::function<void()> run;
};

using Handlers = std::vector<Handler>;

}  // namespace lintari
