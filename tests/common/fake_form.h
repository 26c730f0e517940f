#pragma once

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/design.h"
#include "core/form.h"

namespace lintari::testing_support {

// A window's controls in memory, starting in their design state. Asking for
// a control the design does not have is a test failure (an exception), so a
// misspelt name cannot pass silently.
class FakeForm : public Form {
 public:
  explicit FakeForm(const std::vector<design::Control>& window) {
    for (const design::Control& c : window) {
      State& s = controls_[std::string(c.name)];
      s.kind = c.kind;
      s.text = c.caption;
      s.enabled = c.enabled;
      s.items = c.items;
      s.checks.assign(c.items.size(), false);
      s.minimum = c.minimum;
      s.maximum = c.maximum;
      s.position = c.position;
    }
  }

  std::string text(std::string_view control) const override {
    const State& s = at(control);
    if (s.kind == design::Kind::ComboBox) return s.index < 0 ? std::string() : s.items[s.index];
    return s.text;
  }
  void setText(std::string_view control, std::string_view text) override { at(control).text = std::string(text); }
  bool isEnabled(std::string_view control) const override { return at(control).enabled; }
  void setEnabled(std::string_view control, bool enabled) override { at(control).enabled = enabled; }
  int position(std::string_view slider) const override { return at(slider).position; }
  void setPosition(std::string_view slider, int position) override {
    State& s = at(slider);
    s.position = std::clamp(position, s.minimum, s.maximum);
  }
  int itemIndex(std::string_view list) const override { return at(list).index; }
  void setItemIndex(std::string_view list, int index) override {
    State& s = at(list);
    s.index = (index >= 0 && index < static_cast<int>(s.items.size())) ? index : -1;
  }
  std::vector<std::string> items(std::string_view list) const override { return at(list).items; }
  void setItems(std::string_view list, const std::vector<std::string>& items) override {
    State& s = at(list);
    s.items = items;
    s.checks.assign(items.size(), false);
    s.index = -1;
  }
  bool isChecked(std::string_view list, int item) const override { return at(list).checks.at(item); }
  void setChecked(std::string_view list, int item, bool checked) override { at(list).checks.at(item) = checked; }

 private:
  struct State {
    design::Kind kind = design::Kind::Label;
    std::string text;
    bool enabled = true;
    std::vector<std::string> items;
    std::vector<bool> checks;
    int index = -1;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
  };

  State& at(std::string_view name) {
    auto it = controls_.find(std::string(name));
    if (it == controls_.end()) throw std::logic_error("no control named " + std::string(name));
    return it->second;
  }
  const State& at(std::string_view name) const { return const_cast<FakeForm*>(this)->at(name); }

  std::map<std::string, State> controls_;
};

}  // namespace lintari::testing_support
