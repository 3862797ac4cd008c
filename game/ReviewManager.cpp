#include "game/ReviewManager.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "accessibility/IAnnouncer.h"
#include "core/Log.h"
#include "game/GameEngine.h"
#include "game/IUICallback.h"
#include "game/Notation.h"

namespace Tavrune {

namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// Reads a step the way a standard string-to-integer conversion does: leading blanks
// and a sign allowed, reading stops at the first non-digit. Nothing when no digit
// comes first or the number does not fit 32 bits.
std::optional<int32_t> parseStepNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  const size_t firstDigit = i;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (i == firstDigit) return std::nullopt;
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

ReviewManager::ReviewManager(GameEngine* engine, IAnnouncer* announcer, IUICallback* uiCallback)
    : engine(engine), announcer(announcer), uiCallback(uiCallback) {}

void ReviewManager::setPositionTextCallback(PositionTextCallback callback) {
  positionTextCallback = std::move(callback);
}

void ReviewManager::setMoveTextCallback(MoveTextCallback callback) {
  moveTextCallback = std::move(callback);
}

void ReviewManager::setStepSoundCallback(StepSoundCallback callback) {
  stepSoundCallback = std::move(callback);
}

void ReviewManager::enterReviewMode() {
  if (active) return;
  const std::vector<Move> history = engine->getMoveHistory();
  if (history.empty()) {
    announcer->announce(L"没有棋谱可以复盘");
    return;
  }
  const int32_t moveCount = static_cast<int32_t>(history.size());
  logInfo("ReviewManager: Entering review mode, moves: " + std::to_string(moveCount));

  Board& board = engine->getBoard();
  savedState = engine->getGameState();
  savedCells = board.getCells();
  savedPlayer = board.getCurrentPlayer();
  engine->setGameState(REVIEW);

  active = true;
  buildSnapshots(history);

  currentStep = moveCount;
  restoreStep();
  announcer->announce(L"进入复盘模式，当前第" + std::to_wstring(currentStep) + L"步，共" +
                      std::to_wstring(moveCount) + L"步");
  redraw();
}

void ReviewManager::buildSnapshots(const std::vector<Move>& history) {
  snapshots.clear();
  snapshots.reserve(history.size() + 1);

  // An unreadable start FEN falls back to the opening; the game's own text stays.
  Board scratch;
  const std::string startFen = engine->getStartFen();
  if (startFen.empty() || !scratch.fromFEN(startFen)) scratch.setupInitialPosition();
  startPlayer = scratch.getCurrentPlayer();

  snapshots.push_back(scratch.getCells());
  for (const Move& move : history) {
    scratch.movePiece(move);
    snapshots.push_back(scratch.getCells());
  }
}

void ReviewManager::exitReviewMode() {
  if (!active) return;
  logInfo("ReviewManager: Exiting review mode");
  active = false;
  snapshots.clear();
  currentStep = 0;

  Board& board = engine->getBoard();
  board.setCells(savedCells);
  board.setCurrentPlayer(savedPlayer);
  engine->setGameState(savedState);

  reportAllCells();
  announcer->announce(L"退出复盘模式");
  redraw();
}

void ReviewManager::restoreStep() {
  if (!active || currentStep < 0 || static_cast<size_t>(currentStep) >= snapshots.size()) return;
  engine->getBoard().setCells(snapshots[currentStep]);
  reportAllCells();
  redraw();
  logInfo("ReviewManager: Restored step: " + std::to_string(currentStep));
}

void ReviewManager::nextStep() {
  if (!active) return;
  if (static_cast<size_t>(currentStep) + 1 >= snapshots.size()) {
    announcer->announce(L"已经是最后一步了");
    return;
  }
  goToStep(currentStep + 1, true);
}

void ReviewManager::previousStep() {
  if (!active) return;
  if (currentStep < 1) {
    announcer->announce(L"已经是开局了");
    return;
  }
  goToStep(currentStep - 1, false);
}

void ReviewManager::jumpToStep() {
  if (!active) return;
  if (uiCallback == nullptr) {
    announcer->announce(L"无法打开输入对话框");
    return;
  }
  std::wstring answer;
  if (!uiCallback->promptText(L"请输入步数", answer) || answer.empty()) return;

  const std::optional<int32_t> step = parseStepNumber(answer);
  if (!step) {
    announcer->announce(L"输入无效");
    return;
  }
  const int32_t lastStep = static_cast<int32_t>(snapshots.size()) - 1;
  if (*step < 0 || *step > lastStep) {
    announcer->announce(L"步数超出范围，请输入0到" + std::to_wstring(lastStep) +
                        L"之间的数字");
    return;
  }
  goToStep(*step, *step > currentStep);
}

void ReviewManager::goToStep(int32_t step, bool forward) {
  currentStep = step;
  restoreStep();
  if (stepSoundCallback) stepSoundCallback(forward);
  announceCurrentStep();
}

void ReviewManager::announceCurrentStep() {
  if (!active) return;
  if (currentStep == 0) {
    announcer->announceReplaceable(startPlayer == BLACK ? L"开局，黑方先行" : L"开局，红方先行");
    return;
  }
  const std::vector<Move> history = engine->getMoveHistory();
  if (currentStep < 0 || static_cast<size_t>(currentStep) > history.size()) return;

  const Move& move = history[currentStep - 1];
  const PieceColor mover = getPieceColor(move.piece);
  const bool givesCheck = engine->getBoard().isInCheck(otherColor(mover));

  std::wstring moveText;
  if (moveTextCallback) {
    moveText = moveTextCallback(move, mover);
  } else {
    auto pointText = [&](Position pos) {
      return positionTextCallback ? positionTextCallback(pos, mover) : std::wstring();
    };
    moveText = getPieceName(move.piece) + pointText(move.from) + L" 到" + pointText(move.to);
    if (move.captured != EMPTY) moveText += L"，吃" + getPieceName(move.captured);
  }
  std::wstring text = L"第" + std::to_wstring(currentStep) + L"步，" + moveText;
  if (givesCheck) text += L"，将军！";
  // A burst of step keys is heard as the step the player stopped on.
  announcer->announceReplaceable(text);
}

void ReviewManager::reportAllCells() {
  const Board& board = engine->getBoard();
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 9; ++x) {
      const Position pos(x, y);
      announcer->cellChanged(pos, board.getPiece(pos));
    }
  }
}

void ReviewManager::redraw() {
  if (uiCallback != nullptr) uiCallback->requestRedraw();
}

}  // namespace Tavrune
