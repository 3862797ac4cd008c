// The settings dialog is not built yet: Ctrl+P and its menu entry only log.
#include "app/MainWindow.h"
#include "core/Log.h"

namespace Tavrune {

void MainWindow::showSoftwareSettingsPrototype() { logInfo("[MainWindow] Settings dialog not available yet"); }

}  // namespace Tavrune
