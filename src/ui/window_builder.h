#pragma once

#include <QLabel>
#include <functional>
#include <memory>
#include <vector>

#include "app/design.h"

class QObject;
class QWidget;

namespace lintari::ui {

// A label that reacts like a link: a left click, or Space or Enter while it
// has the focus.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// Makes the object of a non-visual component; the default is a plain QObject.
using ComponentMaker = std::function<QObject*(const design::Control& control, QObject* parent)>;

// Creates the widgets of one window from its design table, hidden: every
// control a child of the control named as its parent, with the design name as
// its objectName, its caption, geometry, items, range and enabled state.
std::unique_ptr<QWidget> buildWindow(const std::vector<design::Control>& table,
                                     const ComponentMaker& makeComponent = {});

}  // namespace lintari::ui
