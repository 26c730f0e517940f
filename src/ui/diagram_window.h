#pragma once

#include <QObject>
#include <QPoint>
#include <array>
#include <cstddef>

#include "pages/busy_signal_diagram.h"

class QEvent;
class QMouseEvent;
class QWidget;

namespace lintari::ui {

// The busy-signal diagram window TForm4 as the user sees and drags it, over
// the widgets that the window builder made from the design table: the
// sky-blue background Shape1, the time axis LMDTechnicalLine1, the tone bar
// LMDShapeControl1 and the pause bar LMDShapeControl2. It paints them, turns
// the user's presses and moves into the diagram's mouse handlers, and keeps
// each bar's geometry on the diagram's: x() is the left edge and width() the
// width, one pixel per register unit.
//
// Presses and moves go to the control that is really under the pointer.
// While a button is held the toolkit keeps sending moves to the widget that
// got the press, wherever the pointer is; they are routed the same way, so a
// press-and-drag does what a click followed by moves does.
//
// A bar of width 0 has no pixels of its own. The background draws it as a
// one-pixel line at its left edge, and a press on the background in that
// bar's rows, on the line or up to four columns right of it (where a bar's
// left-edge zone lies), is a press on that bar: a collapsed bar can still be
// picked up. Moves there are moves over the background, which is what the
// pointer is over.
//
// Edges beyond the 369-pixel background are drawn over the window's plain
// face and clipped by the window. Geometry the window system cannot handle
// is clamped to ±2^20 pixels (nothing of it could be seen anyway); the
// diagram's own values and the labels stay exact.
class DiagramWindow : public QObject {
  Q_OBJECT

 public:
  // Becomes a child of `window`, which it turns into a tool window that
  // comes up centred the first time it is shown.
  DiagramWindow(QWidget* window, BusySignalDiagram& diagram);

  // Puts both bars where the diagram has them. Runs after every forwarded
  // event and whenever the window is shown; the program also runs it after
  // every handler, since re-opening a visible window shows nothing anew.
  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What a press or move at a point of the client area reaches.
  struct Target {
    enum class Kind { Nothing, Background, Bar } kind = Kind::Nothing;
    std::size_t bar = 0;
  };

  [[nodiscard]] Target targetAt(QPoint point, bool press) const;
  [[nodiscard]] bool collapsedBarAt(std::size_t bar, QPoint point) const;
  [[nodiscard]] Bar barOf(std::size_t bar) const;
  void forward(QWidget* receiver, const QMouseEvent& event);
  void paintBackground();
  void paintAxis();
  void paintBar(std::size_t bar);

  QWidget* window_;
  BusySignalDiagram& diagram_;
  QWidget* background_;
  QWidget* axis_;
  std::array<QWidget*, 2> bars_;
  bool placed_ = false;
};

}  // namespace lintari::ui
