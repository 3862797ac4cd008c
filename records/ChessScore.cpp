#include "records/ChessScore.h"

#include "core/Log.h"
#include "game/Board.h"
#include "game/GameEngine.h"

namespace Tavrune {

namespace {

const char* resultText(GameState state) {
  switch (state) {
    case RED_WIN: return "1-0";
    case BLACK_WIN: return "0-1";
    case DRAW: return "1/2-1/2";
    default: return "*";
  }
}

}  // namespace

ChessScore ChessScore::fromGameState(const GameEngine& game) {
  ChessScore score;
  score.startFen = game.getStartFen().empty() ? std::string(STANDARD_START_FEN) : game.getStartFen();
  logInfo("ChessScore::fromGameState - 初始FEN: " + loggedLine(score.startFen));

  const std::vector<Move> history = game.getMoveHistory();
  score.moves.reserve(history.size());
  for (size_t i = 0; i < history.size(); ++i) {
    ScoreMove entry;
    entry.move = history[i];
    entry.moveNumber = static_cast<int32_t>(i / 2 + 1);
    entry.flag = true;
    score.moves.push_back(entry);
    if (!isDebugLogEnabled()) continue;  // the texts cost more than the copy
    const Move& m = entry.move;
    logInfo("ChessScore::fromGameState - 着法[" + std::to_string(i) + "] moveNum=" +
            std::to_string(entry.moveNumber) + " from=(" + std::to_string(m.from.x) + "," +
            std::to_string(m.from.y) + ") to=(" + std::to_string(m.to.x) + "," + std::to_string(m.to.y) +
            ") piece=" + std::to_string(static_cast<int32_t>(m.piece)));
  }
  logInfo("ChessScore::fromGameState - 记录手数: " + std::to_string(score.moves.size()));
  // During a review the board shows REVIEW; the result is what the game had come to.
  score.header.result = resultText(game.getStateOutsideReview());
  return score;
}

bool ChessScore::toGameState(GameEngine& game) const {
  logInfo("ChessScore::toGameState - 开始应用棋谱到游戏状态");
  logInfo("ChessScore::toGameState - 手数: " + std::to_string(moves.size()) + ", FEN: " + loggedLine(startFen));

  game.setSuppressCallbacks(true);
  if (!startFen.empty()) {
    logInfo("ChessScore::toGameState - 从FEN开始新游戏: " + loggedLine(startFen));
    // A record whose position cannot be set up is no game, even without moves.
    if (!game.newGameFromFEN(MODE_PVP, startFen)) {
      logError("ChessScore::toGameState - 无效的FEN: " + loggedLine(startFen));
      game.setSuppressCallbacks(false);
      return false;
    }
  } else {
    game.newGame(MODE_PVP);
  }

  for (size_t i = 0; i < moves.size(); ++i) {
    const Move& move = moves[i].move;
    logMove("ChessScore::toGameState - 应用着法[" + std::to_string(i) + "]", move.from.x, move.from.y, move.to.x,
            move.to.y);
    if (!game.makeMove(move)) {
      logError("ChessScore::toGameState - 着法应用失败 at index " + std::to_string(i));
      game.setSuppressCallbacks(false);
      return false;
    }
  }

  if (game.getMoveHistory().size() == moves.size()) {
    logInfo("ChessScore::toGameState - 棋谱加载完成，发送最终状态更新");
  }
  game.setSuppressCallbacks(false);
  logInfo("ChessScore::toGameState - 所有着法应用成功");
  return true;
}

}  // namespace Tavrune
