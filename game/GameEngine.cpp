#include "game/GameEngine.h"

#include <utility>

#include "core/Log.h"
#include "core/TextConversion.h"
#include "records/ChessScore.h"
#include "records/ChessScoreManager.h"

namespace Tavrune {

GameEngine::GameEngine() = default;

void GameEngine::setMoveCallback(MoveCallback callback) { moveCallback = std::move(callback); }

void GameEngine::setStateCallback(StateCallback callback) { stateCallback = std::move(callback); }

bool GameEngine::makeMove(const Move& move) {
  logMove("GameEngine::makeMove START", move.from.x, move.from.y, move.to.x, move.to.y);
  return playMove(move, TurnTest::Required);
}

bool GameEngine::forceMove(const Move& move) { return playMove(move, TurnTest::Ignored); }

bool GameEngine::playMove(const Move& requested, TurnTest turnTest) {
  const bool verbose = turnTest == TurnTest::Required;
  const std::string operation = verbose ? "makeMove" : "forceMove";

  // The history must describe what really stood on the board, not what the caller
  // believed (a peer's or a record's move may carry stale piece codes).
  Move move = requested;
  move.piece = board.getPiece(move.from);
  move.captured = board.getPiece(move.to);

  if (board.getGameState() != PLAYING) {
    logError(operation + " failed: game not in PLAYING state");
    return false;
  }
  const bool legal = verbose ? board.isValidMove(move) : board.isValidMoveIgnoringTurn(move);
  if (!legal) {
    logError(operation + " failed: invalid move");
    return false;
  }

  board.pushState();
  if (verbose) logInfo("State saved");
  board.movePiece(move);
  if (verbose) logInfo("Piece moved on board");

  moveHistory.push_back(move);
  redoHistory.clear();

  if (!suppressCallbacks) {
    if (moveCallback) {
      if (verbose) logInfo("Calling moveCallback");
      moveCallback(move);
      if (verbose) logInfo("moveCallback completed");
    }
    notifyState();
  }
  if (verbose) logInfo("GameEngine::makeMove END - SUCCESS");
  return true;
}

void GameEngine::undoMove() {
  if (moveHistory.empty()) return;
  redoHistory.push_back(moveHistory.back());
  moveHistory.pop_back();
  board.popState();
  if (moveHistory.size() < loadedScoreMoves) {
    // The game no longer begins with the loaded record's moves: it is no longer that record.
    loadedScoreHeader.clear();
    loadedScoreMoves = 0;
  }
  // Undo reports the state even during a replay: the LAN controller relies on it.
  notifyState();
}

void GameEngine::resetHistories() {
  board.clearHistory();
  moveHistory.clear();
  redoHistory.clear();
  loadedScoreHeader.clear();
  loadedScoreMoves = 0;
  loadedPliesBeforeRefusal.reset();
}

void GameEngine::newGame(GameMode gameMode) {
  mode = gameMode;
  board.setupInitialPosition();
  resetHistories();
  startFen = STANDARD_START_FEN;
  if (!suppressCallbacks && stateCallback) stateCallback(PLAYING);
}

bool GameEngine::newGameFromFEN(GameMode gameMode, const std::string& fen) {
  mode = gameMode;
  const bool accepted = board.fromFEN(fen);
  resetHistories();
  startFen = fen;
  if (!accepted) logError("newGameFromFEN failed: invalid fen: " + fen);
  if (!suppressCallbacks && stateCallback) stateCallback(PLAYING);
  return accepted;
}

void GameEngine::setGameState(GameState state) {
  if (state == REVIEW && board.getGameState() != REVIEW) stateBeforeReview = board.getGameState();
  board.setGameState(state);
  if (stateCallback) stateCallback(state);
}

GameState GameEngine::getStateOutsideReview() const {
  return board.getGameState() == REVIEW ? stateBeforeReview : board.getGameState();
}

void GameEngine::notifyState() {
  if (stateCallback) stateCallback(board.getGameState());
}

bool GameEngine::applyNetworkSyncState(const std::string& fen, const std::vector<Move>& moves,
                                       bool force) {
  if (!force && board.toFEN() == fen && moveHistory.size() == moves.size()) return true;

  // The peer's word is checked on a scratch board before the game is touched: every LAN
  // game starts from the standard opening, so its moves must each be legal there in turn
  // and end at its position. Anything else leaves the game as it was.
  Board scratch;
  scratch.setupInitialPosition();
  for (const Move& move : moves) {
    if (scratch.getGameState() != PLAYING || !scratch.isValidMove(move)) {
      logError("applyNetworkSyncState failed: the peer's moves are not a game");
      return false;
    }
    Move played = move;
    played.piece = scratch.getPiece(move.from);
    played.captured = scratch.getPiece(move.to);
    scratch.movePiece(played);
  }
  if (scratch.toFEN() != fen) {
    logError("applyNetworkSyncState failed: the peer's moves do not lead to its position");
    return false;
  }

  const bool wasSuppressed = suppressCallbacks;
  suppressCallbacks = true;
  board.setupInitialPosition();
  resetHistories();
  startFen = STANDARD_START_FEN;
  for (const Move& move : moves) forceMove(move);
  suppressCallbacks = wasSuppressed;
  if (!wasSuppressed) notifyState();
  return true;
}

bool GameEngine::loadScore(const std::wstring& path, ScoreFormat format) {
  logInfo("GameEngine::loadScore - 开始加载棋谱: " + wideToUtf8Path(path));
  ChessScore score;
  if (!ChessScoreManager::getInstance().load(path, score, format)) {
    logError("GameEngine::loadScore - ChessScoreManager::load 失败: " + wideToUtf8Path(path));
    return false;
  }
  logInfo("GameEngine::loadScore - 棋谱解析成功，手数: " + std::to_string(score.moves.size()));
  if (!score.toGameState(*this)) {
    logError("GameEngine::loadScore - ChessScore::toGameState 失败");
    return false;
  }
  // The replay's new game emptied the header; the window names the loaded game from it.
  loadedScoreHeader = score.header;
  loadedScoreMoves = moveHistory.size();
  if (!score.refusedMove.empty()) loadedPliesBeforeRefusal = score.moves.size();
  logInfo("GameEngine::loadScore - 棋谱加载成功");
  return true;
}

GameSnapshot GameEngine::snapshot() const {
  return GameSnapshot{mode, startFen, moveHistory, board.toFEN(), board.getGameState(), loadedScoreHeader,
                      loadedScoreMoves};
}

bool GameEngine::restore(const GameSnapshot& saved) {
  if (saved.state == REVIEW) {
    logError("GameEngine::restore failed: snapshot taken during a review");
    return false;
  }
  // Taken before any game: the empty board of start-up, with nothing to replay.
  if (saved.startFen.empty()) {
    if (!saved.moves.empty() || saved.positionFen != Board().toFEN()) {
      logError("GameEngine::restore failed: a snapshot without a start holds a game");
      return false;
    }
    board = Board();
    resetHistories();
    startFen.clear();
    mode = saved.mode;
    return true;
  }
  // Replayed on a game without callbacks, and taken over only when it arrives where the
  // snapshot says: a snapshot that no longer replays leaves this game as it was.
  GameEngine replay;
  if (!replay.newGameFromFEN(saved.mode, saved.startFen)) {
    logError("GameEngine::restore failed: invalid start fen");
    return false;
  }
  for (size_t i = 0; i < saved.moves.size(); ++i) {
    // Without the turn test: a LAN peer's moves entered the history that way.
    if (!replay.playMove(saved.moves[i], TurnTest::Ignored)) {
      logError("GameEngine::restore failed: move " + std::to_string(i) + " does not replay");
      return false;
    }
  }
  if (replay.board.toFEN() != saved.positionFen) {
    logError("GameEngine::restore failed: replay ends at " + replay.board.toFEN());
    return false;
  }
  // A resignation or an agreed draw ends the game without a move.
  replay.board.setGameState(saved.state);

  board = replay.board;
  moveHistory = replay.moveHistory;
  redoHistory.clear();
  startFen = saved.startFen;
  mode = saved.mode;
  loadedScoreHeader = saved.loadedScoreHeader;
  loadedScoreMoves = saved.loadedScoreMoves;
  loadedPliesBeforeRefusal.reset();
  return true;
}

bool GameEngine::saveScore(const std::wstring& path, ScoreFormat format) {
  ChessScore score = ChessScore::fromGameState(*this);
  // A loaded record, reviewed or played on, keeps what its file said about the game;
  // only the result is the game's own.
  const std::string result = score.header.result;
  score.header = loadedScoreHeader;
  score.header.result = result;
  return ChessScoreManager::getInstance().save(path, score, format);
}

}  // namespace Tavrune
