// The serial port's event delivery: the notifier and the one timer of the
// pump that drives the link from the event loop.

#include "ui/port_pump.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>
#include <algorithm>

#include "app/settings_store.h"
#include "common/fake_windows.h"
#include "core/memory_registry.h"
#include "link/modem_link.h"
#include "platform/monotonic_clock.h"
#include "support/recording_message_boxes.h"

using namespace lintari;
using testing_support::RecordingMessageBoxes;

namespace {

// A port whose input is the read end of a pipe the test writes to, so that
// the pump has a real descriptor to watch.
class PipePort : public SerialPort {
 public:
  PipePort() {
    if (pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0) qFatal("no pipe");
  }
  ~PipePort() override {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  PipePort(const PipePort&) = delete;
  PipePort& operator=(const PipePort&) = delete;

  [[nodiscard]] bool isOpen() const override { return open_; }
  [[nodiscard]] int portNumber() const override { return 1; }
  void open(int) override { open_ = true; }
  void close() override { open_ = false; }
  void writeByte(std::uint8_t byte) override { sent += static_cast<char>(byte); }
  PortInput readAvailable() override {
    PortInput input;
    ++reads;
    char chunk[256];
    ssize_t n = 0;
    while ((n = ::read(fds_[0], chunk, sizeof chunk)) > 0)
      input.bytes.append(chunk, static_cast<std::size_t>(n));
    if (unplugged) {
      input.lost = true;
      input.lostMessage = "The device of COM1 went away";
      open_ = false;
    }
    return input;
  }
  [[nodiscard]] int descriptor() const override { return open_ ? fds_[0] : -1; }

  void feed(std::string_view bytes) {
    if (::write(fds_[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      qFatal("pipe full");
  }

  std::string sent;
  bool unplugged = false;
  int reads = 0;

 private:
  int fds_[2]{-1, -1};
  bool open_ = false;
};

struct Rig {
  MemoryRegistry registry;
  SettingsStore settings{registry};
  PipePort port;
  MonotonicClock clock;
  testing_support::FakeWindows windows;
  ModemLink link{settings, port, clock, windows};
  ui::PortPump pump{clock, nullptr};
  int branchRuns = 0;

  Rig() {
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, "\\SYSTEM\\Modems\\0000");
    registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, "1");
    link.setBranch(kind::ToneDialling, [this] { ++branchRuns; });
    pump.watch(link);
  }

  // What a "Считать" handler of the tone dialling page does, followed by the
  // re-sync that every handler gets.
  void request() {
    link.BeginRequest(kind::ToneDialling);
    link.SendText("ATS11?\r");
    pump.sync();
  }

  [[nodiscard]] bool timerArmed() const {
    const auto timers = pump.findChildren<QTimer*>();
    return std::any_of(timers.begin(), timers.end(), [](const QTimer* t) { return t->isActive(); });
  }
  [[nodiscard]] int activeNotifiers() const {
    const auto notifiers = pump.findChildren<QSocketNotifier*>();
    return static_cast<int>(std::count_if(notifiers.begin(), notifiers.end(),
                                          [](const QSocketNotifier* n) { return n->isEnabled(); }));
  }
};

}  // namespace

class PortPumpTest : public QObject {
  Q_OBJECT

 private slots:
  void nothingWatchesOrTicksWhileThePortIsClosed() {
    Rig rig;
    QCOMPARE(rig.pump.objectName(), QStringLiteral("VaComm"));
    QCOMPARE(rig.activeNotifiers(), 0);
    QVERIFY(!rig.timerArmed());
  }

  void aCompleteAnswerIsDispatchedOnceThenAllIsQuiet() {
    Rig rig;
    rig.request();
    QCOMPARE(rig.activeNotifiers(), 1);
    QVERIFY(rig.timerArmed());
    rig.port.feed("ATS11?\r\r\n013\r\n\r\nOK\r\n");
    QTRY_COMPARE(rig.branchRuns, 1);
    QVERIFY(!rig.timerArmed());
    QCOMPARE(rig.link.requestKind(), kind::None);

    // Idle with the port open: input is collected, nothing else happens.
    const int reads = rig.port.reads;
    QTest::qWait(150);
    QCOMPARE(rig.port.reads, reads);
    QVERIFY(!rig.timerArmed());
    rig.port.feed("RING\r\n");
    QTRY_COMPARE(rig.link.replyText(), std::string("RING"));
    QCOMPARE(rig.branchRuns, 1);

    rig.link.closePort();
    rig.pump.sync();
    QCOMPARE(rig.activeNotifiers(), 0);
    QVERIFY(!rig.timerArmed());
  }

  // A modem that never answers: the notice still comes once, finds nothing,
  // and the timer is not armed again.
  void aSilentModemEndsTheRequestWithoutADispatch() {
    Rig rig;
    rig.request();
    QVERIFY(rig.link.nextDeadline().has_value());
    QTRY_VERIFY(!rig.link.nextDeadline().has_value());
    QVERIFY(!rig.timerArmed());
    QCOMPARE(rig.branchRuns, 0);
  }

  // The device goes away: one error box, the port is closed and no longer
  // watched, and nothing spins on the dead descriptor.
  void aLostDeviceIsReportedOnceAndNoLongerWatched() {
    RecordingMessageBoxes boxes;
    Rig rig;
    rig.request();
    rig.port.unplugged = true;
    rig.port.feed("x");
    QTRY_COMPARE(boxes.boxes.size(), std::size_t{1});
    QCOMPARE(boxes.log(), QStringList{"critical: The device of COM1 went away."});
    QCOMPARE(rig.activeNotifiers(), 0);
    QVERIFY(!rig.timerArmed());
    const int reads = rig.port.reads;
    QTest::qWait(100);
    QCOMPARE(rig.port.reads, reads);
    QCOMPARE(boxes.boxes.size(), std::size_t{1});
  }
};

QTEST_MAIN(PortPumpTest)
#include "port_pump_test.moc"
