// Both readers fed truncated, mutated, random and huge input: nothing may crash or hang
// (run under the sanitizers of the host build), and whatever loads must replay or fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "RecordTestFiles.h"
#include "XqfTestEncoder.h"
#include "game/GameEngine.h"
#include "records/PGNFormat.h"
#include "records/SystemGbkDecoder.h"
#include "records/XQFFormat.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

namespace fs = std::filesystem;

std::vector<std::string> seeds() {
  std::vector<std::string> found;
  const std::string shared = support::sharedDir();
  for (const char* kind : {"xqf", "pgn"}) {
    const fs::path folder = shared.empty() ? fs::path() : fs::path(shared) / "samples" / kind;
    if (folder.empty() || !fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".md") found.push_back(support::readWholeFile(entry.path()));
    }
  }
  support::XqfTestEncoder encoder;
  encoder.version = 12;
  encoder.keyMask = 0xFF;
  encoder.keyBytes = {7, 77, 177, 217};
  encoder.mainLine = {{support::XqfTestEncoder::square(7, 7), support::XqfTestEncoder::square(4, 7), "注释", {}, 0}};
  found.push_back(encoder.encode());
  found.push_back("[Event \"e\"]\n[FEN \"4k4/9/9/9/9/9/9/9/4R4/3K5 b - - 0 1\"]\n\n1. ef {c} d0d9 (e1f1) 1-0\n");
  return found;
}

std::string mutate(const std::string& seed, std::mt19937& random) {
  std::string data = seed;
  const int edits = std::uniform_int_distribution<int>(1, 8)(random);
  for (int i = 0; i < edits; ++i) {
    const size_t at = data.empty() ? 0 : std::uniform_int_distribution<size_t>(0, data.size() - 1)(random);
    switch (random() % 5) {
      case 0: if (!data.empty()) data[at] = static_cast<char>(random()); break;
      case 1: data.resize(at); break;
      case 2: data.insert(at, std::string(random() % 64, static_cast<char>(random()))); break;
      case 3: data.insert(at, data.substr(at, random() % 512)); break;
      default: if (!data.empty()) data[at] ^= static_cast<char>(1u << (random() % 8)); break;
    }
  }
  return data;
}

void readEveryWay(const std::string& bytes) {
  PGNFormat pgn;
  XQFFormat xqf(makeSystemGbkDecoder());
  for (IChessScoreFormat* format : {static_cast<IChessScoreFormat*>(&pgn), static_cast<IChessScoreFormat*>(&xqf)}) {
    std::istringstream in(bytes);
    ChessScore score;
    if (!format->parse(in, score)) continue;
    GameEngine game;
    score.toGameState(game);
    EXPECT_LE(game.getMoveHistory().size(), score.moves.size());
  }
}

TEST(RecordFuzz, MutatedSamplesNeverCrashOrHang) {
  const std::vector<std::string> inputs = seeds();
  std::mt19937 random(4242);
  for (int round = 0; round < 20000; ++round) {
    readEveryWay(mutate(inputs[round % inputs.size()], random));
  }
  for (int round = 0; round < 300; ++round) {
    std::string noise(random() % 4096, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    readEveryWay(noise);
    readEveryWay("XQ" + noise);
  }
}

TEST(RecordFuzz, HugeInputStaysCheap) {
  const std::string big(4 << 20, 'a');
  readEveryWay(big);                                // one enormous token
  readEveryWay("\n{" + big);                        // a comment that never closes
  readEveryWay("\n" + std::string(1 << 20, '('));  // deep variations
  std::string manyTokens;
  for (int i = 0; i < 200000; ++i) manyTokens += "1. zz ";
  readEveryWay("\n" + manyTokens);
  std::string tags;
  for (int i = 0; i < 100000; ++i) tags += "[Event \"" + std::string(20, '\\') + "\"]\n";
  readEveryWay(tags);
  support::XqfTestEncoder encoder;
  encoder.mainLine = {{support::XqfTestEncoder::square(7, 7), support::XqfTestEncoder::square(4, 7), "", 2000000000, 0}};
  readEveryWay(encoder.encode());  // a comment length far beyond the file
}

}  // namespace
}  // namespace Tavrune
