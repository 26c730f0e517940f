#include "ui/window_builder.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <algorithm>
#include <stdexcept>

#include "ui/qt_form.h"

namespace lintari::ui {

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

namespace {

using design::Control;
using design::Kind;
using design::Look;

// The design's pixel positions were laid out for an 8-point system font.
constexpr int kFontPixels = 11;

// The diagram button's picture: a busy signal, tone and pause in turn.
QIcon busySignalIcon() {
  QPixmap pixmap(24, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(QColor(0, 0, 128), 2));
  const QPoint wave[] = {{1, 13}, {5, 13}, {5, 3}, {11, 3}, {11, 13}, {17, 13}, {17, 3}, {23, 3}};
  painter.drawPolyline(wave, static_cast<int>(std::size(wave)));
  return QIcon(pixmap);
}

bool hasLetter(const std::string& text) {
  const QString q = toQString(text);
  return std::any_of(q.begin(), q.end(), [](QChar c) { return c.isLetter(); });
}

// What names an edit box, list or slider for a screen reader: the label on its
// row to its left, else the nearest worded label right above it, else the
// caption of its group or page.
QString labelFor(const Control& control, const std::vector<Control>& table) {
  const Control* left = nullptr;
  const Control* above = nullptr;
  for (const Control& label : table) {
    if (label.kind != Kind::Label || label.parent != control.parent || !hasLetter(label.caption)) continue;
    const int middle = label.top + label.height / 2;
    if (label.left + label.width <= control.left + 2 && middle >= control.top &&
        middle <= control.top + control.height) {
      if (left == nullptr || label.left > left->left) left = &label;
    }
    const bool overlaps =
        label.left < control.left + control.width && control.left < label.left + label.width;
    if (overlaps && label.top + label.height <= control.top + 2) {
      if (above == nullptr || label.top > above->top) above = &label;
    }
  }
  if (left != nullptr) return toQString(left->caption);
  if (above != nullptr) return toQString(above->caption);
  const Control* parent = design::find(table, control.parent);
  return parent != nullptr ? toQString(parent->caption) : QString();
}

QWidget* makeWindow(const Control& c) {
  auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                          Qt::WindowCloseButtonHint);
  window->setWindowTitle(toQString(c.caption));
  window->setFixedSize(c.width, c.height);
  QFont font = window->font();
  font.setPixelSize(kFontPixels);
  // Captions were fitted to a narrow font; a condensed face is used where the
  // desktop has one.
  font.setStretch(QFont::SemiCondensed);
  window->setFont(font);
  return window;
}

QLabel* makeLabel(const Control& c, QWidget* parent) {
  QLabel* label = c.look == Look::Link ? new LinkLabel(toQString(c.caption), parent)
                                       : new QLabel(toQString(c.caption), parent);
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  QFont font = label->font();
  switch (c.look) {
    case Look::Red:
      palette.setColor(QPalette::WindowText, Qt::red);
      break;
    case Look::Link:
      palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
      label->setCursor(Qt::PointingHandCursor);
      label->setFocusPolicy(Qt::TabFocus);
      break;
    case Look::Underlined:
      font.setUnderline(true);
      break;
    default:
      break;
  }
  label->setPalette(palette);
  label->setFont(font);
  return label;
}

QPushButton* makeButton(const Control& c, QWidget* parent) {
  if (c.look != Look::Picture) return new QPushButton(toQString(c.caption), parent);
  auto* button = new QPushButton(parent);
  button->setIcon(busySignalIcon());
  button->setIconSize(QSize(24, 16));
  button->setToolTip(toQString(c.caption));
  button->setAccessibleName(toQString(c.caption));
  return button;
}

QWidget* makeWidget(const Control& c, const std::vector<Control>& table, QWidget* parent) {
  switch (c.kind) {
    case Kind::PageControl: {
      auto* tabs = new QTabWidget(parent);
      tabs->setUsesScrollButtons(true);
      return tabs;
    }
    case Kind::GroupBox:
      return new QGroupBox(toQString(c.caption), parent);
    case Kind::Label:
      return makeLabel(c, parent);
    case Kind::Edit: {
      auto* edit = new QLineEdit(parent);
      edit->setAccessibleName(labelFor(c, table));
      return edit;
    }
    case Kind::Button:
      return makeButton(c, parent);
    case Kind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      for (const std::string& item : c.items) combo->addItem(toQString(item));
      combo->setCurrentIndex(-1);
      combo->setAccessibleName(labelFor(c, table));
      return combo;
    }
    case Kind::CheckListBox: {
      auto* list = new QListWidget(parent);
      fillCheckList(list, c.items);
      list->setAccessibleName(labelFor(c, table));
      return list;
    }
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setRange(c.minimum, c.maximum);
      slider->setValue(c.position);
      slider->setAccessibleName(labelFor(c, table));
      return slider;
    }
    case Kind::Shape:
    case Kind::Line:
      return new QWidget(parent);
    default:
      throw std::logic_error("not a widget: " + std::string(c.name));
  }
}

QWidget* widgetOf(QObject* object, std::string_view name) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) throw std::logic_error(std::string(name) + " cannot hold widgets");
  return widget;
}

}  // namespace

std::unique_ptr<QWidget> buildWindow(const std::vector<Control>& table, const ComponentMaker& makeComponent) {
  std::unique_ptr<QWidget> window;
  QMap<QString, QObject*> made;
  const auto parentOf = [&made](const Control& c) -> QObject* {
    QObject* parent = made.value(toQString(c.parent));
    if (parent == nullptr)
      throw std::logic_error(std::string(c.name) + ": no parent " + std::string(c.parent));
    return parent;
  };

  for (const Control& c : table) {
    QObject* object = nullptr;
    switch (c.kind) {
      case Kind::Window:
        window.reset(makeWindow(c));
        object = window.get();
        break;
      case Kind::TabSheet: {
        auto* tabs = qobject_cast<QTabWidget*>(parentOf(c));
        if (tabs == nullptr) throw std::logic_error(std::string(c.name) + " is not on a page control");
        auto* page = new QWidget;
        tabs->addTab(page, toQString(c.caption));
        object = page;
        break;
      }
      case Kind::TrayIcon:
        object = new QSystemTrayIcon(parentOf(c));
        break;
      case Kind::PopupMenu:
        object = new QMenu(widgetOf(parentOf(c), c.parent));
        break;
      case Kind::MenuItem: {
        auto* menu = qobject_cast<QMenu*>(parentOf(c));
        if (menu == nullptr) throw std::logic_error(std::string(c.name) + " is not in a menu");
        object = menu->addAction(toQString(c.caption));
        break;
      }
      case Kind::Component:
        object = makeComponent ? makeComponent(c, parentOf(c)) : new QObject(parentOf(c));
        break;
      default: {
        QWidget* widget = makeWidget(c, table, widgetOf(parentOf(c), c.parent));
        widget->setGeometry(c.left, c.top, c.width, c.height);
        object = widget;
        break;
      }
    }
    object->setObjectName(toQString(c.name));
    if (!c.enabled) {
      if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(false);
      if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(false);
    }
    made.insert(toQString(c.name), object);
  }
  if (!window) throw std::logic_error("a design table without a window");
  return window;
}

}  // namespace lintari::ui
