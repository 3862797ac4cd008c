#pragma once
// Holds the UI Automation tree of the board window for the accessibility manager and
// raises its name, focus and selection events.
#include <windows.h>

#include "accessibility/BoardGeometry.h"
#include "accessibility/ComApartment.h"
#include "accessibility/PieceQuery.h"

namespace Tavrune {

class UIABoardProvider;

class UIAProviderHost {
 public:
  UIAProviderHost() = default;
  ~UIAProviderHost();
  UIAProviderHost(const UIAProviderHost&) = delete;
  UIAProviderHost& operator=(const UIAProviderHost&) = delete;

  // Makes a new board provider for the window (releasing an earlier one).
  bool initialize(HWND window, PieceQuery pieceQuery);
  // The board element returned for UiaRootObjectId, or null. Not referenced.
  UIABoardProvider* boardProvider() const { return board_; }

  // Name-changed event on the point's cell, when the cells exist.
  void raiseNameChanged(const Position& pos, PieceType piece);
  // The board's focus moves to the point; focus event on its cell when the cells exist.
  void raiseFocusChanged(const Position& pos);
  // The point becomes the selected one; selected event on its cell, then selection
  // invalidated on the board.
  void raiseSelection(const Position& pos);

  void setBoardRect(const BoardRect& rect);
  // Drawn orientation: Black at the bottom.
  void setBlackAtBottom(bool blackAtBottom);
  // Spoken numbering: cell names count from Red's side.
  void setRedNumbering(bool redNumbering);

  // The window is going away: the providers stop reaching it and are released.
  void disconnect();

 private:
  void releaseBoard();

  ComApartment apartment_;  // first member: left last
  HWND window_ = nullptr;
  UIABoardProvider* board_ = nullptr;
  BoardGeometry geometry_;
  bool redNumbering_ = false;
};

}  // namespace Tavrune
