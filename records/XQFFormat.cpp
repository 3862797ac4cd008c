#include "records/XQFFormat.h"

#include <array>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "game/Board.h"
#include "records/RecordLimits.h"
#include "records/SkippedEntryLog.h"
#include "records/XqfHeader.h"

namespace Tavrune {

namespace {

constexpr uint8_t nextRecordFlagsOld = 0xF0;  // below version 11
constexpr uint8_t nextRecordFlag = 0x80;      // version 11 on
constexpr uint8_t commentFlag = 0x20;         // version 11 on
constexpr int64_t longestComment = 4095;      // longer comments are skipped

constexpr PieceType redPieceOrder[16] = {RED_ROOK,    RED_KNIGHT, RED_ELEPHANT, RED_ADVISOR, RED_KING,   RED_ADVISOR,
                                         RED_ELEPHANT, RED_KNIGHT, RED_ROOK,     RED_CANNON,  RED_CANNON, RED_PAWN,
                                         RED_PAWN,    RED_PAWN,   RED_PAWN,     RED_PAWN};

// Square s is file s / 10 and rank s % 10 counted from Red's back rank.
Position positionOfSquare(int square) { return Position(square / 10, 9 - square % 10); }

// Reads the bytes after the header, taking back the key stream. The stream position
// advances for every byte, whether it is kept or skipped.
class ScrambledReader {
 public:
  ScrambledReader(std::istream& input, const XqfHeader& header) : input_(input), header_(header) {}

  bool read(uint8_t* out, size_t count) {
    input_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    const auto got = static_cast<size_t>(input_.gcount());
    for (size_t i = 0; i < got; ++i) out[i] = static_cast<uint8_t>(out[i] - header_.keyAt(streamIndex_++));
    return got == count;
  }

  // Up to count bytes; fewer when the file ends.
  std::string readText(size_t count) {
    std::string text(count, '\0');
    input_.read(text.data(), static_cast<std::streamsize>(count));
    text.resize(static_cast<size_t>(input_.gcount()));
    for (char& c : text) c = static_cast<char>(static_cast<uint8_t>(c) - header_.keyAt(streamIndex_++));
    return text;
  }

  bool skip(int64_t count) {
    input_.ignore(static_cast<std::streamsize>(count));
    const auto got = input_.gcount();
    streamIndex_ += static_cast<uint64_t>(got);
    return got == count;
  }

