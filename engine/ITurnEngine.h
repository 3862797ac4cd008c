#pragma once
// What the turn flow of a game against the engine needs of the AI: asking for and
// stopping a search, and the ponder hit or miss when the player's move arrives. The AI
// implements it; the window's tests stand in for it.
#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class ITurnEngine {
 public:
  virtual ~ITurnEngine() = default;

  // False when the engine cannot take the search now (starting, restarting, busy).
  virtual bool startThinking(const Board& board, PieceColor side) = 0;
  virtual void stopThinking() = 0;
  virtual bool isThinking() const = 0;
  virtual bool isEngineReady() const = 0;
  virtual bool isPondering() const = 0;
  virtual bool isPonderHit(const Move& move) const = 0;
  virtual void ponderHit() = 0;
  virtual void stopPonder() = 0;
};

}  // namespace Tavrune
