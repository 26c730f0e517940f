#include "app/main_window.h"

#include "app/design.h"

namespace lintari {

void MainWindow::FormCreate() {
  if (hooks_.fillInfoPage) hooks_.fillInfoPage();
  const bool versionStored = !context_.settings.read(SettingsStore::kVersion).empty();
  const auto& apply = versionStored ? hooks_.applyCapabilityProfile : hooks_.applyNoFirmwareFallback;
  if (apply) apply();
}

void MainWindow::SpeedButton1Click() { context_.shell.open(design::kHelpFile); }

void MainWindow::SpeedButton3Click() { context_.windows.closeMainWindow(); }

void MainWindow::Label20Click() { context_.shell.open(design::kBetaTestersSite); }

void MainWindow::Label22Click() { context_.shell.open(design::kMakerSite); }

void MainWindow::SpeedButton21Click() { context_.windows.showSetupWindow(); }

void MainWindow::N1Click() { context_.windows.showMainWindow(); }

void MainWindow::N2Click() { context_.windows.closeMainWindow(); }

void MainWindow::bind(Handlers& handlers) {
  handlers.push_back({"TForm1", "SpeedButton1", Event::Click, [this] { SpeedButton1Click(); }});
  handlers.push_back({"TForm1", "SpeedButton3", Event::Click, [this] { SpeedButton3Click(); }});
  handlers.push_back({"TForm1", "Label20", Event::Click, [this] { Label20Click(); }});
  handlers.push_back({"TForm1", "Label22", Event::Click, [this] { Label22Click(); }});
  handlers.push_back({"TForm1", "SpeedButton21", Event::Click, [this] { SpeedButton21Click(); }});
  handlers.push_back({"TForm1", "N1", Event::Click, [this] { N1Click(); }});
  handlers.push_back({"TForm1", "N2", Event::Click, [this] { N2Click(); }});
}

}  // namespace lintari
