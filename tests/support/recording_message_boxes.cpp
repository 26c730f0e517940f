#include "support/recording_message_boxes.h"

namespace lintari::testing_support {

RecordingMessageBoxes::RecordingMessageBoxes() { ui::setMessageBoxes(this); }

RecordingMessageBoxes::~RecordingMessageBoxes() { ui::setMessageBoxes(nullptr); }

void RecordingMessageBoxes::critical(const QString& title, const QString& text) {
  record({Kind::Critical, title, text});
}

void RecordingMessageBoxes::information(const QString& title, const QString& text) {
  record({Kind::Information, title, text});
}

void RecordingMessageBoxes::record(Box box) {
  boxes.push_back(box);
  // A copy: what the callback does may record further boxes.
  if (onBox) onBox(Box(box));
}

QStringList RecordingMessageBoxes::texts(Kind kind) const {
  QStringList found;
  for (const Box& box : boxes) {
    if (box.kind == kind) found << box.text;
  }
  return found;
}

QStringList RecordingMessageBoxes::log() const {
  QStringList lines;
  for (const Box& box : boxes) {
    lines << (box.kind == Kind::Critical ? QStringLiteral("critical: ") : QStringLiteral("information: ")) +
                 box.text;
  }
  return lines;
}

}  // namespace lintari::testing_support
