#include "engine/CloudBook.h"

#include <utility>

#include "core/Log.h"

namespace Tavrune {

namespace {

// Replies echoed into the log are clipped: an error page can be long and multi-line.
constexpr size_t LOGGED_REPLY_BYTES = 200;

std::string forLog(const std::string& text) {
  return text.size() <= LOGGED_REPLY_BYTES ? text : text.substr(0, LOGGED_REPLY_BYTES) + "...";
}

bool isTrimmed(char c) { return c == ' ' || c == '\r' || c == '\n'; }

std::string trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && isTrimmed(text[first])) ++first;
  while (last > first && isTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The move text's four characters as a move on `board`; the no-move value when a point
// is off the board.
Move moveFromText(const std::string& text, const Board& board) {
  const auto point = [&text](size_t at) {
    return Position(static_cast<unsigned char>(text[at]) - 'a',
                    '9' - static_cast<unsigned char>(text[at + 1]));
  };
  Move move;
  const Position from = point(0);
  const Position to = point(2);
  if (!from.isValid() || !to.isValid()) return move;
  move.from = from;
  move.to = to;
  move.piece = board.getPiece(from);
  move.captured = board.getPiece(to);
  return move;
}

}  // namespace

CloudBook::CloudBook(std::string serviceUrl)
    : currentQuery(std::make_shared<QueryCounter>(0)), serviceUrl(std::move(serviceUrl)) {}

CloudBook::~CloudBook() {
  // Dropping the client waits for its worker, which the cancel cuts short.
  setHttpClient(nullptr);
}

void CloudBook::setHttpClient(std::shared_ptr<IHttpClient> client) {
  std::shared_ptr<IHttpClient> previous;
  {
    std::lock_guard<std::mutex> guard(clientLock);
    if (client == httpClient) return;
    ++*currentQuery;  // a query on the old client can no longer deliver
    previous = std::exchange(httpClient, std::move(client));
  }
  // Cancelled first, so releasing it (which waits for its worker) is quick. Both happen
  // outside the lock: the worker may be delivering into code that calls this book.
  if (previous) previous->cancel();
}

void CloudBook::cancel() {
  std::shared_ptr<IHttpClient> client;
  {
    std::lock_guard<std::mutex> guard(clientLock);
    ++*currentQuery;
    client = httpClient;
  }
  if (client) client->cancel();
}

std::string CloudBook::queryUrl(const Board& board) const {
  std::string url = serviceUrl + QUERY_PATH;
  for (const char c : board.toFEN()) {
    if (c == ' ') {
      url += "%20";
    } else {
      url += c;
    }
  }
  return url;
}

void CloudBook::query(const Board& board, ResultCallback callback) {
  uint64_t number = 0;
  std::shared_ptr<IHttpClient> client;
  {
    std::lock_guard<std::mutex> guard(clientLock);
    number = ++*currentQuery;
    client = httpClient;
  }
  if (!client) {
    logWarning("CloudBook: No HTTP client set");
    if (callback) callback(false, Move{});
    return;
  }
  const std::string url = queryUrl(board);
  logInfo("CloudBook: Querying " + url);
  client->getAsync(url, QUERY_TIMEOUT_MS,
                       [counter = currentQuery, number, board,
                        callback = std::move(callback)](const std::string& body) {
                         if (counter->load() != number) {
                           logInfo("CloudBook: Query cancelled");
                           return;
                         }
                         const Move move = moveFromReply(body, board);
                         // Checked again right before delivery: a cancel may have come
                         // while the reply was parsed.
                         if (counter->load() != number) {
                           logInfo("CloudBook: Query cancelled");
                           return;
                         }
                         if (callback) callback(move.from.isValid(), move);
                       });
}

Move CloudBook::moveFromReply(const std::string& body, const Board& board) {
  if (body.size() > MAX_REPLY_BYTES) {
    logWarning("CloudBook: Reply too long (" + std::to_string(body.size()) + " bytes)");
    return Move{};
  }
  // The service ends every plain reply with a NUL byte.
  std::string reply = body;
  while (!reply.empty() && reply.back() == '\0') reply.pop_back();
  if (reply.empty()) {
    logInfo("CloudBook: Empty response (timeout or network error)");
    return Move{};
  }
  const std::string moveText = parseReply(reply);
  if (moveText.empty()) return Move{};

  const Move move = moveFromText(moveText, board);
  if (!move.from.isValid()) {
    logWarning("CloudBook: Failed to parse UCI move: " + forLog(moveText));
    return Move{};
  }
  if (!board.isValidMove(move)) {
    logWarning("CloudBook: Illegal move for the position: " + forLog(moveText));
    return Move{};
  }
  logInfo("CloudBook: Hit! move=" + moveText.substr(0, 4));
  return move;
}

std::string CloudBook::parseReply(const std::string& body) {
  const std::string text = trimmed(body);
  if (text == "nobestmove" || text == "unknown" || text == "invalid board") {
    logInfo("CloudBook: Query returned: " + text);
    return {};
  }
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon + 1 == text.size()) {
    logWarning("CloudBook: Unexpected response format: " + forLog(text));
    return {};
  }
  const std::string prefix = text.substr(0, colon);
  if (prefix != "move" && prefix != "egtb" && prefix != "search") {
    logWarning("CloudBook: Unknown response prefix: " + forLog(prefix));
    return {};
  }
  const size_t start = text.find_first_not_of(' ', colon + 1);
  const std::string moveText = start == std::string::npos ? std::string() : text.substr(start);
  if (moveText.size() < 4) {
    logWarning("CloudBook: UCI move too short: " + moveText);
    return {};
  }
  logInfo("CloudBook: Parsed response - prefix=" + prefix + ", move=" + forLog(moveText));
  return moveText;
}

}  // namespace Tavrune