 private:
  std::istream& input_;
  const XqfHeader& header_;
  uint64_t streamIndex_ = 0;
};

struct XqfRecord {
  int source = 0;
  int target = 0;
  bool hasNext = false;
  std::string comment;
};

// One 4-byte record and the comment that goes with it. False when the file ends inside
// the four bytes; a file that ends inside the comment sets endOfFile instead.
bool readRecord(ScrambledReader& reader, const XqfHeader& header, XqfRecord& record, bool& endOfFile) {
  uint8_t bytes[4];
  if (!reader.read(bytes, 4)) return false;
  record.source = static_cast<uint8_t>(bytes[0] - 24 - header.sourceOffset());
  record.target = static_cast<uint8_t>(bytes[1] - 32 - header.targetOffset());
  const uint8_t flags = bytes[2];
  record.hasNext = (flags & (header.isScrambled() ? nextRecordFlag : nextRecordFlagsOld)) != 0;
  record.comment.clear();
  if (header.isScrambled() && (flags & commentFlag) == 0) return true;

  uint8_t lengthBytes[4];
  if (!reader.read(lengthBytes, 4)) {
    endOfFile = true;
    return true;
  }
  const auto stored = static_cast<int32_t>(static_cast<uint32_t>(lengthBytes[0]) | (uint32_t{lengthBytes[1]} << 8) |
                                           (uint32_t{lengthBytes[2]} << 16) | (uint32_t{lengthBytes[3]} << 24));
  const int64_t length = header.isScrambled() ? int64_t{stored} - header.commentOffset() : int64_t{stored};
  if (length <= 0) return true;
  if (length > longestComment) {
    if (!reader.skip(length)) endOfFile = true;
    return true;
  }
  std::string text = reader.readText(static_cast<size_t>(length));
  if (text.size() < static_cast<size_t>(length)) endOfFile = true;
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  record.comment = std::move(text);
  return true;
}

// Places the 32 pieces of the header's table; false unless each side has exactly one
// king on the board and no two pieces share a point.
bool placeStartPosition(const XqfHeader& header, Board& board) {
  board.clear();
  const auto points = header.piecePoints();
  int redKings = 0;
  int blackKings = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    if (points[i] >= XqfHeader::OFF_BOARD) continue;
    const Position position = positionOfSquare(points[i]);
    if (board.getPiece(position) != EMPTY) return false;
    const PieceType red = redPieceOrder[i % 16];
    const auto piece = static_cast<PieceType>(i < 16 ? red : red + 7);
    board.setPiece(position, piece);
    redKings += piece == RED_KING;
    blackKings += piece == BLACK_KING;
  }
  return redKings == 1 && blackKings == 1;
}

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    const auto second = static_cast<uint8_t>(text[i + 1]);
    if (second < low || second > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

XQFFormat::XQFFormat(std::shared_ptr<const IGbkDecoder> decoder) : gbkDecoder(std::move(decoder)) {}

std::string XQFFormat::toRecordText(std::string_view bytes) const {
  if (isValidUtf8(bytes)) return std::string(bytes);
  // XQF texts are usually GBK; they must be UTF-8 before they can be spoken.
  if (gbkDecoder) {
    if (std::optional<std::string> text = gbkDecoder->toUtf8(bytes)) return *text;
  }
  return std::string(bytes);
}

bool XQFFormat::parse(std::istream& input, ChessScore& score) {
  logInfo("XQFFormat::parse - 开始解析XQF文件");
  score.header.clear();
  score.moves.clear();
  score.reservedText.clear();
  score.refusedMove.clear();
  score.startFen = STANDARD_START_FEN;

  std::array<uint8_t, XqfHeader::SIZE> headerBytes{};
  input.read(reinterpret_cast<char*>(headerBytes.data()), static_cast<std::streamsize>(headerBytes.size()));
  if (static_cast<size_t>(input.gcount()) != headerBytes.size()) {
    logError("XQFFormat::parse - 读取文件头失败");
    return false;
  }
  const XqfHeader header(headerBytes);
  if (!header.hasSignature()) {
    logError("XQFFormat::parse - 无效的文件标识");
    return false;
  }
  logInfo("XQFFormat::parse - XQF版本: " + std::to_string(header.version()));

  const std::string event = header.event();
  score.header.event = toRecordText(event.empty() ? header.title() : event);
  score.header.date = toRecordText(header.date());
  score.header.site = toRecordText(header.site());
  score.header.red = toRecordText(header.redPlayer());
  score.header.black = toRecordText(header.blackPlayer());
  static constexpr const char* results[] = {"*", "1-0", "0-1", "1/2-1/2"};
  if (header.resultByte() < 4) score.header.result = results[header.resultByte()];

  // The first record stands for the start position: its squares mean nothing and its
  // comment is dropped.
  ScrambledReader reader(input, header);
  std::vector<XqfRecord> records;
  XqfRecord record;
  bool endOfFile = false;
  SkippedEntryLog offBoard("XQFFormat::parse - 无效的着法坐标");
  bool more = readRecord(reader, header, record, endOfFile) && record.hasNext && !endOfFile;
  while (more && readRecord(reader, header, record, endOfFile)) {
    more = record.hasNext && !endOfFile;
    if (record.source >= XqfHeader::OFF_BOARD || record.target >= XqfHeader::OFF_BOARD) {
      offBoard.warn("srcIdx=" + std::to_string(record.source) + ", dstIdx=" + std::to_string(record.target));
      continue;
    }
    if (records.size() >= kMaxRecordPlies) {
      logError("XQFFormat::parse - 着法超过 " + std::to_string(kMaxRecordPlies) + " 手上限");
      return false;
    }
    records.push_back(record);
  }

  Board board;
  if (placeStartPosition(header, board)) {
    // Whose turn it is follows from the first move's piece.
    const PieceType first = records.empty() ? EMPTY : board.getPiece(positionOfSquare(records.front().source));
    board.setCurrentPlayer(getPieceColor(first) == BLACK ? BLACK : RED);
    score.startFen = board.toFEN();
  } else {
    logWarning("XQFFormat::parse - 文件头中的开局局面无效，使用标准开局");
    board.setupInitialPosition();
  }

  // No legality test here: the replay into the game stops at a move the rules refuse.
  for (const XqfRecord& entry : records) {
    ScoreMove scoreMove;
    scoreMove.move.from = positionOfSquare(entry.source);
    scoreMove.move.to = positionOfSquare(entry.target);
    scoreMove.move.piece = board.getPiece(scoreMove.move.from);
    scoreMove.move.captured = board.getPiece(scoreMove.move.to);
    scoreMove.comment = toRecordText(entry.comment);
    scoreMove.moveNumber = static_cast<int32_t>(score.moves.size() / 2 + 1);
    scoreMove.flag = true;
    board.movePiece(scoreMove.move);
    score.moves.push_back(std::move(scoreMove));
  }

  logInfo("XQFFormat::parse - 解析完成，手数: " + std::to_string(score.moves.size()));
  if (score.moves.empty()) {
    logWarning("XQFFormat::parse - 警告：未解析到任何着法");
    return false;
  }
  return true;
}

bool XQFFormat::serialize(std::ostream&, const ChessScore&) { return false; }

}  // namespace Tavrune
