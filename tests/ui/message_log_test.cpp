// The message log that lets a script driving the real program read its boxes:
// under LINTARI_MESSAGE_LOG every real QMessageBox is still shown, and its
// line is in the file already while the box is open.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/error_box.h"

using lintari::ui::messageBoxes;
using lintari::ui::showErrorBox;

namespace {

struct SeenBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  QByteArray logWhileOpen;
};

// Runs `show`, which opens one modal box; answers that box with OK once it
// is up, noting what it showed and what the log held at that moment.
SeenBox answerBox(const QString& logPath, const std::function<void()>& show) {
  SeenBox seen;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->icon(), box->windowTitle(), box->text(), {}};
    QFile log(logPath);
    if (log.open(QIODevice::ReadOnly)) seen.logWhileOpen = log.readAll();
    box->button(QMessageBox::Ok)->click();
  });
  poll.start();
  show();
  return seen;
}

}  // namespace

class MessageLogTest : public QObject {
  Q_OBJECT

 private slots:
  void eachBoxIsLoggedBeforeItShows_data() {
    QTest::addColumn<bool>("critical");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("error box, full stop added")
        << true << QStringLiteral("Can't open device COM1") << QStringLiteral("Can't open device COM1.")
        << QByteArray("LTRI\tcritical\tCan't open device COM1.\n");
    QTest::newRow("error box, Cyrillic")
        << true << QStringLiteral("данная версия") << QStringLiteral("данная версия.")
        << QByteArray("LTRI\tcritical\tданная версия.\n");
    QTest::newRow("plain message, line break and backslash kept apart")
        << false << QStringLiteral("a\\b\nc") << QStringLiteral("a\\b\nc")
        << QByteArray("LTRI\tinformation\ta\\\\b\\nc\n");
  }

  void eachBoxIsLoggedBeforeItShows() {
    QFETCH(bool, critical);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QByteArray, line);
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("boxes.log"));
    qputenv("LINTARI_MESSAGE_LOG", logPath.toLocal8Bit());

    const SeenBox seen = answerBox(logPath, [&] {
      if (critical) {
        showErrorBox(text.toStdString());
      } else {
        messageBoxes().information(QStringLiteral("LTRI"), text);
      }
    });
    qunsetenv("LINTARI_MESSAGE_LOG");

    QCOMPARE(seen.icon, critical ? QMessageBox::Critical : QMessageBox::Information);
    QCOMPARE(seen.title, QStringLiteral("LTRI"));
    QCOMPARE(seen.text, shown);
    QCOMPARE(seen.logWhileOpen, line);
  }

  void boxesAppendInOrder() {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("boxes.log"));
    qputenv("LINTARI_MESSAGE_LOG", logPath.toLocal8Bit());
    answerBox(logPath, [] { showErrorBox("first"); });
    const SeenBox second = answerBox(logPath, [] { showErrorBox("second"); });
    qunsetenv("LINTARI_MESSAGE_LOG");
    QCOMPARE(second.logWhileOpen, QByteArray("LTRI\tcritical\tfirst.\nLTRI\tcritical\tsecond.\n"));
  }

  void withoutTheVariableTheBoxShowsAndNothingIsWritten() {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("boxes.log"));
    qunsetenv("LINTARI_MESSAGE_LOG");
    const SeenBox seen = answerBox(logPath, [] { showErrorBox("Can't open device COM1"); });
    QCOMPARE(seen.text, QStringLiteral("Can't open device COM1."));
    QVERIFY(!QFile::exists(logPath));
  }
};

QTEST_MAIN(MessageLogTest)
#include "message_log_test.moc"
