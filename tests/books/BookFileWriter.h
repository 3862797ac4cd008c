#pragma once
// Writes opening-book files of both layouts for tests: records are given as a position
// and a move on it, and the writer computes the stored key the way each layout does.
#include <cstdint>
#include <string>
#include <vector>

#include "game/Board.h"

namespace Tavrune::Test {

struct EleeyeRecord {
  uint32_t lock = 0;
  uint16_t move = 0;  // low byte the source square, high byte the target square
  uint16_t weight = 0;
};

struct MrxqRecord {
  uint64_t key = 0;
  uint16_t weight = 0;
};

// The ElephantEye square of a board point.
int eleeyeSquareOf(Position point);
// A record for `move` played from `fen`, keyed by the position's lock.
EleeyeRecord eleeyeRecord(const std::string& fen, const std::string& moveText, uint16_t weight);
// A record for `move` played from `fen`, keyed by the hash of the position it reaches,
// computed from scratch (not by the incremental update the book uses).
MrxqRecord mrxqRecord(const std::string& fen, const std::string& moveText, uint16_t weight);

// Engine move text ("h2e2") on a board; the pieces are read from the board.
Move moveFromText(const Board& board, const std::string& text);
std::string moveText(const Move& move);
Board boardFromFen(const std::string& fen);

std::string eleeyeBytes(const std::vector<EleeyeRecord>& records);
// A Mrxq file; the header declares `declaredBlack` and `declaredRed` records whatever
// the lists hold, so tests can write corrupt counts.
std::string mrxqBytes(const std::vector<MrxqRecord>& black, const std::vector<MrxqRecord>& red,
                      int64_t declaredBlack, int64_t declaredRed, uint16_t signature = 13579);
std::string mrxqBytes(const std::vector<MrxqRecord>& black, const std::vector<MrxqRecord>& red);

// Writes `bytes` to a UTF-8 path; false on failure.
bool writeFile(const std::string& utf8Path, const std::string& bytes);

}  // namespace Tavrune::Test
