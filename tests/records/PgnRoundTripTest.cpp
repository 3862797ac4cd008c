// Random legal games written as PGN and read back must give the same game.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "RandomGames.h"
#include "game/GameEngine.h"
#include "records/PGNFormat.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

std::string randomText(std::mt19937& random, bool allowBraces) {
  static const std::vector<std::string> pieces = {"a", "Z", " ", "  ", "\t", "\"", "\\", "[", "]", "车", "马",
                                                  "五", "。", "1-0", "*", "(", ")", "{", "}", "h8e8"};
  std::string text;
  const int length = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < length; ++i) {
    const std::string& piece = pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
    if (!allowBraces && (piece == "{" || piece == "}")) continue;
    text += piece;
  }
  return text;
}

// The reader keeps the space the writer puts on each side of a comment and folds every
// run of white space into one space.
std::string asReadBack(const std::string& comment) {
  std::string folded;
  bool inRun = false;
  for (const char c : " " + comment + " ") {
    const bool space = c == ' ' || c == '\t';
    if (!space || !inRun) folded += space ? ' ' : c;
    inRun = space;
  }
  return folded;
}

TEST(PgnRoundTrip, RandomGamesComeBackWhole) {
  const char* starts[] = {
      STANDARD_START_FEN,
      "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1",
      "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1",
      "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 b - - 7 31",
      "3k5/9/3r5/9/9/7c1/1n2c4/4B4/4N4/2BAKA3 w - - 0 1",
  };
  const char* results[] = {"1-0", "0-1", "1/2-1/2", "*"};
  std::mt19937 random(20240607);
  PGNFormat format;
  for (const char* start : starts) {
    for (int round = 0; round < 25; ++round) {
      const std::vector<Move> game =
          support::randomGame(start, std::uniform_int_distribution<int>(0, 160)(random), random);
      ChessScore original;
      original.startFen = start;
      original.header.event = randomText(random, true);
      original.header.red = randomText(random, true);
      original.header.black = randomText(random, true);
      original.header.opening = randomText(random, true);
      original.header.result = results[round % 4];
      for (const Move& move : game) {
        ScoreMove entry;
        entry.move = move;
        if (random() % 4 == 0) entry.comment = "c" + randomText(random, false);
        original.moves.push_back(entry);
      }

      std::stringstream file;
      ASSERT_TRUE(format.serialize(file, original));
      ChessScore loaded;
      ASSERT_TRUE(format.parse(file, loaded)) << file.str();
      const std::string context = start + std::string(" round ") + std::to_string(round);

      EXPECT_EQ(loaded.startFen, original.startFen) << context;
      EXPECT_EQ(loaded.header, original.header) << context;
      ASSERT_EQ(loaded.moves.size(), original.moves.size()) << context;
      for (size_t i = 0; i < game.size(); ++i) {
        EXPECT_EQ(loaded.moves[i].move, original.moves[i].move) << context << " ply " << i;
        const std::string expected = original.moves[i].comment.empty() ? "" : asReadBack(original.moves[i].comment);
        EXPECT_EQ(loaded.moves[i].comment, expected) << context << " ply " << i;
      }

      GameEngine replay;
      ASSERT_TRUE(loaded.toGameState(replay)) << context;
      EXPECT_EQ(replay.getMoveHistory(), game) << context;
      EXPECT_EQ(replay.getStartFen(), start) << context;
    }
  }
}

}  // namespace
}  // namespace Tavrune
