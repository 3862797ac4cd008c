#pragma once
// PGN records: tag lines, an empty line, then numbered moves in the record coordinate
// text (file 'a'+x, rank '1'+y with Red's back rank written '0'), comments in braces
// and the result. Reads the main line only; the one format the program writes.
#include <string>
#include <string_view>

#include "game/Board.h"
#include "records/IChessScoreFormat.h"

namespace Tavrune {

// Four characters: source point, then target point, in the record coordinate text.
std::string moveToICCS(const Move& move);
// Four characters, or the short forms of three (source row missing) and two (both rows
// missing), where a missing row is -1. Colons are ignored.
bool parseICCSMove(const std::string& token, Move& move);

class PGNFormat : public IChessScoreFormat {
 public:
  bool parse(std::istream& input, ChessScore& score) override;
  bool serialize(std::ostream& output, const ChessScore& score) override;
  std::string getName() const override { return "PGN"; }
  std::vector<std::wstring> getExtensions() const override { return {L"pgn"}; }
  bool canRead() const override { return true; }
  bool supportsComments() const override { return true; }
  bool canWrite() const override { return true; }

  static bool parseTagLine(const std::string& line, std::string& key, std::string& value);
  // Plays the main line on a private board from the record's start FEN; stops at the
  // first move the rules refuse, keeps the moves before it and names it in refusedMove.
  static bool parseMoveText(const std::string& moveText, ChessScore& score);
  // Fills the missing rows with the first candidate from Black's back rank onwards.
  static bool inferMissingRows(const Board& board, Move& move, bool redToMove);
  static void writeTag(std::ostream& output, const std::string& key, const std::string& value);
  static void writeMoveText(std::ostream& output, const ChessScore& score);

  static std::string trim(std::string_view text);
  static std::string escapeTagValue(const std::string& text);
  static std::string unescapeTagValue(const std::string& text);
  static std::string normalizeResult(const std::string& result);
};

}  // namespace Tavrune
