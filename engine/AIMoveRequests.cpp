// The AI's move requests: opening books first, then the online book or the engine, with
// pondering on the predicted reply.
#include "engine/AI.h"

#include <utility>

#include "core/Log.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {

uint64_t AI::beginRequest() {
  uint64_t request = 0;
  {
    std::lock_guard<std::recursive_mutex> guard(deliveryLock);
    request = ++currentRequest;
  }
  std::lock_guard<std::mutex> lock(fieldsLock);
  owedSearch.reset();
  return request;
}

void AI::deliverMove(uint64_t request, const Move& move) {
  std::lock_guard<std::recursive_mutex> guard(deliveryLock);
  if (request != currentRequest) {
    logInfo("AI: Dropping the answer to a cancelled or superseded request");
    return;
  }
  thinking = false;
  if (moveReadyCallback) moveReadyCallback(move);
}

std::optional<Move> AI::bookMove(const Board& board) const {
  if (!books.hasAnyBook()) return std::nullopt;
  Move move = books.probeRandom(board);
  if (!move.from.isValid() || !move.to.isValid()) return std::nullopt;
  move.piece = board.getPiece(move.from);
  move.captured = board.getPiece(move.to);
  if (!board.isValidMove(move)) {
    logWarning("AI: Book move is not legal here, treated as a miss: " + EngineMoveText::format(move));
    return std::nullopt;
  }
  return move;
}

void AI::predictReplyToBookMove(const Board& board, const Move& move, const std::string& logPrefix) {
  Board after = board;
  after.movePiece(move);
  if (after.getGameState() != PLAYING) return;
  Move reply = books.probeBest(after);
  if (!reply.from.isValid() || !reply.to.isValid()) return;
  reply.piece = after.getPiece(reply.from);
  reply.captured = after.getPiece(reply.to);
  if (!after.isValidMove(reply)) return;
  const std::string text = EngineMoveText::format(reply);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove = text;
  }
  logInfo(logPrefix + text);
}

bool AI::startEngineSearch(uint64_t request, const Board& board, bool logFen) {
  if (!ensureEngineReady()) return false;
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return false;
  {
    // The engine names its own expected reply with its answer.
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();
  }
  thinking = true;
  engineSearchRequest = request;
  const std::string fen = board.toFEN();
  if (logFen) logInfo("AI::startThinking: FEN = " + fen);
  current->requestMove(board, fen);
  return true;
}

bool AI::startThinking(const Board& board, PieceColor side) {
  if (thinking.exchange(false)) {
    logWarning("AI::startThinking: Already thinking, stopping previous search");
    if (cloudBook) cloudBook->cancel();
    if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopSearch();
  }
  if (side != board.getCurrentPlayer()) {
    logWarning("AI::startThinking: The side asked for is not the side to move; answering for the side to move");
  }
  const uint64_t request = beginRequest();

  int32_t mode = BOOK_LOCAL_FIRST;
  bool ponderEnabled = false;
  HttpClientFactory clientFactory;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    mode = settings.openingBookMode;
    ponderEnabled = settings.ponderEnabled;
    clientFactory = httpClientFactory;
  }

  if (mode == BOOK_ONLINE_FIRST) {
    if (!cloudBook) cloudBook = std::make_unique<CloudBook>();
    if (clientFactory) cloudBook->setHttpClient(clientFactory());
    thinking = true;
    abandonPonder();
    cloudBook->query(board, [this, gate = cloudGate, request, asked = board](bool hit, const Move& move) {
      std::lock_guard<std::mutex> entry(gate->lock);
      if (gate->open) onCloudBookResult(request, asked, hit, move);
    });
    return true;
  }

  if (mode == BOOK_LOCAL_FIRST) {
    if (std::optional<Move> move = bookMove(board)) {
      logInfo("AI::startThinking: Opening book hit!");
      thinking = true;
      {
        std::lock_guard<std::mutex> lock(fieldsLock);
        predictedPonderMove.clear();
        engineAnsweredLast = false;
      }
      abandonPonder();
      if (ponderEnabled) predictReplyToBookMove(board, *move, "AI::startThinking: Book ponder move = ");
      // Handed over at once: the callback only posts, so no thread of its own is needed.
      deliverMove(request, *move);
      return true;
    }
  }
  return startEngineSearch(request, board, true);
}

