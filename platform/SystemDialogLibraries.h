#pragma once
// The file boxes (comdlg32) and the common controls (comctl32), loaded from the system
// folder at their first use: the program needs them only to open or save a record and
// for the settings dialog, and linking them costs every start.
#include <windows.h>
#include <commdlg.h>

namespace Tavrune::SystemDialogLibraries {

// GetOpenFileNameW and GetSaveFileNameW; FALSE also when comdlg32 cannot be loaded. The
// process's current folder is the same after the call as before it.
BOOL getOpenFileName(OPENFILENAMEW& dialog);
BOOL getSaveFileName(OPENFILENAMEW& dialog);
// InitCommonControlsEx for these control classes (ICC_*); FALSE also when comctl32
// cannot be loaded.
BOOL initCommonControls(DWORD classes);

}  // namespace Tavrune::SystemDialogLibraries
