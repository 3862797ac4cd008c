#pragma once
// The 1024-byte header of an XQF file: version, unscrambling keys, texts, result and the
// start position of the 32 pieces.
#include <array>
#include <cstdint>
#include <string>

namespace Tavrune {

class XqfHeader {
 public:
  static constexpr size_t SIZE = 1024;
  // Piece order of the start-position table, Red then Black: rook, knight, elephant,
  // advisor, king, advisor, elephant, knight, rook, cannon, cannon, five pawns.
  static constexpr size_t PIECE_COUNT = 32;
  // A point byte of this value or more means the piece is not on the board.
  static constexpr uint8_t OFF_BOARD = 90;

  explicit XqfHeader(const std::array<uint8_t, SIZE>& bytes);

  bool hasSignature() const { return bytes_[0] == 'X' && bytes_[1] == 'Q'; }
  int version() const { return bytes_[2]; }
  bool isScrambled() const { return version() >= 11; }

  // The key-stream byte subtracted from the n-th byte after the header.
  uint8_t keyAt(uint64_t streamIndex) const { return keyStream_[streamIndex % keyStream_.size()]; }
  uint8_t sourceOffset() const { return sourceOffset_; }
  uint8_t targetOffset() const { return targetOffset_; }
  int32_t commentOffset() const { return commentOffset_; }

  // Points X * 10 + Y (X the file from Red's left, Y the rank from Red's back rank), by
  // piece in table order, unscrambled and unrotated.
  std::array<uint8_t, PIECE_COUNT> piecePoints() const;

  uint8_t resultByte() const { return bytes_[0x33]; }
  // The raw bytes of the text fields: at most one byte less than the field's size, fewer
  // when the length byte says so, cut at a zero byte.
  std::string title() const { return textField(0x50, 64); }
  std::string event() const { return textField(0xD0, 64); }
  std::string date() const { return textField(0x110, 16); }
  std::string site() const { return textField(0x120, 16); }
  std::string redPlayer() const { return textField(0x130, 16); }
  std::string blackPlayer() const { return textField(0x140, 16); }

 private:
  std::string textField(size_t offset, size_t fieldSize) const;

  std::array<uint8_t, SIZE> bytes_;
  std::array<uint8_t, 32> keyStream_{};
  uint8_t startOffset_ = 0;
  uint8_t sourceOffset_ = 0;
  uint8_t targetOffset_ = 0;
  int32_t commentOffset_ = 0;
};

}  // namespace Tavrune
