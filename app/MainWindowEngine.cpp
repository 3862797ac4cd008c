// The engine services a user meets: the start-up check that the engine files are
// there, and the chooser of the engine build.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/EngineAvailability.h"
#include "app/EngineChoiceTexts.h"
#include "app/MainWindow.h"
#include "app/resource.h"
#include "core/ConfigManager.h"
#include "core/EnginePaths.h"
#include "core/Log.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace {

// What the chooser's procedure works on while it is open.
struct EngineChoiceDialog {
  const std::vector<EngineVariantInfo>* builds;
  int lastSelected = 0;
};

void refuse(HWND owner, const EngineVariantInfo& build) {
  MessageBoxW(owner, EngineChoiceTexts::refusal(build).c_str(), EngineChoiceTexts::kRefusalCaption,
              MB_OK | MB_ICONWARNING);
}

// OK, or a double click on a line: a usable line ends the dialog with its row; an
// unusable one is refused and the dialog stays open.
void confirmSelection(HWND dialog, EngineChoiceDialog& state) {
  HWND list = GetDlgItem(dialog, IDC_ENGINE_LIST);
  const LRESULT line = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (line == LB_ERR) {
    EndDialog(dialog, state.lastSelected);
    return;
  }
  const int row = static_cast<int>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0));
  state.lastSelected = row;
  if (row >= 0 && static_cast<size_t>(row) < state.builds->size() &&
      !EngineChoiceTexts::isUsable((*state.builds)[row])) {
    refuse(dialog, (*state.builds)[row]);
    return;
  }
  EndDialog(dialog, row);
}

}  // namespace

void MainWindow::checkEngineAvailability() {
  for (const std::wstring& notice : EngineAvailability::check(ConfigManager::getExecutableDirectory(), enginePath)) {
    announcer->announce(notice);
  }
}

bool MainWindow::showEngineSelectionDialog(HWND parent) {
  HWND owner = parent ? parent : hwnd;
  CpuFeatures::detect();
  engineChoices = CpuFeatures::listAllVariants();
  EngineChoiceDialog state{&engineChoices, 0};
  const INT_PTR result = DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_ENGINE_VARIANT), owner,
                                         &MainWindow::engineVariantDialogProc, reinterpret_cast<LPARAM>(&state));
  if (result < 0 || static_cast<size_t>(result) >= engineChoices.size()) {
    announcer->announce(EngineChoiceTexts::kCancelled);
    return false;
  }
  const EngineVariantInfo chosen = engineChoices[static_cast<size_t>(result)];
  if (!EngineChoiceTexts::isUsable(chosen)) {
    refuse(owner, chosen);
    return false;
  }
  const std::string path = bundledEnginePath(chosen.fileName);
  const std::wstring message = EngineChoiceTexts::confirmation(chosen, CpuFeatures::selectBestEngine());
  announcer->announce(message);
  MessageBoxW(owner, message.c_str(), EngineChoiceTexts::kConfirmationCaption, MB_OK | MB_ICONINFORMATION);
  enginePath = path;
  ai->setEnginePath(enginePath);
  if (!writeSettings(&chosen.fileName)) tellSettingsUnsaved();
  logInfo("[EngineSelection] User selected: " + chosen.fileName);
  // An engine that had given up is tried again, as the new build, when it is its turn.
  if (reviveEngine()) askEngineForItsMove();
  return true;
}

INT_PTR CALLBACK MainWindow::engineVariantDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<EngineChoiceDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<EngineChoiceDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      state->lastSelected = 0;
      SetWindowTextW(dialog, EngineChoiceTexts::kCaption);
      HWND list = GetDlgItem(dialog, IDC_ENGINE_LIST);
      const EngineChoiceList lines = EngineChoiceTexts::listLines(*state->builds);
      for (size_t row = 0; row < lines.lines.size(); ++row) {
        const LRESULT line = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.lines[row].c_str()));
        if (line < 0) continue;
        SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(line), static_cast<LPARAM>(row));
        if (static_cast<int>(row) == lines.recommended) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
      }
      SetDlgItemTextW(dialog, IDC_ENGINE_EXPLANATION, EngineChoiceTexts::kExplanation);
      SetDlgItemTextW(dialog, IDOK, L"确定(&O)");
      SetDlgItemTextW(dialog, IDCANCEL, L"取消(&C)");
      SetFocus(list);
      return FALSE;  // the focus was set here
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == IDC_ENGINE_LIST && HIWORD(wParam) == LBN_DBLCLK)) {
        confirmSelection(dialog, *state);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, -1);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, -1);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace Tavrune
