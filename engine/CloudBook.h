#pragma once
// The online opening book: asks a public opening-book service for the best move of a
// position and reports a hit with a legal move, or a miss. Any network failure is a miss.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/IHttpClient.h"
#include "game/Board.h"

namespace Tavrune {

class CloudBook {
 public:
  // `move` is the no-move value (all coordinates -1) on a miss.
  using ResultCallback = std::function<void(bool hit, const Move& move)>;

  static constexpr const char* SERVICE_URL = "http://www.chessdb.cn";
  static constexpr const char* QUERY_PATH = "/chessdb.php?action=querybest&board=";
  static constexpr uint32_t QUERY_TIMEOUT_MS = 3000;
  // Replies are a few bytes; anything longer is not an answer.
  static constexpr size_t MAX_REPLY_BYTES = 64 * 1024;

  // `serviceUrl`: scheme, host and optional port (and path prefix) placed before QUERY_PATH.
  explicit CloudBook(std::string serviceUrl = SERVICE_URL);
  // Cancels the running query and releases the client.
  ~CloudBook();
  CloudBook(const CloudBook&) = delete;
  CloudBook& operator=(const CloudBook&) = delete;

  // Takes over `client`; the previous client's query is abandoned and cancelled first.
  void setHttpClient(std::shared_ptr<IHttpClient> client);
  // Starts a query. The callback runs once, on the client's worker thread, unless the
  // query is cancelled or superseded by a newer one first: then nothing is delivered.
  // (A cancel that races the delivery itself cannot stop it; a receiver that must never
  // act on a stale answer checks again where it acts.) Without a client it runs at once
  // on the calling thread with a miss.
  void query(const Board& board, ResultCallback callback);
  // Abandons the running query (its result is dropped) and asks the client to stop.
  void cancel();

  std::string queryUrl(const Board& board) const;
  // The move text of a service reply, or an empty text for a miss.
  static std::string parseReply(const std::string& body);

 private:
  // Number of the live query, shared with the response handlers: a handler whose number
  // is no longer current belongs to a cancelled or superseded query.
  using QueryCounter = std::atomic<uint64_t>;

  // The legal move a reply names on `board`, or the no-move value.
  static Move moveFromReply(const std::string& body, const Board& board);

  std::mutex clientLock;  // the UI thread and the engine's read thread may both ask
  std::shared_ptr<IHttpClient> httpClient;
  std::shared_ptr<QueryCounter> currentQuery;
  std::string serviceUrl;
};

}  // namespace Tavrune
