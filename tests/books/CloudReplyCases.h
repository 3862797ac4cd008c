#pragma once
// Service replies (raw bodies, the service's trailing NUL included where it sends one)
// and what the online book makes of each, asked about the standard opening.
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune::Test {

struct CloudReplyCase {
  std::string body;
  bool hit;
  Position from;
  Position to;
  PieceType piece;
  std::string logLine;  // a line that must appear
  bool warns;           // whether any warning appears
};

inline std::vector<CloudReplyCase> cloudReplyCases() {
  using namespace std::string_literals;
  const Position none{-1, -1};
  return {
      {"move:h2e2\0"s, true, {7, 7}, {4, 7}, RED_CANNON, "CloudBook: Hit! move=h2e2", false},
      {"move:h2e2", true, {7, 7}, {4, 7}, RED_CANNON, "prefix=move, move=h2e2", false},
      {" egtb:b0c2\r\n", true, {1, 9}, {2, 7}, RED_KNIGHT, "prefix=egtb, move=b0c2", false},
      {"egtb: b0c2\r\n\0"s, true, {1, 9}, {2, 7}, RED_KNIGHT, "prefix=egtb, move=b0c2", false},
      {"search:a0a1|search:i0i1\0"s, true, {0, 9}, {0, 8}, RED_ROOK, "prefix=search", false},
      {"nobestmove\0"s, false, none, none, EMPTY, "CloudBook: Query returned: nobestmove", false},
      {"unknown", false, none, none, EMPTY, "CloudBook: Query returned: unknown", false},
      {"invalid board \0"s, false, none, none, EMPTY, "CloudBook: Query returned: invalid board",
       false},
      {"move:", false, none, none, EMPTY, "CloudBook: Unexpected response format: move:", true},
      {"move: h2", false, none, none, EMPTY, "CloudBook: UCI move too short: h2", true},
      {"best:h2e2", false, none, none, EMPTY, "CloudBook: Unknown response prefix: best", true},
      {"move:z9e2", false, none, none, EMPTY, "CloudBook: Failed to parse UCI move: z9e2", true},
      // Legal in form but not on this board: the rook is blocked, and b9c7 is Black's.
      {"move:a0a5\0"s, false, none, none, EMPTY, "CloudBook: Illegal move for the position: a0a5",
       true},
      {"move:b9c7", false, none, none, EMPTY, "CloudBook: Illegal move for the position: b9c7",
       true},
      {"rate limit exceeded\0"s, false, none, none, EMPTY,
       "CloudBook: Unexpected response format: rate limit exceeded", true},
      {"\0"s, false, none, none, EMPTY, "CloudBook: Empty response (timeout or network error)",
       false},
      {"<html><body>404 Not Found: move:h2e2</body></html>", false, none, none, EMPTY,
       "CloudBook: Unknown response prefix: <html><body>404 Not Found", true},
  };
}

}  // namespace Tavrune::Test
