#pragma once
// The one game of the program: the live board, the moves played from the start
// position, the mode it was started in, and the move and state callbacks through
// which the window learns of changes. (Not the chess engine process.)
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/Board.h"
#include "game/ChessTypes.h"
#include "game/GameSnapshot.h"
#include "records/ChessScoreHeader.h"
#include "records/ScoreFormat.h"

namespace Tavrune {

class GameEngine {
 public:
  using MoveCallback = std::function<void(const Move&)>;
  using StateCallback = std::function<void(GameState)>;

  GameEngine();

  Board& getBoard() { return board; }
  const Board& getBoard() const { return board; }

  void setMoveCallback(MoveCallback callback);
  void setStateCallback(StateCallback callback);

  // While set, moves and new games fire no callbacks (record and peer replays);
  // undo and setGameState still report the state.
  void setSuppressCallbacks(bool suppress) { suppressCallbacks = suppress; }
  bool areCallbacksSuppressed() const { return suppressCallbacks; }

  // A move of the side to move, fully tested. The played move's piece and captured
  // piece are read from the board, whatever the caller filled in.
  bool makeMove(const Move& move);
  // As makeMove but without the turn test: a LAN peer's move.
  bool forceMove(const Move& move);
  // Takes back the last move; nothing when no move was played.
  void undoMove();

  void newGame(GameMode gameMode);
  // False (logged) when the board cannot read the text; the game then starts on the
  // board the failed reading left, Red to move, and keeps the text as its start FEN.
  bool newGameFromFEN(GameMode gameMode, const std::string& fen);
  void setGameState(GameState state);

  // Brings the game to a LAN peer's position by replaying the peer's moves from the
  // opening. False, with the game untouched, unless each move is legal in turn there and
  // they end at the peer's FEN.
  bool applyNetworkSyncState(const std::string& fen, const std::vector<Move>& moves,
                             bool force);

  // Record files: a load replays the record as a new two-player game; UNKNOWN lets the
  // file's extension choose the format. A save writes the start FEN, history and result.
  bool loadScore(const std::wstring& path, ScoreFormat format);
  bool saveScore(const std::wstring& path, ScoreFormat format);
  // The header texts (event, players, result...) of the record this game was loaded
  // from; empty once any new game starts or an undo takes back one of the record's moves.
  // A save keeps them, with the game's own result.
  const ChessScoreHeader& getLoadedScoreHeader() const { return loadedScoreHeader; }
  // The number of moves kept from the loaded record when its next move was refused and
  // the rest of it dropped; nothing when the record was read whole.
  std::optional<size_t> getLoadedPliesBeforeRefusal() const { return loadedPliesBeforeRefusal; }

  // The game as it stands, to be put back with restore. Take it outside a review: a
  // review shows its own steps on the board.
  GameSnapshot snapshot() const;
  // Rebuilds the snapshot's game by replaying its moves from its start position, so that
  // undo steps back through them, and fires no callback: nothing of the old game is
  // announced or sounded again. False (logged), with this game untouched, when the
  // snapshot does not replay to its own position. A snapshot taken before the first game
  // puts back the empty board of start-up.
  bool restore(const GameSnapshot& saved);

  PieceColor getCurrentPlayer() const { return board.getCurrentPlayer(); }
  GameState getGameState() const { return board.getGameState(); }
  // The state the game had when a review began, while one is open; otherwise the state.
  // A record saved during a review keeps the game's result.
  GameState getStateOutsideReview() const;
  GameMode getMode() const { return mode; }
  std::vector<Move> getMoveHistory() const { return moveHistory; }
  std::string getStartFen() const { return startFen; }

 private:
  enum class TurnTest { Required, Ignored };

  bool playMove(const Move& requested, TurnTest turnTest);
  // Empties the board's undo stack, both move lists and the loaded record's header for a
  // game that starts now.
  void resetHistories();
  void notifyState();

  Board board;
  GameMode mode = MODE_PVP;
  std::vector<Move> moveHistory;
  std::vector<Move> redoHistory;  // undone moves; nothing replays them
  std::string startFen;
  MoveCallback moveCallback;
  StateCallback stateCallback;
  bool suppressCallbacks = false;
  ChessScoreHeader loadedScoreHeader;
  // How many moves at the start of the history came from the loaded record.
  size_t loadedScoreMoves = 0;
  std::optional<size_t> loadedPliesBeforeRefusal;
  GameState stateBeforeReview = PLAYING;
};

}  // namespace Tavrune