void AI::onCloudBookResult(uint64_t request, const Board& board, bool hit, const Move& move) {
  {
    std::lock_guard<std::recursive_mutex> guard(deliveryLock);
    if (request != currentRequest) {
      logInfo("AI: Dropping the online book's answer to a cancelled or superseded request");
      return;
    }
  }
  bool ponderEnabled = false;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    ponderEnabled = settings.ponderEnabled;
  }
  if (hit && move.from.isValid() && move.to.isValid() && board.isValidMove(move)) {
    logInfo("AI::startThinking: Cloud book hit!");
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      predictedPonderMove.clear();
      engineAnsweredLast = false;
    }
    if (ponderEnabled && books.hasAnyBook()) {
      predictReplyToBookMove(board, move, "AI::startThinking: Cloud book ponder move = ");
    }
    deliverMove(request, move);
    return;
  }
  logInfo("AI::startThinking: Cloud book miss, falling back to local book");
  if (std::optional<Move> local = bookMove(board)) {
    logInfo("AI::startThinking: Local book hit (cloud fallback)!");
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      predictedPonderMove.clear();
      engineAnsweredLast = false;
    }
    if (ponderEnabled) predictReplyToBookMove(board, *local, "AI::startThinking: Local book ponder move = ");
    deliverMove(request, *local);
    return;
  }
  logInfo("AI::startThinking: All books miss, starting engine search");
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::THINKING) {
    logInfo("AI::startThinking: Stopping previous engine search for fallback");
    current->stopSearch();
  }
  if (startEngineSearch(request, board, false)) return;
  logError("AI::startThinking: Engine not ready for fallback search");
  oweSearch(OwedSearch{request, board});
}

void AI::oweSearch(OwedSearch search) {
  // Nobody else will ask again for this request: it runs when the engine is next idle.
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    owedSearch = std::move(search);
  }
  thinking = true;
  // The engine may have become idle meanwhile, its idle report already handled: then the
  // search is taken back and run here. Whoever takes it from `owedSearch` runs it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::shared_ptr<UCCIEngine> current = currentEngine();
    if (!current || current->getState() != UCCIEngine::IDLE) return;
    std::optional<OwedSearch> mine;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      mine = std::exchange(owedSearch, std::nullopt);
    }
    if (!mine || startEngineSearch(mine->request, mine->board, false)) return;
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (!owedSearch) owedSearch = std::move(mine);
  }
}

void AI::abandonPonder() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::PONDERING) {
    current->stopPonder();
  }
}

void AI::stopThinking() {
  beginRequest();  // nothing asked before now may answer any more
  if (cloudBook) cloudBook->cancel();
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopSearch();
  thinking = false;
}

void AI::startPondering(const Board& board) {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  std::string text;
  bool engineAnswered = false;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (!settings.ponderEnabled || !current) return;
    text = predictedPonderMove;
    engineAnswered = engineAnsweredLast;
  }
  // The engine's expected reply is only about its own last answer.
  if (text.empty() && engineAnswered) text = current->getPonderMove();
  if (text.empty()) return;

  std::optional<Move> move = EngineMoveText::parse(text);
  if (move) {
    move->piece = board.getPiece(move->from);
    move->captured = board.getPiece(move->to);
  }
  // Only a legal reply gives a position the engine may be sent.
  if (!move || !board.isValidMove(*move)) {
    logWarning("AI: Predicted reply is not legal here, not pondering: " + text.substr(0, 16));
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();
    return;
  }
  Board after = board;
  after.movePiece(*move);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove = after.getGameState() == PLAYING ? text : std::string();
  }
  if (after.getGameState() != PLAYING) return;  // the reply would end the game
  current->startPonder(after.toFEN(), after);
  logInfo("AI: Started pondering on predicted move: " + text);
}

bool AI::isPonderHit(const Move& move) const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return !predictedPonderMove.empty() && EngineMoveText::format(move) == predictedPonderMove;
}

void AI::ponderHit() {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return;
  const uint64_t request = beginRequest();
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();  // the engine names the next one with its answer
  }
  thinking = true;
  engineSearchRequest = request;
  current->ponderHit();
}

void AI::stopPonder() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopPonder();
  std::lock_guard<std::mutex> lock(fieldsLock);
  predictedPonderMove.clear();
}

bool AI::loadOpeningBook(const std::string& utf8Path, int32_t type) {
  const bool loaded = books.loadBook(utf8Path, type);
  if (loaded) {
    logInfo("AI: Opening book loaded: " + utf8Path);
  } else {
    logWarning("AI: Failed to load opening book: " + utf8Path);
  }
  return loaded;
}

}  // namespace Tavrune
