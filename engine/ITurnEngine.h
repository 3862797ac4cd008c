#pragma once
// What the turn flow of a game against the engine needs of the AI: asking for and
// stopping a search, the ponder hit or miss when the player's move arrives, and a new
// engine when the last one failed. The AI implements it; the window's tests stand in
// for it.
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

  // Engine failures, which the turn flow answers with a new round of start attempts.
  virtual bool isEngineRunning() const = 0;
  // The last round of start attempts failed; no further start is tried until cleared.
  virtual bool hasGivenUp() const = 0;
  virtual void clearGiveUp() = 0;
  // Ends the engine and starts a new one, with bounded retries, without waiting for it: a
  // request made meanwhile is refused and asked again at the ready report, and a give-up
  // is reported through the ready callback. False when no start could begin.
  virtual bool restartEngine() = 0;
};

}  // namespace Tavrune
