#include "support/app_fixture.h"

#include <stdexcept>

#include "app/settings_store.h"

namespace lintari::testing_support {

AppFixture::AppFixture() { port.openError = "Invalid port number (COM1)"; }

AppFixture::~AppFixture() = default;

void AppFixture::configureModem(const std::string& path, std::string_view portNumber) {
  registry.setString(SettingsStore::kKeyPath, SettingsStore::kPath, path);
  registry.setString(SettingsStore::kKeyPath, SettingsStore::kPort, portNumber);
}

void AppFixture::addModem(std::string_view subkey, std::string_view model) {
  registry.setString(std::string(kNtClassKey) + "\\" + std::string(subkey), "Model", model);
}

ui::LintariApp& AppFixture::create() {
  app_ = std::make_unique<ui::LintariApp>(ui::Platform{registry, port, clock, shell},
                                          ui::AppOptions{[this] { return trayAvailable; }});
  return *app_;
}

ui::LintariApp& AppFixture::start() {
  if (!app_) create();
  app_->start();
  return *app_;
}

QWidget* AppFixture::window(std::string_view name) const {
  if (name == "TForm1") return app_->mainWindow();
  if (name == "TForm2") return app_->setupWindow();
  if (name == "TForm4") return app_->diagramWindow();
  throw std::logic_error("no window " + std::string(name));
}

}  // namespace lintari::testing_support
