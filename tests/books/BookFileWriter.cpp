#include "books/BookFileWriter.h"

#include <filesystem>
#include <fstream>

#include "engine/EleeyeZobrist.h"
#include "engine/MrxqZobrist.h"

namespace Tavrune::Test {

namespace {

std::filesystem::path pathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void putLe(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

int eleeyeSquareOf(Position point) { return eleeyeSquare(point.x, point.y); }

Board boardFromFen(const std::string& fen) {
  Board board;
  board.fromFEN(fen);
  return board;
}

Move moveFromText(const Board& board, const std::string& text) {
  Move move;
  move.from = Position(text[0] - 'a', '9' - text[1]);
  move.to = Position(text[2] - 'a', '9' - text[3]);
  move.piece = board.getPiece(move.from);
  move.captured = board.getPiece(move.to);
  return move;
}

std::string moveText(const Move& move) {
  return {static_cast<char>('a' + move.from.x), static_cast<char>('9' - move.from.y),
          static_cast<char>('a' + move.to.x), static_cast<char>('9' - move.to.y)};
}

EleeyeRecord eleeyeRecord(const std::string& fen, const std::string& text, uint16_t weight) {
  const Board board = boardFromFen(fen);
  const Move move = moveFromText(board, text);
  return {eleeyeZobristKey(board).lock1,
          static_cast<uint16_t>(eleeyeSquareOf(move.from) | eleeyeSquareOf(move.to) << 8), weight};
}

MrxqRecord mrxqRecord(const std::string& fen, const std::string& text, uint16_t weight) {
  Board board = boardFromFen(fen);
  board.movePiece(moveFromText(board, text));
  return {mrxqZobristHash(board), weight};
}

std::string eleeyeBytes(const std::vector<EleeyeRecord>& records) {
  std::string out;
  for (const EleeyeRecord& r : records) {
    putLe(out, r.lock, 4);
    putLe(out, r.move, 2);
    putLe(out, r.weight, 2);
  }
  return out;
}

std::string mrxqBytes(const std::vector<MrxqRecord>& black, const std::vector<MrxqRecord>& red,
                      int64_t declaredBlack, int64_t declaredRed, uint16_t signature) {
  std::string out;
  putLe(out, signature, 2);
  putLe(out, 0, 6);
  putLe(out, static_cast<uint64_t>(declaredBlack), 8);
  putLe(out, static_cast<uint64_t>(declaredRed), 8);
  out.append(104, '\0');
  for (const auto* list : {&black, &red}) {
    for (const MrxqRecord& r : *list) {
      putLe(out, r.key, 8);
      putLe(out, r.weight, 2);
    }
  }
  return out;
}

std::string mrxqBytes(const std::vector<MrxqRecord>& black, const std::vector<MrxqRecord>& red) {
  return mrxqBytes(black, red, static_cast<int64_t>(black.size()), static_cast<int64_t>(red.size()));
}

bool writeFile(const std::string& utf8Path, const std::string& bytes) {
  std::ofstream out(pathOf(utf8Path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace Tavrune::Test
