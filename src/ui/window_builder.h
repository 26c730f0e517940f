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
// has the focus, which it takes with Tab and shows with a focus frame. Screen
// readers see it as a link they can press.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& text, QWidget* parent);

  // What a click does; also the screen reader's press.
  void activate();

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

// Makes the object of a non-visual component; the default is a plain QObject.
using ComponentMaker = std::function<QObject*(const design::Control& control, QObject* parent)>;

// Creates the widgets of one window from its design table, hidden: every
// control a child of the control named as its parent, with the design name as
// its objectName, its caption, geometry, items, range and enabled state. An
// edit box, list or slider is named for screen readers by its label, which
// becomes its buddy; the Tab chain follows the controls' places.
std::unique_ptr<QWidget> buildWindow(const std::vector<design::Control>& table,
                                     const ComponentMaker& makeComponent = {});

}  // namespace lintari::ui
