// Books together: which load, the weighted random choice and the best move across books.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "books/BookFileWriter.h"
#include "books/BookTestText.h"
#include "engine/OpeningBookSet.h"
#include "support/TempFolder.h"

namespace Tavrune::Test {
namespace {

const Move NO_MOVE{{-1, -1}, {-1, -1}, EMPTY, EMPTY};

class BookSetTest : public ::testing::Test {
 protected:
  // An ElephantEye book and a Mrxq book on the opening, each with its own moves.
  std::string writeEleeye(std::vector<std::pair<std::string, uint16_t>> moves) {
    std::vector<EleeyeRecord> records;
    for (const auto& [text, weight] : moves) records.push_back(eleeyeRecord(STANDARD_START_FEN, text, weight));
    const std::string path = folder + "/book" + std::to_string(files++) + ".dat";
    EXPECT_TRUE(writeFile(path, eleeyeBytes(records)));
    return path;
  }
  std::string writeMrxq(std::vector<std::pair<std::string, uint16_t>> moves) {
    std::vector<MrxqRecord> red;
    for (const auto& [text, weight] : moves) red.push_back(mrxqRecord(STANDARD_START_FEN, text, weight));
    const std::string path = folder + "/book" + std::to_string(files++) + ".obk";
    EXPECT_TRUE(writeFile(path, mrxqBytes({}, red)));
    return path;
  }

  TempFolder bookFolder{"开局库-set"};
  std::string folder = bookFolder.utf8();
  int files = 0;
  OpeningBookSet set;
  Board opening = boardFromFen(STANDARD_START_FEN);
};

TEST_F(BookSetTest, OnlyBooksThatLoadAreKeptAndTypeChoosesTheLayout) {
  EXPECT_FALSE(set.hasAnyBook());
  EXPECT_EQ(set.probeRandom(opening), NO_MOVE);
  EXPECT_EQ(set.probeBest(opening), NO_MOVE);

  const std::string eleeye = writeEleeye({{"h2e2", 5}});
  EXPECT_FALSE(set.loadBook(eleeye, 1));  // not a Mrxq file
  EXPECT_FALSE(set.loadBook(folder + "/missing.dat", 0));
  EXPECT_FALSE(set.hasAnyBook());
  EXPECT_TRUE(set.loadBook(eleeye, 0));
  EXPECT_TRUE(set.hasAnyBook());
  EXPECT_EQ(moveText(set.probeBest(opening)), "h2e2");

  // A Mrxq book without records loads and counts, but knows nothing.
  OpeningBookSet onlyEmpty;
  const std::string empty = folder + "/empty.obk";
  ASSERT_TRUE(writeFile(empty, mrxqBytes({}, {})));
  EXPECT_TRUE(onlyEmpty.loadBook(empty, 7));
  EXPECT_TRUE(onlyEmpty.hasAnyBook());
  EXPECT_EQ(onlyEmpty.probeRandom(opening), NO_MOVE);
  EXPECT_EQ(onlyEmpty.probeBest(opening), NO_MOVE);
  EXPECT_EQ(onlyEmpty.probeBest(boardFromFen("4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1")), NO_MOVE);
}

TEST_F(BookSetTest, RandomChoiceWalksCandidatesByWeightWithZeroCountingAsOne) {
  // Candidates in order: the ElephantEye book's (by weight), then the Mrxq book's.
  ASSERT_TRUE(set.loadBook(writeEleeye({{"h2e2", 3}, {"b2e2", 0}}), 0));
  ASSERT_TRUE(set.loadBook(writeMrxq({{"c3c4", 0}, {"b0c2", 2}}), 1));
  uint64_t drawn = 0;
  uint64_t seenBound = 0;
  set.setRandomSource([&](uint64_t bound) {
    seenBound = bound;
    return drawn;
  });
  const struct {
    uint64_t draw;
    const char* move;
  } cases[] = {{0, "h2e2"}, {2, "h2e2"}, {3, "b2e2"}, {4, "b0c2"}, {5, "b0c2"}, {6, "c3c4"}};
  for (const auto& c : cases) {
    drawn = c.draw;
    EXPECT_EQ(moveText(set.probeRandom(opening)), c.move) << c.draw;
    EXPECT_EQ(seenBound, 3u + 1u + 2u + 1u);
  }
}

TEST_F(BookSetTest, ThreadGeneratorPicksInProportionToWeight) {
  ASSERT_TRUE(set.loadBook(writeEleeye({{"h2e2", 3}, {"b2e2", 1}}), 0));
  int first = 0;
  constexpr int draws = 4000;
  for (int i = 0; i < draws; ++i) first += moveText(set.probeRandom(opening)) == "h2e2";
  // Expected 3000, standard deviation about 27.
  EXPECT_GT(first, 2800);
  EXPECT_LT(first, 3200);

  OpeningBookSet zeros;
  ASSERT_TRUE(zeros.loadBook(writeEleeye({{"h2e2", 0}, {"b2e2", 0}}), 0));
  int h2e2 = 0;
  for (int i = 0; i < draws; ++i) h2e2 += moveText(zeros.probeRandom(opening)) == "h2e2";
  EXPECT_GT(h2e2, 1800);
  EXPECT_LT(h2e2, 2200);
}

TEST_F(BookSetTest, ProbesFromSeveralThreadsAtOnce) {
  ASSERT_TRUE(set.loadBook(writeEleeye({{"h2e2", 3}, {"b2e2", 1}}), 0));
  ASSERT_TRUE(set.loadBook(writeMrxq({{"c3c4", 2}}), 1));
  std::vector<std::thread> threads;
  std::atomic<int> bad{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        if (!set.probeRandom(opening).from.isValid() || !set.probeBest(opening).from.isValid()) ++bad;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST_F(BookSetTest, BestMoveTiesGoToTheBookLoadedFirst) {
  const std::string eleeye = writeEleeye({{"h2e2", 40}, {"b2e2", 10}});
  const std::string mrxq = writeMrxq({{"c3c4", 40}, {"b0c2", 39}});
  const std::string stronger = writeMrxq({{"g3g4", 41}});
  struct Case {
    std::vector<std::pair<std::string, int32_t>> books;
    const char* best;
  } cases[] = {
      {{{eleeye, 0}, {mrxq, 1}}, "h2e2"},
      {{{mrxq, 1}, {eleeye, 0}}, "c3c4"},
      {{{eleeye, 0}, {mrxq, 1}, {stronger, 1}}, "g3g4"},
  };
  for (const Case& c : cases) {
    OpeningBookSet books;
    for (const auto& [path, type] : c.books) ASSERT_TRUE(books.loadBook(path, type));
    EXPECT_EQ(moveText(books.probeBest(opening)), c.best);
  }
}

}  // namespace
}  // namespace Tavrune::Test
