// Handlers whose full behaviour arrives with the menus and game commands, the board
// keys and notation entry, board painting, the volume keys, game sessions and the
// settings dialog. Until then each does the least the window needs: no menu bar, a
// plain background, and keys that only the window-level table handles.
#include "app/MainWindow.h"
#include "app/ProgramMessages.h"
#include "core/Log.h"

namespace Tavrune {

void MainWindow::showSoftwareSettingsPrototype() { logInfo("[MainWindow] Settings dialog not available yet"); }

void MainWindow::onPveEngineReady(bool ready) {
  logInfo(ready ? "PVE mode: AI engine initialized successfully" : "PVE mode: AI engine initialization failed");
}

}  // namespace Tavrune
