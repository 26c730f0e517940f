#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "ui/error_box.h"

namespace lintari::testing_support {

// Answers every message box at once and records it, so that no modal dialog
// blocks a widget test. Installed for its lifetime.
class RecordingMessageBoxes : public ui::MessageBoxes {
 public:
  enum class Kind { Critical, Information };
  struct Box {
    Kind kind;
    QString title;
    QString text;
  };

  RecordingMessageBoxes();
  ~RecordingMessageBoxes() override;
  RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
  RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;

  void critical(const QString& title, const QString& text) override;
  void information(const QString& title, const QString& text) override;

  // The texts of every box of one kind, in order.
  [[nodiscard]] QStringList texts(Kind kind) const;
  // Every box as "critical: <text>" or "information: <text>", in order.
  [[nodiscard]] QStringList log() const;

  std::vector<Box> boxes;
  // Runs while a box is "open", as a user would act before confirming it.
  std::function<void(const Box&)> onBox;

 private:
  void record(Box box);
};

}  // namespace lintari::testing_support
