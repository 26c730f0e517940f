#include "pages/busy_signal_diagram.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "core/text_to_int.h"
#include "pages/busy_tone_page.h"

namespace lintari {

namespace {

constexpr std::size_t kTone = 0;
constexpr std::size_t kPause = 1;

// Ten times S203, S204, S205, S206, in register order: bar i has its minimum
// on label 2i and its maximum on label 2i + 1.
constexpr std::array<std::string_view, 4> kValueLabels{"RxLabel5", "RxLabel6", "RxLabel7", "RxLabel8"};

// The labels show ten times the value; a typed value near the int limit
// would overflow an int, so the label is computed wider.
constexpr std::int64_t kLabelScale = 10;

// An edge is picked up within the first five columns of a bar, or from two
// columns inside to four beyond its right end.
constexpr int kLeftZone = 4;
constexpr std::int64_t kRightZoneBefore = -2;
constexpr std::int64_t kRightZoneAfter = 4;

constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();

std::int64_t rightOf(const Bar& bar) { return std::int64_t{bar.left} + bar.width; }

std::string labelText(std::int64_t value) { return std::to_string(value * kLabelScale); }

}  // namespace

BusySignalDiagram::BusySignalDiagram(Context& context) : context_(context) {}

void BusySignalDiagram::place(std::size_t index, Edge edges) {
  // An edge pair that crosses (a page maximum below its minimum) collapses
  // to width 0 at the left edge; the right edge is kept where an int still
  // reaches it.
  const std::int64_t left = std::clamp(edges.left, kIntMin, kIntMax);
  const std::int64_t right = std::clamp(edges.right, left, std::min(kIntMax, left + kIntMax));
  bars_[index].bar = Bar{static_cast<int>(left), static_cast<int>(right - left)};
}

void BusySignalDiagram::open(int s203, int s204, int s205, int s206) {
  place(kTone, {s203, s204});
  place(kPause, {s205, s206});
  const std::array<int, 4> values{s203, s204, s205, s206};
  for (std::size_t i = 0; i < values.size(); ++i) {
    context_.diagram.setText(kValueLabels[i], labelText(values[i]));
  }
}

Bar BusySignalDiagram::tone() const { return bars_[kTone].bar; }

Bar BusySignalDiagram::pause() const { return bars_[kPause].bar; }

void BusySignalDiagram::moveLeftEdge(std::size_t index, std::int64_t left) {
  place(index, {left, rightOf(bars_[index].bar)});
  context_.diagram.setText(kValueLabels[2 * index], labelText(bars_[index].bar.left));
}

void BusySignalDiagram::moveRightEdge(std::size_t index, std::int64_t right) {
  place(index, {bars_[index].bar.left, right});
  context_.diagram.setText(kValueLabels[2 * index + 1], labelText(rightOf(bars_[index].bar)));
}

void BusySignalDiagram::grab(std::size_t index, int x) {
  // A click on a bar with a grabbed edge puts that edge down, except that a
  // click on the right edge while the left one is held swaps them at once.
  // On a narrow bar where both zones meet, the left edge wins.
  BarState& s = bars_[index];
  s.leftGrabbed = x <= kLeftZone && !s.leftGrabbed && !s.rightGrabbed;
  const std::int64_t fromRight = std::int64_t{x} - s.bar.width;
  s.rightGrabbed =
      fromRight >= kRightZoneBefore && fromRight <= kRightZoneAfter && !s.leftGrabbed && !s.rightGrabbed;
}

void BusySignalDiagram::shrink(std::size_t index, int x) {
  BarState& s = bars_[index];
  // Only a pointer that really is over the bar may move its edges here; this
  // keeps a left-edge drag at width 1 or more and a right-edge drag at 0 or
  // more.
  if (x < 0 || x >= s.bar.width) return;
  // A click grabs at most one edge of a bar.
  if (s.leftGrabbed && x > 0) {
    moveLeftEdge(index, std::int64_t{s.bar.left} + x);
  } else if (s.rightGrabbed) {
    moveRightEdge(index, std::int64_t{s.bar.left} + x);
  }
}

void BusySignalDiagram::LMDShapeControl1MouseDown(int x) { grab(kTone, x); }

void BusySignalDiagram::LMDShapeControl2MouseDown(int x) { grab(kPause, x); }

void BusySignalDiagram::LMDShapeControl1MouseMove(int x) { shrink(kTone, x); }

void BusySignalDiagram::LMDShapeControl2MouseMove(int x) { shrink(kPause, x); }

void BusySignalDiagram::Shape1MouseMove(int x) {
  for (std::size_t i : {kTone, kPause}) {
    if (bars_[i].leftGrabbed && x < bars_[i].bar.left) moveLeftEdge(i, x);
    if (bars_[i].rightGrabbed && x > rightOf(bars_[i].bar)) moveRightEdge(i, x);
  }
}

void BusySignalDiagram::Shape1MouseDown() {
  for (BarState& s : bars_) s.leftGrabbed = s.rightGrabbed = false;
}

void BusySignalDiagram::SpeedButton1Click() {
  // All four labels are read before any box changes.
  std::array<std::int32_t, 4> values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = TextToInt(context_.diagram.text(kValueLabels[i]));
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    context_.main.setText(kBusyToneRegisters[i].box, std::to_string(values[i] / kLabelScale));
  }
  context_.windows.hideDiagramWindow();
}

void BusySignalDiagram::bind(Handlers& handlers) {
  handlers.push_back({"TForm4", "SpeedButton1", Event::Click, [this] { SpeedButton1Click(); }});
}

}  // namespace lintari
