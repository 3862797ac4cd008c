#pragma once
// The window's UI services for game-side components: repaint the window, and ask the
// user for one line of text in the modal input dialog (resource 350).
#include <windows.h>

#include <string>

#include "game/IUICallback.h"

namespace Tavrune {

class WinUICallback : public IUICallback {
 public:
  static constexpr int kTextInputDialog = 350;

  // What the input dialog's procedure receives as its initialisation parameter.
  struct TextInputRequest {
    std::wstring* result;         // receives the typed text on OK
    const std::wstring* prompt;   // shown above the edit field
  };

  // The dialog procedure of resource 350 belongs to the window; it is handed in so this
  // adapter does not depend on the window.
  explicit WinUICallback(DLGPROC textInputProcedure);

  // Null until the window exists; then the owner of the dialog and the repaint target.
  void setWindow(HWND window) { window_ = window; }

  void requestRedraw() override;
  // False at once without a window (the answer untouched), for Cancel and for an empty
  // answer; an error box when the dialog cannot be created.
  bool promptText(const std::wstring& prompt, std::wstring& answer) override;

 private:
  HWND window_ = nullptr;
  DLGPROC textInputProcedure_;
};

}  // namespace Tavrune
