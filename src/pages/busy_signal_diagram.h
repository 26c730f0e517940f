#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/context.h"

namespace lintari {

// A bar of the diagram in client-area pixels, one pixel per register unit.
// The width is never negative, and left + width always fits an int.
struct Bar {
  int left = 0;
  int width = 0;
  bool operator==(const Bar&) const = default;
};

// The busy-signal diagram window TForm4: the tone bar LMDShapeControl1 spans
// S203..S204, the pause bar LMDShapeControl2 spans S205..S206, labels
// RxLabel5..RxLabel8 show ten times the four values. An edge is picked up by
// a click on it, follows the pointer, and is put down by a further click on
// its bar or on the background Shape1.
//
// Coordinates: the bar handlers take x relative to that bar's left edge,
// Shape1MouseMove relative to the client area (where Shape1 starts). Every
// mouse handler reacts to any button; moves ignore the buttons.
//
// A page maximum below its minimum is held as a bar of width 0 at the
// minimum, while its label keeps the page's value until the bar's right edge
// is moved, so that "Внести значения" without a drag gives back exactly what
// was opened.
//
// Positions beyond the 369-pixel background are kept as they are; the window
// clips what it cannot show.
class BusySignalDiagram {
 public:
  explicit BusySignalDiagram(Context& context);

  // Sets both bars and the four labels from the page's values; the grabbed
  // edges stay grabbed.
  void open(int s203, int s204, int s205, int s206);

  [[nodiscard]] Bar tone() const;
  [[nodiscard]] Bar pause() const;

  // Grab or release an edge of that bar.
  void LMDShapeControl1MouseDown(int x);
  void LMDShapeControl2MouseDown(int x);
  // Shrink that bar towards the pointer. A toolkit keeps sending moves to
  // the pressed bar while the pointer is outside it: such moves (x below 0,
  // or at or beyond the width) are not moves over the bar and change nothing.
  void LMDShapeControl1MouseMove(int x);
  void LMDShapeControl2MouseMove(int x);
  // Grow the bars with grabbed edges towards the pointer.
  void Shape1MouseMove(int x);
  // Release every edge.
  void Shape1MouseDown();
  // "Внести значения": Edit2..Edit5 of the main page from the labels, then the
  // window is hidden.
  void SpeedButton1Click();

  void bind(Handlers& handlers);

 private:
  struct Edge {
    std::int64_t left;
    std::int64_t right;
  };
  // A bar with the grab flags of its two edges.
  struct BarState {
    Bar bar;
    bool leftGrabbed = false;
    bool rightGrabbed = false;
  };

  void grab(std::size_t index, int x);
  void shrink(std::size_t index, int x);
  void moveLeftEdge(std::size_t index, std::int64_t left);
  void moveRightEdge(std::size_t index, std::int64_t right);
  void place(std::size_t index, Edge edges);

  Context& context_;
  // The window is created once and lives for the whole run, and so does this
  // object: grabs survive hiding and re-opening.
  std::array<BarState, 2> bars_{};
};

}  // namespace lintari
