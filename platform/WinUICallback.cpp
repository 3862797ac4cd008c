#include "platform/WinUICallback.h"

namespace Tavrune {

WinUICallback::WinUICallback(DLGPROC textInputProcedure) : textInputProcedure_(textInputProcedure) {}

void WinUICallback::requestRedraw() {
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

bool WinUICallback::promptText(const std::wstring& prompt, std::wstring& answer) {
  if (!window_) return false;
  answer.clear();
  TextInputRequest request{&answer, &prompt};
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(kTextInputDialog), window_,
                                         textInputProcedure_, reinterpret_cast<LPARAM>(&request));
  if (result == -1) {
    MessageBoxW(window_, L"输入对话框资源未找到。", L"错误", MB_OK | MB_ICONERROR);
    return false;
  }
  return result == IDOK && !answer.empty();
}

}  // namespace Tavrune
