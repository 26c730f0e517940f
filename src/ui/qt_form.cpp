#include "ui/qt_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QWidget>
#include <stdexcept>

namespace lintari::ui {

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStdString(const QString& text) { return text.toUtf8().toStdString(); }

void fillCheckList(QListWidget* list, const std::vector<std::string>& items) {
  const QSignalBlocker blocker(list);
  list->clear();
  for (const std::string& text : items) {
    auto* item = new QListWidgetItem(toQString(text), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

QtForm::QtForm(QWidget* window, const std::vector<design::Control>& table) {
  for (const design::Control& control : table) {
    const QString name = toQString(control.name);
    QObject* object = window->objectName() == name ? window : window->findChild<QObject*>(name);
    if (object == nullptr) throw std::logic_error("no object named " + std::string(control.name));
    controls_.emplace(std::string(control.name), Entry{&control, object});
  }
}

const QtForm::Entry& QtForm::at(std::string_view name) const {
  const auto found = controls_.find(name);
  if (found == controls_.end()) throw std::logic_error("no control named " + std::string(name));
  return found->second;
}

template <class Widget>
Widget* QtForm::as(std::string_view name) const {
  auto* widget = qobject_cast<Widget*>(at(name).object);
  if (widget == nullptr) {
    throw std::logic_error(std::string(name) + " is not a " + Widget::staticMetaObject.className());
  }
  return widget;
}

std::string QtForm::text(std::string_view control) const {
  const Entry& entry = at(control);
  switch (entry.design->kind) {
    case design::Kind::Window:
      return toStdString(as<QWidget>(control)->windowTitle());
    case design::Kind::TabSheet: {
      auto* tabs = as<QTabWidget>(entry.design->parent);
      return toStdString(tabs->tabText(tabs->indexOf(as<QWidget>(control))));
    }
    case design::Kind::GroupBox:
      return toStdString(as<QGroupBox>(control)->title());
    case design::Kind::Label:
      return toStdString(as<QLabel>(control)->text());
    case design::Kind::Edit:
      return toStdString(as<QLineEdit>(control)->text());
    case design::Kind::Button:
      // A picture button shows an icon; its caption is the tooltip.
      if (entry.design->look == design::Look::Picture) return toStdString(as<QWidget>(control)->toolTip());
      return toStdString(as<QAbstractButton>(control)->text());
    case design::Kind::ComboBox: {
      auto* combo = as<QComboBox>(control);
      return combo->currentIndex() < 0 ? std::string() : toStdString(combo->currentText());
    }
    case design::Kind::MenuItem:
      return toStdString(as<QAction>(control)->text());
    default:
      throw std::logic_error(std::string(control) + " has no text");
  }
}

void QtForm::setText(std::string_view control, std::string_view text) {
  const Entry& entry = at(control);
  const QString value = toQString(text);
  switch (entry.design->kind) {
    case design::Kind::Window:
      as<QWidget>(control)->setWindowTitle(value);
      return;
    case design::Kind::TabSheet: {
      auto* tabs = as<QTabWidget>(entry.design->parent);
      tabs->setTabText(tabs->indexOf(as<QWidget>(control)), value);
      return;
    }
    case design::Kind::GroupBox:
      as<QGroupBox>(control)->setTitle(value);
      return;
    case design::Kind::Label: {
      auto* label = as<QLabel>(control);
      label->setText(value);
      // A relabelled bit list ("S218" becomes "S17") is announced by the new text.
      if (QWidget* named = label->buddy()) named->setAccessibleName(value);
      return;
    }
    case design::Kind::Edit: {
      auto* edit = as<QLineEdit>(control);
      const QSignalBlocker blocker(edit);
      edit->setText(value);
      return;
    }
    case design::Kind::Button:
      if (entry.design->look == design::Look::Picture) {
        auto* button = as<QWidget>(control);
        button->setToolTip(value);
        button->setAccessibleName(value);
        return;
      }
      as<QAbstractButton>(control)->setText(value);
      return;
    case design::Kind::ComboBox: {
      // As in a list without typing: the item of that text, or no selection.
      auto* combo = as<QComboBox>(control);
      const QSignalBlocker blocker(combo);
      combo->setCurrentIndex(combo->findText(value, Qt::MatchExactly));
      return;
    }
    case design::Kind::MenuItem:
      as<QAction>(control)->setText(value);
      return;
    default:
      throw std::logic_error(std::string(control) + " has no text");
  }
}

// The control's own state, as the logic set it: a control inside a disabled
// group or page still counts as enabled, as its group may be enabled again.
bool QtForm::isEnabled(std::string_view control) const {
  QObject* object = at(control).object;
  if (auto* action = qobject_cast<QAction*>(object)) return action->isEnabled();
  return !as<QWidget>(control)->testAttribute(Qt::WA_ForceDisabled);
}

void QtForm::setEnabled(std::string_view control, bool enabled) {
  QObject* object = at(control).object;
  if (auto* action = qobject_cast<QAction*>(object)) {
    action->setEnabled(enabled);
    return;
  }
  as<QWidget>(control)->setEnabled(enabled);
}

int QtForm::position(std::string_view slider) const { return as<QSlider>(slider)->value(); }

void QtForm::setPosition(std::string_view slider, int position) {
  auto* widget = as<QSlider>(slider);
  const QSignalBlocker blocker(widget);
  widget->setValue(position);
}

int QtForm::itemIndex(std::string_view list) const { return as<QComboBox>(list)->currentIndex(); }

void QtForm::setItemIndex(std::string_view list, int index) {
  auto* combo = as<QComboBox>(list);
  const QSignalBlocker blocker(combo);
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::vector<std::string> QtForm::items(std::string_view list) const {
  std::vector<std::string> texts;
  if (auto* combo = qobject_cast<QComboBox*>(at(list).object)) {
    for (int i = 0; i < combo->count(); ++i) texts.push_back(toStdString(combo->itemText(i)));
    return texts;
  }
  auto* checkList = as<QListWidget>(list);
  for (int i = 0; i < checkList->count(); ++i) texts.push_back(toStdString(checkList->item(i)->text()));
  return texts;
}

void QtForm::setItems(std::string_view list, const std::vector<std::string>& items) {
  if (auto* combo = qobject_cast<QComboBox*>(at(list).object)) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const std::string& text : items) combo->addItem(toQString(text));
    combo->setCurrentIndex(-1);
    return;
  }
  fillCheckList(as<QListWidget>(list), items);
}

namespace {

QListWidgetItem* checkItem(QListWidget* list, int item) {
  if (item < 0 || item >= list->count()) {
    throw std::out_of_range("item " + std::to_string(item) + " of " + toStdString(list->objectName()));
  }
  return list->item(item);
}

}  // namespace

bool QtForm::isChecked(std::string_view list, int item) const {
  return checkItem(as<QListWidget>(list), item)->checkState() == Qt::Checked;
}

void QtForm::setChecked(std::string_view list, int item, bool checked) {
  auto* checkList = as<QListWidget>(list);
  const QSignalBlocker blocker(checkList);
  checkItem(checkList, item)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace lintari::ui
