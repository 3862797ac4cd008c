// Mutated book files and service replies, seeded with the real ElephantEye book and with
// books and replies of both forms: loading and parsing never crash or over-allocate, and
// whatever is offered is a legal move for the side to move. Host build, under sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "books/BookFileWriter.h"
#include "books/CloudReplyCases.h"
#include "books/CloudResults.h"
#include "books/FakeHttpClient.h"
#include "engine/CloudBook.h"
#include "engine/EleeyeOpeningBook.h"
#include "engine/MrxqOpeningBook.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace Tavrune::Test {
namespace {

const char* const POSITIONS[] = {
    STANDARD_START_FEN,
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1",
    "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1",
};

std::string mutate(std::string bytes, std::mt19937& random) {
  switch (random() % 4) {
    case 0:  // flip a few bytes
      for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n && !bytes.empty(); ++i) {
        bytes[random() % bytes.size()] = static_cast<char>(random());
      }
      break;
    case 1:  // cut the tail
      bytes.resize(bytes.empty() ? 0 : random() % bytes.size());
      break;
    case 2:  // overwrite an 8-byte word (a Mrxq count, an ElephantEye lock and move)
      if (bytes.size() >= 8) {
        const size_t at = (random() % (bytes.size() / 8)) * 8;
        for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>(random());
      }
      break;
    default:  // duplicate a slice
      if (!bytes.empty()) {
        const size_t at = random() % bytes.size();
        bytes.insert(at, bytes.substr(at, random() % 64));
      }
  }
  return bytes;
}

template <typename Book>
void fuzzBook(const std::string& seed, const std::string& path, int rounds) {
  std::mt19937 random(12345);
  for (int round = 0; round < rounds; ++round) {
    ASSERT_TRUE(writeFile(path, mutate(seed, random)));
    Book book;
    if (!book.load(path)) {
      EXPECT_EQ(book.size(), 0);
      continue;
    }
    for (const char* fen : POSITIONS) {
      const Board board = boardFromFen(fen);
      for (const BookMove& m : book.probe(board)) {
        ASSERT_TRUE(board.isValidMove(m.move)) << fen << " " << moveText(m.move);
      }
    }
  }
}

std::string eleeyeSeed() {
  const std::string shared = sharedDir();
  std::ifstream real;
  if (!shared.empty()) {
    real.open(std::filesystem::path(shared + "/samples/books/BOOK.DAT"), std::ios::binary);
  }
  if (real) {
    std::string bytes(4096, '\0');  // the first 512 records, the opening among them
    real.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(real.gcount()));
    return bytes;
  }
  return eleeyeBytes({eleeyeRecord(STANDARD_START_FEN, "h2e2", 9),
                      eleeyeRecord(STANDARD_START_FEN, "b0c2", 4), eleeyeRecord(POSITIONS[1], "h9g7", 3)});
}

TEST(BookFuzz, MutatedElephantEyeBooks) {
  const TempFolder folder("开局库-fuzz");
  fuzzBook<EleeyeOpeningBook>(eleeyeSeed(), folder.utf8() + "/book.dat", 1500);
}

TEST(BookFuzz, MutatedMrxqBooks) {
  const std::string seed = mrxqBytes({mrxqRecord(POSITIONS[1], "h9g7", 3), mrxqRecord(POSITIONS[1], "b9c7", 2)},
                                     {mrxqRecord(STANDARD_START_FEN, "h2e2", 9),
                                      mrxqRecord(STANDARD_START_FEN, "c3c4", 5),
                                      mrxqRecord(POSITIONS[2], "b6a8", 1)});
  const TempFolder folder("开局库-fuzz");
  fuzzBook<MrxqOpeningBook>(seed, folder.utf8() + "/book.obk", 1500);
}

TEST(BookFuzz, MutatedServiceReplies) {
  std::mt19937 random(777);
  const Board board = boardFromFen(STANDARD_START_FEN);
  const std::vector<CloudReplyCase> seeds = cloudReplyCases();
  for (int round = 0; round < 1500; ++round) {
    const std::string body = mutate(seeds[random() % seeds.size()].body, random);
    CloudResults results;
    {
      CloudBook book;
      book.setHttpClient(std::make_shared<FakeHttpClient>(body));
      book.query(board, results.callback());
      ASSERT_TRUE(results.waitFor(1));
    }
    const CloudResult result = results.all().front();
    if (result.hit) {
      ASSERT_TRUE(board.isValidMove(result.move)) << body;
    } else {
      ASSERT_FALSE(result.move.from.isValid()) << body;
    }
  }
}

}  // namespace
}  // namespace Tavrune::Test
