#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lintari {

// The controls of a window, reached by their design names ("Edit2",
// "RxSlider1", "CheckListBox2", ...). The logic decides, a form shows: the Qt
// layer implements this over widgets found by objectName, tests over a map.
// Setting a value through this interface never raises the control's change
// handler: only the user's own moves and picks do.
class Form {
 public:
  virtual ~Form() = default;

  // Edit boxes, labels, buttons, group boxes and tab pages: their text or caption.
  // A drop-down list: the text of the selected item, empty without a selection.
  [[nodiscard]] virtual std::string text(std::string_view control) const = 0;
  virtual void setText(std::string_view control, std::string_view text) = 0;

  [[nodiscard]] virtual bool isEnabled(std::string_view control) const = 0;
  virtual void setEnabled(std::string_view control, bool enabled) = 0;

  // Sliders. A position outside the range takes the nearest end.
  [[nodiscard]] virtual int position(std::string_view slider) const = 0;
  virtual void setPosition(std::string_view slider, int position) = 0;

  // Drop-down lists: -1 for no selection; an index outside the items clears it.
  [[nodiscard]] virtual int itemIndex(std::string_view list) const = 0;
  virtual void setItemIndex(std::string_view list, int index) = 0;

  // Drop-down and check lists. Assigning the items clears the selection and
  // every check mark.
  [[nodiscard]] virtual std::vector<std::string> items(std::string_view list) const = 0;
  virtual void setItems(std::string_view list, const std::vector<std::string>& items) = 0;

  // Check lists: item k counted from the top.
  [[nodiscard]] virtual bool isChecked(std::string_view list, int item) const = 0;
  virtual void setChecked(std::string_view list, int item, bool checked) = 0;
};

}  // namespace lintari
