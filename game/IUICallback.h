#pragma once
// UI services the window lends to game-side components (review): repaint and a
// one-line text prompt. The window owns the one implementation.
#include <string>

namespace Tavrune {

class IUICallback {
 public:
  virtual ~IUICallback() = default;
  virtual void requestRedraw() = 0;
  // Shows a modal input prompt; true only when confirmed with a non-empty answer.
  virtual bool promptText(const std::wstring& prompt, std::wstring& answer) = 0;
};

}  // namespace Tavrune
