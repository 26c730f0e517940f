#include "ui/diagram_window.h"

#include <QColor>
#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/error_box.h"
#include "ui/qt_form.h"

namespace lintari::ui {
namespace {

enum class Teeth { Up, Down };

// A bar of the diagram: its widget, how the diagram reaches it, and its look.
struct BarControl {
  std::string_view name;
  Bar (*geometry)(const BusySignalDiagram&);
  void (*mouseDown)(BusySignalDiagram&, int);
  void (*mouseMove)(BusySignalDiagram&, int);
  Teeth teeth;
  QRgb fillFrom;  // left end of the horizontal gradient
  QRgb fillTo;    // right end
  QRgb outline;
};

constexpr QRgb kSkyBlue = 0xff87ceeb;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kNavy = 0xff000080;
constexpr QRgb kSlate = 0xff2f4f4f;
constexpr QRgb kBackgroundFrame = 0xff4682b4;
constexpr QRgb kAxis = 0xff000000;

// The tone above the time axis, the pause below it, in drawing order.
constexpr std::array<BarControl, 2> kBars{{
    {"LMDShapeControl1", [](const BusySignalDiagram& d) { return d.tone(); },
     [](BusySignalDiagram& d, int x) { d.LMDShapeControl1MouseDown(x); },
     [](BusySignalDiagram& d, int x) { d.LMDShapeControl1MouseMove(x); }, Teeth::Up, kSkyBlue, kBlue, kNavy},
    {"LMDShapeControl2", [](const BusySignalDiagram& d) { return d.pause(); },
     [](BusySignalDiagram& d, int x) { d.LMDShapeControl2MouseDown(x); },
     [](BusySignalDiagram& d, int x) { d.LMDShapeControl2MouseMove(x); }, Teeth::Down, kWhite, kWhite,
     kSlate},
}};

constexpr int kTeeth = 40;
constexpr int kToothHeight = 10;
constexpr int kToothWidth = 2;

// A collapsed bar is picked up on the columns where a bar's left-edge zone
// lies: its left edge and the four columns to the right of it.
constexpr std::int64_t kCollapsedGrip = 4;

// Widget coordinates stay well inside what the window system adds up
// without overflow.
constexpr std::int64_t kFar = std::int64_t{1} << 20;

constexpr int kArrowLength = 9;
constexpr int kArrowHalfWidth = 4;
constexpr int kTickEvery = 10;
constexpr int kLongTickEvery = 50;
constexpr int kTickHalf = 2;
constexpr int kLongTickHalf = 4;

QWidget* childNamed(QWidget* window, std::string_view name) {
  auto* widget = window->findChild<QWidget*>(toQString(name));
  if (widget == nullptr) throw std::logic_error("the diagram window has no " + std::string(name));
  return widget;
}

int onScreen(std::int64_t coordinate) { return static_cast<int>(std::clamp(coordinate, -kFar, kFar)); }

// The pointer's column relative to a bar's left edge, as the bar's handlers
// take it.
int columnIn(const Bar& bar, int x) {
  constexpr std::int64_t kMin = std::numeric_limits<int>::min();
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::int64_t{x} - bar.left, kMin, kMax));
}

// The outline of a bar of that size: a body with 40 teeth along its top (or
// bottom) edge, spread evenly over the width; a bar too narrow to keep a gap
// between 40 teeth gets as many as fit with one. Points are pixel centres,
// so a one-pixel pen along it stays inside width × height.
QPolygon combOutline(int width, int height, Teeth teeth) {
  const int right = width - 1;
  const int bottom = height - 1;
  const int base = kToothHeight;
  const int count = std::min(kTeeth, width / (kToothWidth + 1));
  QPolygon outline;
  outline << QPoint(0, bottom) << QPoint(0, base);
  for (int i = 0; i < count; ++i) {
    const auto centre = static_cast<int>((2 * std::int64_t{i} + 1) * width / (2 * count));
    const int left = std::clamp(centre - kToothWidth / 2, 0, right);
    const int toothRight = std::min(left + kToothWidth - 1, right);
    outline << QPoint(left, base) << QPoint(left, 0) << QPoint(toothRight, 0) << QPoint(toothRight, base);
  }
  outline << QPoint(right, base) << QPoint(right, bottom);
  if (teeth == Teeth::Down) {
    for (QPoint& point : outline) point.setY(bottom - point.y());
  }
  return outline;
}

}  // namespace

DiagramWindow::DiagramWindow(QWidget* window, BusySignalDiagram& diagram)
    : QObject(window),
      window_(window),
      diagram_(diagram),
      background_(childNamed(window, "Shape1")),
      axis_(childNamed(window, "LMDTechnicalLine1")),
      bars_{childNamed(window, kBars[0].name), childNamed(window, kBars[1].name)} {
  window_->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  window_->installEventFilter(this);
  // Moves matter without a button held: an edge follows the pointer from
  // the click that picked it up.
  background_->setMouseTracking(true);
  background_->installEventFilter(this);
  axis_->installEventFilter(this);
  for (QWidget* bar : bars_) {
    bar->setMouseTracking(true);
    bar->setCursor(Qt::SizeHorCursor);
    bar->installEventFilter(this);
  }
}

