#pragma once

#include <QRect>
#include <vector>

class QWidget;

namespace lintari::ui {

// The order in which a reader takes in boxes on a page: row by row from the
// top, each row from the left. Two boxes share a row when the middle of each
// lies within the other's height, so a tall button beside a row of short
// ones still reads as part of that row. Returns indexes into `boxes`.
std::vector<int> readingOrder(const std::vector<QRect>& boxes);

// Sets the Tab chain of a window in reading order: its controls, those in
// group boxes included, by their place in the window; a tab control is
// followed by the controls of each of its pages, page by page, each page in
// its own reading order. Controls that hide or are disabled are skipped by
// Tab as usual.
void orderTabChain(QWidget* window);

}  // namespace lintari::ui
