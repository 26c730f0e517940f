#pragma once

class QWidget;

namespace lintari::ui {

// Prints one line "shown <ns>" on standard error when the window is first
// exposed, <ns> being CLOCK_MONOTONIC (which steady_clock reads on Linux), so
// that a benchmark can time start-up against its own launch time on the same
// clock. Lintari and the benchmark's minimal Qt program share it, so both are
// timed by the same rule.
void reportFirstExpose(QWidget* window);

}  // namespace lintari::ui
