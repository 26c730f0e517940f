#pragma once

#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/design.h"
#include "core/form.h"

class QObject;
class QListWidget;
class QWidget;

namespace lintari::ui {

QString toQString(std::string_view text);
std::string toStdString(const QString& text);

// Replaces a check list's items by unchecked, checkable ones.
void fillCheckList(QListWidget* list, const std::vector<std::string>& items);

// A window's controls as the logic reaches them, over the widgets that the
// window builder made from the same design table. Every control is looked up
// by its objectName once, here; a name the table does not have is a
// programming error (std::logic_error). Setting a value blocks the widget's
// signals, so no change handler ever runs for what the program sets.
class QtForm : public Form {
 public:
  QtForm(QWidget* window, const std::vector<design::Control>& table);

  [[nodiscard]] std::string text(std::string_view control) const override;
  void setText(std::string_view control, std::string_view text) override;
  [[nodiscard]] bool isEnabled(std::string_view control) const override;
  void setEnabled(std::string_view control, bool enabled) override;
  [[nodiscard]] int position(std::string_view slider) const override;
  void setPosition(std::string_view slider, int position) override;
  [[nodiscard]] int itemIndex(std::string_view list) const override;
  void setItemIndex(std::string_view list, int index) override;
  [[nodiscard]] std::vector<std::string> items(std::string_view list) const override;
  void setItems(std::string_view list, const std::vector<std::string>& items) override;
  [[nodiscard]] bool isChecked(std::string_view list, int item) const override;
  void setChecked(std::string_view list, int item, bool checked) override;

 private:
  struct Entry {
    const design::Control* design;
    QObject* object;
  };

  [[nodiscard]] const Entry& at(std::string_view name) const;
  template <class Widget>
  [[nodiscard]] Widget* as(std::string_view name) const;

  std::map<std::string, Entry, std::less<>> controls_;
};

}  // namespace lintari::ui
