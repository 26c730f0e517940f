#include "support/modem_app_fixture.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <stdexcept>

#include "app/settings_store.h"
#include "link/port_map.h"

namespace lintari::testing_support {

namespace {

// The in-memory hive is seeded through its helper, which counts no writes.
void seed(Registry& hive, MemoryRegistry& own, std::string_view key, std::string_view name,
          std::string_view data) {
  if (&hive == &own) {
    own.setString(key, name, data);
    return;
  }
  const auto opened = hive.openOrCreate(key, kKeyAllAccess);
  if (!opened) throw std::runtime_error("cannot create " + std::string(key));
  opened->writeString(name, data);
}

}  // namespace

ModemAppFixture::ModemAppFixture(std::vector<std::string> simulatorOptions)
    : ModemAppFixture(std::move(simulatorOptions), nullptr) {}

ModemAppFixture::ModemAppFixture(std::vector<std::string> simulatorOptions, Registry& hive)
    : ModemAppFixture(std::move(simulatorOptions), &hive) {}

ModemAppFixture::ModemAppFixture(std::vector<std::string> simulatorOptions, Registry* hive)
    : simulator(LINTARI_MODEMSIM, dir.path(), std::move(simulatorOptions)),
      port([this](int number) { return devicePathForPort(*hive_, number); }),
      hive_(hive != nullptr ? hive : &registry) {
  seed(*hive_, registry, kSerialCommKeyPath, simulator.link().string(), "COM1");
  seed(*hive_, registry, kDriverKey, "Model", "Brevant TRVK2 (simulated)");
  seed(*hive_, registry, SettingsStore::kKeyPath, SettingsStore::kPath, kDriverKey);
  seed(*hive_, registry, SettingsStore::kKeyPath, SettingsStore::kPort, "1");
}

ModemAppFixture::~ModemAppFixture() {
  app_.reset();
  port.close();
}

ui::LintariApp& ModemAppFixture::start() {
  if (!simulator.start()) throw std::runtime_error(simulator.failure());
  app_ = std::make_unique<ui::LintariApp>(ui::Platform{*hive_, port, clock, shell},
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
