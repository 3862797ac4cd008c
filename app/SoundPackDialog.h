#pragma once
// The sound-pack chooser (template 250): the packs found, the chosen one's details and
// its web site and QQ buttons. The dialog's result is the chosen pack's index or -1.
#include <windows.h>

#include <vector>

#include "audio/SoundPack.h"

namespace Tavrune {

// The packs must outlive the dialog.
INT_PTR runSoundPackDialog(HWND owner, const std::vector<SoundPack>& packs);
INT_PTR CALLBACK soundPackDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void showSoundPackDetails(HWND dialog, const SoundPack& pack);

}  // namespace Tavrune
