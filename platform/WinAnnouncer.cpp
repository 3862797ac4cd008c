#include "platform/WinAnnouncer.h"

#include "accessibility/AccessibilityManager.h"

namespace Tavrune {

WinAnnouncer::WinAnnouncer(AccessibilityManager* manager) : manager_(manager) {}

void WinAnnouncer::announce(const std::wstring& text) {
  if (manager_) manager_->setStatusText(text);
}

void WinAnnouncer::cellChanged(const Position& pos, PieceType piece) {
  if (manager_) manager_->notifyCellChanged(pos, piece);
}

}  // namespace Tavrune
