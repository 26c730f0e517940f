#include "ui/tab_order.h"

#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <numeric>

namespace lintari::ui {
namespace {

bool shareRow(const QRect& a, const QRect& b) {
  const int middleA = a.center().y();
  const int middleB = b.center().y();
  return middleA >= b.top() && middleA <= b.bottom() && middleB >= a.top() && middleB <= a.bottom();
}

// Qt::TabFocus is part of StrongFocus and WheelFocus too.
bool takesTab(const QWidget* widget) { return (widget->focusPolicy() & Qt::TabFocus) != 0; }

struct Stop {
  QWidget* widget;
  QRect box;  // in the coordinates of the window or page it belongs to
};

// The controls inside `container` that Tab stops at, with their boxes in
// `scope`'s coordinates. A control that takes the focus is one stop; its
// inner parts (a list's scroll bars) are its own business.
void collectStops(QWidget* container, QWidget* scope, std::vector<Stop>& stops) {
  for (QObject* child : container->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) continue;
    if (qobject_cast<QTabWidget*>(widget) != nullptr || takesTab(widget)) {
      stops.push_back({widget, QRect(widget->mapTo(scope, QPoint(0, 0)), widget->size())});
    } else {
      collectStops(widget, scope, stops);
    }
  }
}

void appendInOrder(QWidget* scope, std::vector<QWidget*>& chain) {
  std::vector<Stop> stops;
  collectStops(scope, scope, stops);
  std::vector<QRect> boxes;
  for (const Stop& stop : stops) boxes.push_back(stop.box);
  for (const int i : readingOrder(boxes)) {
    chain.push_back(stops[i].widget);
    if (auto* tabs = qobject_cast<QTabWidget*>(stops[i].widget)) {
      for (int page = 0; page < tabs->count(); ++page) appendInOrder(tabs->widget(page), chain);
    }
  }
}

}  // namespace

std::vector<int> readingOrder(const std::vector<QRect>& boxes) {
  std::vector<int> byTop(boxes.size());
  std::iota(byTop.begin(), byTop.end(), 0);
  std::stable_sort(byTop.begin(), byTop.end(),
                   [&boxes](int a, int b) { return boxes[a].top() < boxes[b].top(); });

  std::vector<int> order;
  auto row = byTop.begin();
  while (row != byTop.end()) {
    const QRect& first = boxes[*row];
    const auto end = std::find_if(row, byTop.end(), [&](int i) { return !shareRow(first, boxes[i]); });
    std::vector<int> cells(row, end);
    std::stable_sort(cells.begin(), cells.end(),
                     [&boxes](int a, int b) { return boxes[a].left() < boxes[b].left(); });
    order.insert(order.end(), cells.begin(), cells.end());
    row = end;
  }
  return order;
}

void orderTabChain(QWidget* window) {
  std::vector<QWidget*> chain;
  appendInOrder(window, chain);
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace lintari::ui
