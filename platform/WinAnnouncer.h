#pragma once
// The IAnnouncer of the Windows program: every notice becomes the board window's
// accessible name and title, through the accessibility manager.
#include "accessibility/IAnnouncer.h"

namespace Tavrune {

class AccessibilityManager;

class WinAnnouncer : public IAnnouncer {
 public:
  // `manager` is not owned; the main window keeps it alive longer than this announcer.
  explicit WinAnnouncer(AccessibilityManager* manager);

  void announce(const std::wstring& text) override;
  void cellChanged(const Position& pos, PieceType piece) override;

 private:
  AccessibilityManager* manager_;
};

}  // namespace Tavrune
