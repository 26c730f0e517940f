// The busy-signal diagram window driven with the mouse: opening from the
// busy-tone page, picking up and dragging bar edges, releasing them, and
// copying the values back.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/settings_store.h"
#include "support/app_fixture.h"

using lintari::SettingsStore;
using lintari::testing_support::AppFixture;
using Kind = lintari::testing_support::RecordingMessageBoxes::Kind;

namespace {

// A row in the middle of each bar, in client-area (and Shape1) coordinates:
// the tone bar covers rows 24..96, the pause bar rows 96..168.
constexpr int kToneRow = 50;
constexpr int kPauseRow = 130;

const QStringList kTimeBoxes{"Edit2", "Edit3", "Edit4", "Edit5"};
const QStringList kValueLabels{"RxLabel5", "RxLabel6", "RxLabel7", "RxLabel8"};

// The program on a configured modem with a supported firmware, so that the
// busy-signal group is usable.
class Rig {
 public:
  Rig() {
    f.configureModem();
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kModem, "TRVK2");
    f.registry.setString(SettingsStore::kKeyPath, SettingsStore::kVersion, "84a");
    f.start();
  }

  template <class T = QWidget>
  T* main(const QString& name) const {
    return control<T>("TForm1", name);
  }
  template <class T = QWidget>
  T* diagram(const QString& name) const {
    return control<T>("TForm4", name);
  }
  [[nodiscard]] QWidget* window() const { return f.window("TForm4"); }
  [[nodiscard]] QWidget* bar(int index) const {
    return diagram(index == 0 ? QStringLiteral("LMDShapeControl1") : QStringLiteral("LMDShapeControl2"));
  }
  [[nodiscard]] QWidget* background() const { return diagram(QStringLiteral("Shape1")); }

  // Types the four times into the page and presses the picture button, which
  // a read of the page would have enabled.
  void open(const QStringList& times) {
    for (int i = 0; i < kTimeBoxes.size(); ++i) main<QLineEdit>(kTimeBoxes[i])->setText(times[i]);
    f.app().program().context().main.setEnabled("LMD3DEffectButton1", true);
    QTest::mouseClick(main<QPushButton>(QStringLiteral("LMD3DEffectButton1")), Qt::LeftButton);
    if (!window()->isVisible()) return;
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    // The offscreen platform gives a pointer move to the first window under
    // it, whichever is in front; the main window would hide the diagram.
    f.window("TForm1")->hide();
    // Qt drops a move to where the pointer already is; an earlier test may
    // have left it on a point that this one moves to.
    QCursor::setPos(window()->mapToGlobal(QPoint(-20, -20)));
    QCoreApplication::processEvents();
  }

  // A click on a bar at column x of that bar, in the bar's middle row.
  void clickBar(int index, int x, Qt::MouseButton button = Qt::LeftButton) const {
    QTest::mouseClick(bar(index), button, {}, QPoint(x, bar(index)->height() / 2));
  }
  // The pointer over a bar, without a button held.
  void moveOverBar(int index, int x) const {
    QTest::mouseMove(bar(index), QPoint(x, bar(index)->height() / 2));
  }
  void moveOverBackground(int x, int row) const { QTest::mouseMove(background(), QPoint(x, row)); }

  // Left edge and width of a bar, as its widget has them.
  [[nodiscard]] QList<int> barGeometry(int index) const { return {bar(index)->x(), bar(index)->width()}; }
  [[nodiscard]] QStringList labels() const {
    QStringList texts;
    for (const QString& name : kValueLabels) texts << diagram<QLabel>(name)->text();
    return texts;
  }
  [[nodiscard]] QStringList times() const {
    QStringList texts;
    for (const QString& name : kTimeBoxes) texts << main<QLineEdit>(name)->text();
    return texts;
  }

  AppFixture f;

 private:
  template <class T>
  T* control(std::string_view window, const QString& name) const {
    T* found = f.find<T>(window, name.toStdString());
    if (found == nullptr) qFatal("no %s in %s", qPrintable(name), std::string(window).c_str());
    return found;
  }
};

