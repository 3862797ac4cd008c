// The one-line text input dialog (resource 350) that game-side components open
// through the window's UI callback.
#include "app/MainWindow.h"
#include "app/resource.h"
#include "platform/WinUICallback.h"

namespace Tavrune {

INT_PTR CALLBACK MainWindow::textInputDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // Each open dialog keeps its own request, so nothing is shared between dialogs.
  auto* request = reinterpret_cast<WinUICallback::TextInputRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      request = reinterpret_cast<WinUICallback::TextInputRequest*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, L"输入");
      SetDlgItemTextW(dialog, IDOK, L"确定");
      SetDlgItemTextW(dialog, IDCANCEL, L"取消");
      if (request && request->prompt) SetDlgItemTextW(dialog, IDC_TEXT_INPUT_PROMPT, request->prompt->c_str());
      SetFocus(GetDlgItem(dialog, IDC_TEXT_INPUT_EDIT));
      return FALSE;  // the focus was set here
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (request && request->result) {
          HWND edit = GetDlgItem(dialog, IDC_TEXT_INPUT_EDIT);
          const int length = GetWindowTextLengthW(edit);
          std::wstring text(static_cast<size_t>(length) + 1, L'\0');
          const int copied = GetWindowTextW(edit, text.data(), length + 1);
          text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
          *request->result = text;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace Tavrune
