#pragma once
// Steps through the moves of the current game one position at a time on the live
// board, speaking each move, and then puts the game back exactly as it was.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class GameEngine;
class IAnnouncer;
class IUICallback;

class ReviewManager {
 public:
  using PositionTextCallback = std::function<std::wstring(Position, PieceColor)>;
  using MoveTextCallback = std::function<std::wstring(const Move&, PieceColor)>;
  using StepSoundCallback = std::function<void(bool forward)>;

  // None is owned; the announcer must not be null, the UI callback may be.
  ReviewManager(GameEngine* engine, IAnnouncer* announcer, IUICallback* uiCallback);

  void setPositionTextCallback(PositionTextCallback callback);
  void setMoveTextCallback(MoveTextCallback callback);
  void setStepSoundCallback(StepSoundCallback callback);

  void enterReviewMode();
  void exitReviewMode();
  void nextStep();
  void previousStep();
  // Asks for a step number through the UI callback and goes there.
  void jumpToStep();
  // Shows the snapshot of the current step on the live board.
  void restoreStep();
  void announceCurrentStep();

  bool isActive() const { return active; }
  // 0 is the start position, k the position after the k-th move.
  int32_t getCurrentStep() const { return currentStep; }
  // Number of moves + 1 while active, 0 otherwise.
  size_t getSnapshotCount() const { return snapshots.size(); }

 private:
  void buildSnapshots(const std::vector<Move>& history);
  void goToStep(int32_t step, bool forward);
  void reportAllCells();
  void redraw();

  bool active = false;
  int32_t currentStep = 0;
  GameState savedState = PLAYING;
  PieceColor savedPlayer = RED;
  Board::Cells savedCells{};
  std::vector<Board::Cells> snapshots;
  PieceColor startPlayer = RED;  // side to move in snapshot 0
  GameEngine* engine;
  IAnnouncer* announcer;
  IUICallback* uiCallback;
  PositionTextCallback positionTextCallback;
  MoveTextCallback moveTextCallback;
  StepSoundCallback stepSoundCallback;
};

}  // namespace Tavrune
