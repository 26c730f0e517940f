#include "support/modem_app_fixture.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <stdexcept>

#include "app/settings_store.h"
#include "link/port_map.h"

namespace lintari::testing_support {

ModemAppFixture::ModemAppFixture(std::vector<std::string> simulatorOptions)
    : simulator(LINTARI_MODEMSIM, dir.path(), std::move(simulatorOptions)),
      port([this](int number) { return devicePathForPort(registry, number); }) {
  registry.setString("\\HARDWARE\\DEVICEMAP\\SERIALCOMM", simulator.link().string(), "COM1");
  registry.setString(kDriverKey, "Model", "Brevant TRVK2 (simulated)");
  registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, kDriverKey);
  registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, "1");
}

ModemAppFixture::~ModemAppFixture() {
  app_.reset();
  port.close();
}

ui::LintariApp& ModemAppFixture::start() {
  if (!simulator.start()) throw std::runtime_error(simulator.failure());
  app_ = std::make_unique<ui::LintariApp>(ui::Platform{registry, port, clock, shell},
                                          ui::AppOptions{[] { return false; }});
  app_->start();
  return *app_;
}

QWidget* ModemAppFixture::window(std::string_view name) const {
  if (name == "TForm1") return app_->mainWindow();
  if (name == "TForm2") return app_->setupWindow();
  if (name == "TForm4") return app_->diagramWindow();
  throw std::logic_error("no window " + std::string(name));
}

void ModemAppFixture::click(std::string_view window, std::string_view button) const {
  auto* b = find<QAbstractButton>(window, button);
  if (b == nullptr) throw std::logic_error("no button " + std::string(button));
  if (!b->isEnabled()) throw std::logic_error("button " + std::string(button) + " is disabled");
  b->click();
}

bool ModemAppFixture::settle(int seconds) const {
  ModemLink& link = app_->program().link();
  QDeadlineTimer deadline(std::chrono::seconds{seconds});
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!link.nextDeadline().has_value()) {
      // One more round, so a notice raised by the last read is handled.
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      return true;
    }
  }
  return false;
}

std::string ModemAppFixture::received() const { return bytesOf(readByteLog(simulator.receivedLog())); }

}  // namespace lintari::testing_support