Bar DiagramWindow::barOf(std::size_t bar) const { return kBars[bar].geometry(diagram_); }

void DiagramWindow::refresh() {
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    const Bar bar = barOf(i);
    const int left = onScreen(bar.left);
    const int right = onScreen(std::int64_t{bar.left} + bar.width);
    bars_[i]->setGeometry(left, bars_[i]->y(), right - left, bars_[i]->height());
  }
  // Collapsed bars are drawn by the background.
  background_->update();
}

bool DiagramWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::Show) {
      if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = window_->screen()) {
          window_->move(screen->availableGeometry().center() -
                        QPoint(window_->width() / 2, window_->height() / 2));
        }
      }
      refresh();
    }
    return false;
  }
  switch (event->type()) {
    case QEvent::Paint:
      if (watched == background_) {
        paintBackground();
      } else if (watched == axis_) {
        paintAxis();
      } else {
        paintBar(watched == bars_[0] ? 0 : 1);
      }
      return true;
    case QEvent::MouseButtonPress:
    // The second press of a quick double click arrives as a double click; it
    // is a further click all the same.
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      forward(static_cast<QWidget*>(watched), *static_cast<QMouseEvent*>(event));
      return true;
    default:
      return false;
  }
}

bool DiagramWindow::collapsedBarAt(std::size_t bar, QPoint point) const {
  const Bar geometry = barOf(bar);
  if (geometry.width != 0) return false;
  const QWidget* widget = bars_[bar];
  if (point.y() < widget->y() || point.y() >= widget->y() + widget->height()) return false;
  const std::int64_t column = std::int64_t{point.x()} - geometry.left;
  return column >= 0 && column <= kCollapsedGrip;
}

DiagramWindow::Target DiagramWindow::targetAt(QPoint point, bool press) const {
  const QWidget* under = window_->childAt(point);
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    if (under == bars_[i]) return {Target::Kind::Bar, i};
  }
  // The axis and the captions do not react; a collapsed bar lies on the
  // background or the axis.
  if (under != background_ && under != axis_) return {};
  if (press) {
    for (std::size_t i = bars_.size(); i-- > 0;) {
      if (collapsedBarAt(i, point)) return {Target::Kind::Bar, i};
    }
  }
  return under == background_ ? Target{Target::Kind::Background} : Target{};
}

void DiagramWindow::forward(QWidget* receiver, const QMouseEvent& event) {
  const QPoint point = receiver->mapTo(window_, event.position().toPoint());
  const bool press = event.type() != QEvent::MouseMove;
  const Target target = targetAt(point, press);
  switch (target.kind) {
    case Target::Kind::Nothing:
      return;
    case Target::Kind::Background:
      if (press) {
        guarded([this] { diagram_.Shape1MouseDown(); });
      } else {
        guarded([this, x = point.x()] { diagram_.Shape1MouseMove(x); });
      }
      break;
    case Target::Kind::Bar: {
      const BarControl& control = kBars[target.bar];
      const auto handler = press ? control.mouseDown : control.mouseMove;
      const int column = columnIn(barOf(target.bar), point.x());
      guarded([this, handler, column] { handler(diagram_, column); });
      break;
    }
  }
  refresh();
}

void DiagramWindow::paintBackground() {
  QPainter painter(background_);
  const QRect area = background_->rect();
  painter.fillRect(area, QColor(kSkyBlue));
  painter.setPen(QColor(kBackgroundFrame));
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    const Bar bar = barOf(i);
    if (bar.width != 0) continue;
    const QPoint top = background_->mapFrom(window_, QPoint(onScreen(bar.left), bars_[i]->y()));
    painter.setPen(QColor(kBars[i].outline));
    painter.drawLine(top, top + QPoint(0, bars_[i]->height() - 1));
  }
}

void DiagramWindow::paintAxis() {
  QPainter painter(axis_);
  const int middle = axis_->height() / 2;
  const int tip = axis_->width() - 1;
  const int shaftEnd = tip - kArrowLength;
  painter.setPen(QColor(kAxis));
  painter.drawLine(0, middle, shaftEnd, middle);
  // Ticks every ten register units, longer every fifty.
  for (int x = kTickEvery; x < shaftEnd; x += kTickEvery) {
    const int half = x % kLongTickEvery == 0 ? kLongTickHalf : kTickHalf;
    painter.drawLine(x, middle - half, x, middle + half);
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(kAxis));
  const QPoint head[] = {
      {tip, middle}, {shaftEnd, middle - kArrowHalfWidth}, {shaftEnd, middle + kArrowHalfWidth}};
  painter.drawPolygon(head, static_cast<int>(std::size(head)));
}

void DiagramWindow::paintBar(std::size_t bar) {
  QWidget* widget = bars_[bar];
  if (widget->width() <= 0 || widget->height() <= 0) return;
  const BarControl& control = kBars[bar];
  QLinearGradient fill(0, 0, widget->width(), 0);
  fill.setColorAt(0, QColor(control.fillFrom));
  fill.setColorAt(1, QColor(control.fillTo));
  QPainter painter(widget);
  painter.setPen(QColor(control.outline));
  painter.setBrush(fill);
  painter.drawPolygon(combOutline(widget->width(), widget->height(), control.teeth), Qt::WindingFill);
}

}  // namespace lintari::ui