int rowOf(int bar) { return bar == 0 ? kToneRow : kPauseRow; }

// The label of a bar's minimum and maximum.
int minimumLabel(int bar) { return 2 * bar; }
int maximumLabel(int bar) { return 2 * bar + 1; }

void addBarColumns() {
  QTest::addColumn<int>("bar");
  QTest::newRow("tone bar") << 0;
  QTest::newRow("pause bar") << 1;
}

}  // namespace

class DiagramWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // A read leaves three-digit texts in the boxes; "Внести значения" gives
  // plain numbers back and changes nothing else.
  void openingDrawsThePageValuesAndAnUntouchedCopyGivesThemBack() {
    Rig r;
    r.main<QLineEdit>(QStringLiteral("Edit6"))->setText(QStringLiteral("004"));
    r.open({"010", "020", "030", "045"});
    QVERIFY(r.window()->isVisible());
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 15}));
    QCOMPARE(r.bar(0)->y(), 24);
    QCOMPARE(r.bar(0)->height(), 73);
    QCOMPARE(r.bar(1)->y(), 96);
    QCOMPARE(r.bar(1)->height(), 73);
    QCOMPARE(r.labels(), (QStringList{"100", "200", "300", "450"}));

    QTest::mouseClick(r.diagram<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(r.times(), (QStringList{"10", "20", "30", "45"}));
    QCOMPARE(r.main<QLineEdit>(QStringLiteral("Edit6"))->text(), QStringLiteral("004"));
    QVERIFY(!r.window()->isVisible());
    QVERIFY(r.f.boxes.boxes.empty());
  }

  // Opening again while the window is up redraws it from the page.
  void reopeningAVisibleWindowRedrawsItFromThePage() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    r.f.window("TForm1")->show();
    r.open({"5", "25", "60", "61"});
    QCOMPARE(r.barGeometry(0), (QList<int>{5, 20}));
    QCOMPARE(r.barGeometry(1), (QList<int>{60, 1}));
    QCOMPARE(r.labels(), (QStringList{"50", "250", "600", "610"}));
  }

  // Any button picks an edge up; the edge then follows the pointer without
  // a button held.
  void aLeftEdgeFollowsThePointerOutwardOverTheBackground_data() {
    QTest::addColumn<int>("bar");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("tone bar, left button") << 0 << Qt::LeftButton;
    QTest::newRow("pause bar, right button") << 1 << Qt::RightButton;
  }
  void aLeftEdgeFollowsThePointerOutwardOverTheBackground() {
    QFETCH(int, bar);
    QFETCH(Qt::MouseButton, button);
    Rig r;
    r.open({"10", "20", "30", "45"});
    const QList<int> before = r.barGeometry(bar);
    const QList<int> other = r.barGeometry(1 - bar);
    const int right = before[0] + before[1];
    r.clickBar(bar, 3, button);
    const int target = before[0] - 7;
    r.moveOverBackground(target, rowOf(bar));
    QCOMPARE(r.barGeometry(bar), (QList<int>{target, right - target}));
    QCOMPARE(r.labels()[minimumLabel(bar)], QString::number(10 * target));
    QCOMPARE(r.labels()[maximumLabel(bar)], QString::number(10 * right));
    QCOMPARE(r.barGeometry(1 - bar), other);
  }

  // Pressing on an edge and dragging with the button held does what a
  // click and a move do: moves that leave the pressed bar go to what lies
  // under the pointer, and the edge stays picked up after the release.
  void aPressAndDragActsLikeAClickAndMoves() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    QWidget* tone = r.bar(0);
    const int middle = tone->height() / 2;
    QTest::mousePress(tone, Qt::LeftButton, {}, QPoint(3, middle));
    QTest::mouseMove(tone, QPoint(-7, middle));
    QCOMPARE(r.barGeometry(0), (QList<int>{3, 17}));
    QTest::mouseRelease(tone, Qt::LeftButton, {}, tone->mapFrom(r.window(), QPoint(3, kToneRow)));
    r.moveOverBackground(1, kToneRow);
    QCOMPARE(r.barGeometry(0), (QList<int>{1, 19}));
    QCOMPARE(r.labels(), (QStringList{"10", "200", "300", "450"}));
  }

  // With the pause bar's right edge picked up, a drag that starts on the
  // tone bar moves the pause edge while it is over the pause bar, nothing
  // over the axis, and both right edges over the background.
  void dragMovesGoToTheControlUnderThePointer() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    r.clickBar(1, 14);
    QWidget* tone = r.bar(0);
    const int middle = tone->height() / 2;
    QTest::mousePress(tone, Qt::LeftButton, {}, QPoint(9, middle));
    // Over the pause bar, 5 columns into it.
    QTest::mouseMove(tone, tone->mapFrom(r.window(), QPoint(35, kPauseRow)));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 5}));
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
    // Over the axis, clear of both bars.
    QTest::mouseMove(tone, tone->mapFrom(r.window(), QPoint(200, 110)));
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 5}));
    // Over a caption.
    QTest::mouseMove(tone, tone->mapFrom(r.window(), QPoint(200, 12)));
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
    QTest::mouseRelease(tone, Qt::LeftButton, {}, tone->mapFrom(r.window(), QPoint(200, 12)));
    r.moveOverBackground(60, kToneRow);
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 50}));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 30}));
    QCOMPARE(r.labels(), (QStringList{"100", "600", "300", "600"}));
  }

  void aClickOnTheBackgroundPutsEveryEdgeDown() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    r.clickBar(0, 3);
    r.clickBar(1, 14);
    QTest::mouseClick(r.background(), Qt::LeftButton, {}, QPoint(200, kToneRow));
    r.moveOverBackground(1, kToneRow);
    r.moveOverBackground(200, kPauseRow);
    r.moveOverBar(0, 5);
    r.moveOverBar(1, 2);
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 15}));
    QCOMPARE(r.labels(), (QStringList{"100", "200", "300", "450"}));
  }

  // The toolkit turns the second press of a quick double click into a
  // double click; it puts the edge down like any further click.
  void aQuickSecondClickPutsTheEdgeDown() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    QWidget* tone = r.bar(0);
    const QPoint edge(3, tone->height() / 2);
    QTest::mouseClick(tone, Qt::LeftButton, {}, edge);
    QTest::mouseDClick(tone, Qt::LeftButton, {}, edge);
    QTest::mouseRelease(tone, Qt::LeftButton, {}, edge);
    r.moveOverBackground(2, kToneRow);
    QCOMPARE(r.barGeometry(0), (QList<int>{10, 10}));
  }

  // The right edge shrinks onto the bar's first column, leaving no pixels;
  // still picked up, it widens again over the background.
  void aRightEdgeCollapsesOntoTheFirstColumnAndWidensAgain_data() { addBarColumns(); }
  void aRightEdgeCollapsesOntoTheFirstColumnAndWidensAgain() {
    QFETCH(int, bar);
    Rig r;
    r.open({"10", "20", "30", "45"});
    const int left = r.bar(bar)->x();
    r.clickBar(bar, r.bar(bar)->width() - 1);
    r.moveOverBar(bar, 0);
    QCOMPARE(r.barGeometry(bar), (QList<int>{left, 0}));
    QCOMPARE(r.labels()[maximumLabel(bar)], QString::number(10 * left));
    r.moveOverBackground(left + 12, rowOf(bar));
    QCOMPARE(r.barGeometry(bar), (QList<int>{left, 12}));
    QCOMPARE(r.labels()[maximumLabel(bar)], QString::number(10 * (left + 12)));
  }

  void aRightEdgeDraggedOutwardLandsUnderThePointer_data() { addBarColumns(); }
  void aRightEdgeDraggedOutwardLandsUnderThePointer() {
    QFETCH(int, bar);
    Rig r;
    r.open({"10", "20", "30", "45"});
    const int left = r.bar(bar)->x();
    r.clickBar(bar, r.bar(bar)->width() - 2);
    for (const int x : {70, 151, 368}) {
      r.moveOverBackground(x, rowOf(bar));
      QCOMPARE(r.bar(bar)->x(), left);
      QCOMPARE(r.bar(bar)->x() + r.bar(bar)->width(), x);
      QCOMPARE(r.labels()[maximumLabel(bar)], QString::number(10 * x));
    }
    QTest::mouseClick(r.diagram<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(r.times()[maximumLabel(bar)], QStringLiteral("368"));
  }

  void theCloseBoxHidesTheWindowWithoutCopying() {
    Rig r;
    r.open({"10", "20", "30", "45"});
    r.clickBar(0, 3);
    r.moveOverBackground(2, kToneRow);
    QCOMPARE(r.labels()[0], QStringLiteral("20"));
    QVERIFY(r.window()->close());
    QVERIFY(!r.window()->isVisible());
    QCOMPARE(r.times(), (QStringList{"10", "20", "30", "45"}));
  }

  // The whole text must convert, as the page's own rule says.
  void aTimeThatIsNoNumberIsReportedAndTheWindowStaysHidden_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << 1 << QStringLiteral("2x");
    QTest::newRow("empty") << 2 << QString();
    QTest::newRow("trailing blank") << 3 << QStringLiteral("45 ");
  }
  void aTimeThatIsNoNumberIsReportedAndTheWindowStaysHidden() {
    QFETCH(int, box);
    QFETCH(QString, text);
    Rig r;
    QStringList times{"10", "20", "30", "45"};
    times[box] = text;
    r.open(times);
    QVERIFY(!r.window()->isVisible());
    QCOMPARE(r.f.boxes.texts(Kind::Critical),
             QStringList{QStringLiteral("'%1' is not a valid integer value.").arg(text)});
    QCOMPARE(r.f.boxes.boxes.front().title, QStringLiteral("LTRI"));
    QCOMPARE(r.labels(), (QStringList{"0", "0", "0", "0"}));
  }

  // A maximum below its minimum: the bar collapses at the minimum and the
  // labels keep the page's values, so an untouched copy changes nothing. The
  // collapsed bar is drawn on the background and can still be picked up
  // there.
  void aMaximumBelowItsMinimumOpensACollapsedBarThatCanBePickedUp() {
    Rig r;
    r.open({"50", "20", "30", "45"});
    QVERIFY(r.window()->isVisible());
    QCOMPARE(r.barGeometry(0), (QList<int>{50, 0}));
    QCOMPARE(r.labels(), (QStringList{"500", "200", "300", "450"}));
    QVERIFY(r.f.boxes.boxes.empty());

    QTest::mouseClick(r.background(), Qt::LeftButton, {}, QPoint(52, kToneRow));
    r.moveOverBackground(40, kToneRow);
    QCOMPARE(r.barGeometry(0), (QList<int>{40, 10}));
    QCOMPARE(r.labels()[0], QStringLiteral("400"));
    QTest::mouseClick(r.background(), Qt::LeftButton, {}, QPoint(200, kToneRow));
    QTest::mouseClick(r.diagram<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(r.times(), (QStringList{"40", "20", "30", "45"}));
  }

  // A press just beside a collapsed bar, or in other rows, is a press on the
  // background: it puts every edge down.
  void aPressBesideACollapsedBarIsAPressOnTheBackground_data() {
    QTest::addColumn<QPoint>("press");
    QTest::newRow("left of it") << QPoint(49, kToneRow);
    QTest::newRow("five columns right of it") << QPoint(55, kToneRow);
    QTest::newRow("in the pause rows") << QPoint(51, kPauseRow + 30);
  }
  void aPressBesideACollapsedBarIsAPressOnTheBackground() {
    QFETCH(QPoint, press);
    Rig r;
    r.open({"50", "20", "30", "45"});
    r.clickBar(1, 3);
    QTest::mouseClick(r.background(), Qt::LeftButton, {}, press);
    r.moveOverBackground(20, kPauseRow);
    r.moveOverBackground(10, kToneRow);
    QCOMPARE(r.barGeometry(0), (QList<int>{50, 0}));
    QCOMPARE(r.barGeometry(1), (QList<int>{30, 15}));
  }
};

QTEST_MAIN(DiagramWindowTest)
#include "diagram_window_test.moc"
