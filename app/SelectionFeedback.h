#pragma once
// What the window says and does after a select-or-drop at the main or the player-2
// cursor: the refusals, the picked-up piece, the move's follow-ups. The spoken move
// itself comes from the game's move callback, not from here.
#include <optional>
#include <string>

#include "game/ChessTypes.h"
#include "game/SelectionResult.h"

namespace Tavrune {

struct SelectionReaction {
  enum class Selection { Keep, Clear, Set };

  std::wstring notice;              // to announce when not empty
  Selection selection = Selection::Keep;
  Position newSelection;            // for Set
  bool repaint = false;
  bool playMoveSound = false;       // AudioManager::playMoveSound, when audio is ready
  bool reportHumanMove = false;     // PveController::onHumanMove
  bool sendToLanPeer = false;       // LANGameController::sendMove, when a controller exists
};

class SelectionFeedback {
 public:
  enum class Cursor { Main, Player2 };

  // Checked before SelectionController::handleSelect; a notice ends the action.
  static std::optional<std::wstring> refusalBeforeSelect(Cursor cursor, bool gameActive, GameMode mode);
  // hadSelection: that cursor's selection was on the board before the action.
  // speakingSide: the human side for the main cursor, the other side for player 2.
  // atCursor: the side of the piece under the cursor, NONE for an empty point.
  static SelectionReaction react(Cursor cursor, const SelectionResult& result, bool hadSelection,
                                 bool readPieceName, Position cursorPoint, PieceColor speakingSide,
                                 GameMode mode, PieceColor atCursor = NONE);
};

}  // namespace Tavrune
