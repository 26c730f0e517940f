#include "ui/window_builder.h"

#include <QAccessible>
#include <QAccessibleWidget>
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
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <stdexcept>

#include "ui/qt_form.h"
#include "ui/tab_order.h"

namespace lintari::ui {

namespace {

// Screen readers see a link label as a link with a press action, named by
// its text (the address), rather than as static text.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return static_cast<const LinkLabel*>(widget())->text();
    }
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action == pressAction()) {
      static_cast<LinkLabel*>(widget())->activate();
      return;
    }
    QAccessibleWidget::doAction(action);
  }
};

QAccessibleInterface* accessibleLink(const QString& className, QObject* object) {
  if (className != QLatin1String(LinkLabel::staticMetaObject.className())) return nullptr;
  return new LinkAccessible(static_cast<LinkLabel*>(object));
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  static const bool installed = (QAccessible::installFactory(&accessibleLink), true);
  (void)installed;
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::activate() { emit clicked(); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) activate();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    activate();
    return;
  }
  QLabel::keyPressEvent(event);
}

// A label draws no focus of its own; without a frame a keyboard user could
// not tell that the link is the one Enter will open.
void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
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

// Where a control lies as the user sees it: the page or window it is on, and
// its box there, through any groups between.
struct Place {
  std::string_view surface;
  QRect box;
};

Place placeOf(const Control& control, const std::vector<Control>& table) {
  QRect box(control.left, control.top, control.width, control.height);
  const Control* parent = design::find(table, control.parent);
  while (parent != nullptr && parent->kind != Kind::TabSheet && parent->kind != Kind::Window) {
    box.translate(parent->left, parent->top);
    parent = design::find(table, parent->parent);
  }
  return {parent != nullptr ? parent->name : std::string_view(), box};
}

bool isNamedByLabel(Kind kind) {
  return kind == Kind::Edit || kind == Kind::ComboBox || kind == Kind::CheckListBox || kind == Kind::Slider;
}

// The label that names an edit box, list or slider for a screen reader: the
// worded label on its row to its left, else the nearest worded label right
// above it, on the same page, whether or not the two share a group (the
// second bit list of the extended registers lies outside the group that
// holds its label).
const Control* labelFor(const Control& control, const std::vector<Control>& table) {
  const Place at = placeOf(control, table);
  const QRect& c = at.box;
  const Control* left = nullptr;
  const Control* above = nullptr;
  QRect leftBox;
  QRect aboveBox;
  for (const Control& label : table) {
    if (label.kind != Kind::Label || !hasLetter(label.caption)) continue;
    const Place place = placeOf(label, table);
    if (place.surface != at.surface) continue;
    const QRect& l = place.box;
    const int middle = l.y() + l.height() / 2;
    if (l.x() + l.width() <= c.x() + 2 && middle >= c.y() && middle <= c.y() + c.height()) {
      if (left == nullptr || l.x() > leftBox.x()) {
        left = &label;
        leftBox = l;
      }
    }
    const bool overlaps = l.x() < c.x() + c.width() && c.x() < l.x() + l.width();
    if (overlaps && l.y() + l.height() <= c.y() + 2) {
      if (above == nullptr || l.y() > aboveBox.y()) {
        above = &label;
        aboveBox = l;
      }
    }
  }
  return left != nullptr ? left : above;
}

// Names every edit box, list and slider after its label, which becomes its
// buddy, so that the form can rename it when the label changes; one without
// a label is named after its group or page.
void nameByLabels(const std::vector<Control>& table, const QMap<QString, QObject*>& made) {
  for (const Control& control : table) {
    if (!isNamedByLabel(control.kind)) continue;
    auto* widget = qobject_cast<QWidget*>(made.value(toQString(control.name)));
    if (const Control* label = labelFor(control, table)) {
      qobject_cast<QLabel*>(made.value(toQString(label->name)))->setBuddy(widget);
      widget->setAccessibleName(toQString(label->caption));
    } else if (const Control* parent = design::find(table, control.parent)) {
      widget->setAccessibleName(toQString(parent->caption));
    }
  }
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

QWidget* makeWidget(const Control& c, QWidget* parent) {
  switch (c.kind) {
    case Kind::PageControl: {
      auto* tabs = new QTabWidget(parent);
      tabs->setUsesScrollButtons(true);
      // The arrow keys turn the pages once the tab bar has the focus; its
      // scroll buttons would only be two more stops on the way to the page.
      for (auto* scroll : tabs->tabBar()->findChildren<QToolButton*>()) scroll->setFocusPolicy(Qt::NoFocus);
      return tabs;
    }
    case Kind::GroupBox:
      return new QGroupBox(toQString(c.caption), parent);
    case Kind::Label:
      return makeLabel(c, parent);
    case Kind::Edit:
      return new QLineEdit(parent);
    case Kind::Button:
      return makeButton(c, parent);
    case Kind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      for (const std::string& item : c.items) combo->addItem(toQString(item));
      combo->setCurrentIndex(-1);
      return combo;
    }
    case Kind::CheckListBox: {
      auto* list = new QListWidget(parent);
      fillCheckList(list, c.items);
      return list;
    }
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setRange(c.minimum, c.maximum);
      slider->setValue(c.position);
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
        QWidget* widget = makeWidget(c, widgetOf(parentOf(c), c.parent));
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
  nameByLabels(table, made);
  orderTabChain(window.get());
  return window;
}

}  // namespace lintari::ui
