#include "records/PGNFormat.h"

#include <utility>

#include "core/Log.h"
#include "records/RecordLimits.h"
#include "records/RepeatedLineLog.h"
#include "records/SkippedEntryLog.h"

namespace Tavrune {

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view trimmedCharacters = " \t\n\r";

// The thirteen written header texts in the order they are written; "White" and
// "WhiteElo" are read as well, for files of other tools.
struct TagField {
  const char* name;
  std::string ChessScoreHeader::*field;
};

constexpr TagField writtenTags[] = {
    {"Event", &ChessScoreHeader::event},       {"Site", &ChessScoreHeader::site},
    {"Date", &ChessScoreHeader::date},         {"Round", &ChessScoreHeader::round},
    {"Red", &ChessScoreHeader::red},           {"Black", &ChessScoreHeader::black},
    {"RedElo", &ChessScoreHeader::redElo},     {"BlackElo", &ChessScoreHeader::blackElo},
    {"Result", &ChessScoreHeader::result},     {"ECCO", &ChessScoreHeader::ecco},
    {"Opening", &ChessScoreHeader::opening},   {"Variation", &ChessScoreHeader::variation},
    {"Annotator", &ChessScoreHeader::annotator},
};

std::string* headerFieldForTag(ChessScoreHeader& header, const std::string& key) {
  if (key == "White") return &header.red;
  if (key == "WhiteElo") return &header.redElo;
  for (const TagField& tag : writtenTags) {
    if (key == tag.name) return &(header.*tag.field);
  }
  return nullptr;
}

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Checked by hand: a regular expression on file content can exhaust the stack on a long token.
bool isMoveNumber(std::string_view token) {
  size_t digits = 0;
  while (digits < token.size() && isDigit(token[digits])) ++digits;
  const size_t dots = token.size() - digits;
  if (digits == 0 || dots < 1 || dots > 2) return false;
  return token.substr(digits).find_first_not_of('.') == std::string_view::npos;
}

bool isResultToken(std::string_view token) {
  return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

// Every run of white space becomes one space, as splitting at white space and joining
// with spaces would leave it.
std::string foldWhiteSpace(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  bool inRun = false;
  for (const char c : text) {
    if (isWhiteSpace(c)) {
      if (!inRun) folded += ' ';
      inRun = true;
    } else {
      folded += c;
      inRun = false;
    }
  }
  return folded;
}

// Splits move text into words, brace comments and variation brackets.
class MoveTextScanner {
 public:
  enum class Kind { End, Word, Comment, OpenVariation, CloseVariation };

  explicit MoveTextScanner(std::string_view text) : text_(text) {}

  Kind next(std::string_view& content) {
    while (position_ < text_.size() && isWhiteSpace(text_[position_])) ++position_;
    if (position_ >= text_.size()) return Kind::End;
    const char c = text_[position_];
    if (c == '(') {
      ++position_;
      return Kind::OpenVariation;
    }
    if (c == ')') {
      ++position_;
      return Kind::CloseVariation;
    }
    if (c == '{') {
      const size_t close = text_.find('}', position_ + 1);
      const size_t end = close == std::string_view::npos ? text_.size() : close;
      content = text_.substr(position_ + 1, end - position_ - 1);
      position_ = close == std::string_view::npos ? text_.size() : close + 1;
      return Kind::Comment;
    }
    const size_t start = position_;
    while (position_ < text_.size() && !isWhiteSpace(text_[position_]) && text_[position_] != '{' &&
           text_[position_] != '(' && text_[position_] != ')') {
      ++position_;
    }
    content = text_.substr(start, position_ - start);
    return Kind::Word;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

// A file letter a..i gives x 0..8; a rank digit gives y 9 for '0' and 0..8 for '1'..'9'.
int fileOfLetter(char c) { return c - 'a'; }
int rowOfDigit(char c) { return c == '0' ? 9 : c - '1'; }
bool fileInRange(int x) { return x >= 0 && x <= 8; }

}  // namespace

std::string moveToICCS(const Move& move) {
  auto rank = [](int32_t y) { return static_cast<char>(y == 9 ? '0' : '1' + y); };
  std::string text(4, ' ');
  text[0] = static_cast<char>('a' + move.from.x);
  text[1] = rank(move.from.y);
  text[2] = static_cast<char>('a' + move.to.x);
  text[3] = rank(move.to.y);
  return text;
}

bool parseICCSMove(const std::string& token, Move& move) {
  std::string text;
  text.reserve(token.size());
  for (const char c : token) {
    if (c != ':') text += c;
  }
  move = Move();
  if (text.size() == 4) {
    move.from = Position(fileOfLetter(text[0]), rowOfDigit(text[1]));
    move.to = Position(fileOfLetter(text[2]), rowOfDigit(text[3]));
    return move.from.isValid() && move.to.isValid();
  }
  if (text.size() == 3) {
    move.from = Position(fileOfLetter(text[0]), -1);
    move.to = Position(fileOfLetter(text[1]), rowOfDigit(text[2]));
    return fileInRange(move.from.x) && move.to.isValid();
  }
  if (text.size() == 2) {
    move.from = Position(fileOfLetter(text[0]), -1);
    move.to = Position(fileOfLetter(text[1]), -1);
    return fileInRange(move.from.x) && fileInRange(move.to.x);
  }
  return false;
}

std::string PGNFormat::trim(std::string_view text) {
  const size_t first = text.find_first_not_of(trimmedCharacters);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(trimmedCharacters);
  return std::string(text.substr(first, last - first + 1));
}

std::string PGNFormat::escapeTagValue(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // A tag is one line and has no escape for a line break (an XQF's texts may hold
    // some): each break becomes a space, a CR LF pair one space.
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      escaped += ' ';
      continue;
    }
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string PGNFormat::unescapeTagValue(const std::string& text) {
  std::string value;
  value.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return value;
}

std::string PGNFormat::normalizeResult(const std::string& result) {
  if (result == "1-0" || result == "0-1" || result == "1/2-1/2") return result;
  if (result == "0.5-0.5") return "1/2-1/2";
  return "*";
}

bool PGNFormat::parseTagLine(const std::string& line, std::string& key, std::string& value) {
  const std::string text = trim(line);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return false;
  const std::string_view inside = std::string_view(text).substr(1, text.size() - 2);
  const size_t quote = inside.find('"');
  if (quote == std::string_view::npos) return false;
  key = trim(inside.substr(0, quote));
  size_t end = quote + 1;
  while (end < inside.size() && inside[end] != '"') {
    end += inside[end] == '\\' ? 2 : 1;
  }
  end = std::min(end, inside.size());
  value = unescapeTagValue(std::string(inside.substr(quote + 1, end - quote - 1)));
  return true;
}

bool PGNFormat::inferMissingRows(const Board& board, Move& move, bool redToMove) {
  const PieceColor side = redToMove ? RED : BLACK;
  auto playable = [&](Position from, Position to) {
    if (from == to) return false;
    const PieceType piece = board.getPiece(from);
    if (getPieceColor(piece) != side || getPieceColor(board.getPiece(to)) == side) return false;
    Move candidate;
    candidate.from = from;
    candidate.to = to;
    candidate.piece = piece;
    candidate.captured = board.getPiece(to);
    return board.isValidMove(candidate);
  };

  if (move.from.y < 0 && move.to.y >= 0) {
    for (int y = 0; y < 10; ++y) {
      if (playable(Position(move.from.x, y), move.to)) {
        move.from.y = y;
        return true;
      }
    }
    return false;
  }
  if (move.from.y < 0 && move.to.y < 0) {
    for (int fromY = 0; fromY < 10; ++fromY) {
      for (int toY = 0; toY < 10; ++toY) {
        if (playable(Position(move.from.x, fromY), Position(move.to.x, toY))) {
          move.from.y = fromY;
          move.to.y = toY;
          return true;
        }
      }
    }
  }
  return false;
}

bool PGNFormat::parseMoveText(const std::string& moveText, ChessScore& score) {
  logInfo("PGNFormat::parseMoveText - 开始解析着法文本");
  const std::string fen = score.startFen.empty() ? std::string(STANDARD_START_FEN) : score.startFen;
  logInfo("PGNFormat::parseMoveText - 使用FEN: " + loggedLine(fen));
  Board board;
  if (!board.fromFEN(fen)) {
    logError("PGNFormat::parseMoveText - 无效的FEN: " + loggedLine(fen));
    return false;
  }

  // The side to move comes from the position, so a record that starts with Black's move
  // finds Black's pieces for its short forms.
  bool redToMove = board.getCurrentPlayer() == RED;
  int32_t moveNumber = 1;
  size_t tokenCount = 0;
  size_t moveTokens = 0;
  int variationDepth = 0;
  std::string refusedToken;

  MoveTextScanner scanner(moveText);
  SkippedEntryLog unreadable("PGNFormat::parseMoveText - 无法解析token");
  std::string_view content;
  for (auto kind = scanner.next(content); kind != MoveTextScanner::Kind::End;
       kind = scanner.next(content)) {
    ++tokenCount;
    // Variations are alternatives to the main line: read past them, never into it.
    if (kind == MoveTextScanner::Kind::OpenVariation) {
      ++variationDepth;
      continue;
    }
    if (kind == MoveTextScanner::Kind::CloseVariation) {
      if (variationDepth > 0) --variationDepth;
      continue;
    }
    if (variationDepth > 0) continue;

    if (kind == MoveTextScanner::Kind::Comment) {
      if (!score.moves.empty()) score.moves.back().comment = foldWhiteSpace(content);
      continue;
    }

    const std::string token(content);
    if (isMoveNumber(token)) continue;
    if (isResultToken(token)) {
      score.header.result = token;
      logInfo("PGNFormat::parseMoveText - 结果标记: " + token);
      break;
    }

    ++moveTokens;
    Move move;
    if (!parseICCSMove(token, move)) {
      unreadable.warn(token);
      continue;
    }
    if ((move.from.y < 0 || move.to.y < 0) && !inferMissingRows(board, move, redToMove)) {
      logWarning("PGNFormat::parseMoveText - 无法推断坐标: " + token);
      refusedToken = token;
      break;
    }
    move.piece = board.getPiece(move.from);
    move.captured = board.getPiece(move.to);
    if (move.piece == EMPTY) {
      logWarning("PGNFormat::parseMoveText - 起始位置无棋子: " + token);
      refusedToken = token;
      break;
    }
    if (!board.isValidMove(move)) {
      logWarning("PGNFormat::parseMoveText - 非法着法: " + token);
      refusedToken = token;
      break;
    }

    if (score.moves.size() >= kMaxRecordPlies) {
      logError("PGNFormat::parseMoveText - 着法超过 " + std::to_string(kMaxRecordPlies) + " 手上限");
      return false;
    }
    ScoreMove entry;
    entry.move = move;
    entry.moveNumber = moveNumber;
    entry.flag = true;
    score.moves.push_back(std::move(entry));
    board.movePiece(move);
    if (!redToMove) ++moveNumber;
    redToMove = !redToMove;
  }

  if (!refusedToken.empty()) {
    logWarning("PGNFormat::parseMoveText - 着法被规则拒绝，停止解析: " + refusedToken + "，保留手数: " +
               std::to_string(score.moves.size()));
    score.refusedMove = refusedToken;
  }
  logInfo("PGNFormat::parseMoveText - 处理完成，tokens: " + std::to_string(tokenCount) +
          ", 解析手数: " + std::to_string(score.moves.size()));
  if (moveTokens > 0 && score.moves.empty()) {
    logError("PGNFormat::parseMoveText - 着法文本中没有可用的着法");
    return false;
  }
  return true;
}

bool PGNFormat::parse(std::istream& input, ChessScore& score) {
  logInfo("PGNFormat::parse - 开始解析PGN文件");
  score.header.clear();
  score.moves.clear();
  score.reservedText.clear();
  score.refusedMove.clear();
  score.startFen = STANDARD_START_FEN;

  std::string line;
  std::string moveText;
  int lineNumber = 0;
  int tagCount = 0;
  bool tagSection = true;
  SkippedEntryLog badTags("PGNFormat::parse - 标签解析失败");
  RepeatedLineLog customFens(RepeatedLineLog::Level::Info, "PGNFormat::parse - 自定义FEN", "共 ");
  while (std::getline(input, line)) {
    ++lineNumber;
    std::string_view raw(line);
    if (lineNumber == 1 && raw.starts_with(utf8ByteOrderMark)) raw.remove_prefix(utf8ByteOrderMark.size());
    const std::string text = trim(raw);
    if (text.empty()) {
      if (tagSection) {
        tagSection = false;
        logInfo("PGNFormat::parse - 空行分隔，进入着法段 (行号: " + std::to_string(lineNumber) + ")");
      }
      continue;
    }
    if (tagSection && text.front() == '[') {
      std::string key;
      std::string value;
      if (!parseTagLine(text, key, value)) {
        badTags.warn("行号 " + std::to_string(lineNumber) + ": " + text);
        continue;
      }
      ++tagCount;
      if (key == "FEN") {
        customFens.write(value);
        score.startFen = std::move(value);
      } else if (std::string* field = headerFieldForTag(score.header, key)) {
        *field = std::move(value);
      }
      continue;
    }
    // Once the move text has begun, every line belongs to it, brackets included.
    tagSection = false;
    moveText += ' ';
    moveText += text;
  }

  logInfo("PGNFormat::parse - 标签解析完成: " + std::to_string(tagCount) + " 个标签");
  logInfo("PGNFormat::parse - 着法文本长度: " + std::to_string(moveText.size()) + " 字符");
  if (!moveText.empty() && !parseMoveText(moveText, score)) {
    logError("PGNFormat::parse - parseMoveText 失败");
    return false;
  }
  // Junk lines, blanks, a lone result or comments: nothing was read, so there is no record
  // to load, only an empty game that would stand in for the file.
  if (tagCount == 0 && score.moves.empty()) {
    logError("PGNFormat::parse - 文件中没有可读的标签或着法");
    return false;
  }
  if (moveText.empty()) {
    logInfo("PGNFormat::parse - 解析完成（无着法）");
    return true;
  }
  logInfo("PGNFormat::parse - 解析成功，手数: " + std::to_string(score.moves.size()));
  return true;
}

void PGNFormat::writeTag(std::ostream& output, const std::string& key, const std::string& value) {
  if (value.empty()) return;
  output << '[' << key << " \"" << escapeTagValue(value) << "\"]\n";
}

void PGNFormat::writeMoveText(std::ostream& output, const ChessScore& score) {
  size_t column = 0;
  int32_t moveNumber = 1;
  for (size_t i = 0; i < score.moves.size(); ++i) {
    const ScoreMove& entry = score.moves[i];
    if (i % 2 == 0) {
      if (column > 0) {
        output << ' ';
        ++column;
      }
      const std::string number = std::to_string(moveNumber) + ". ";
      output << number;
      column += number.size();
    }
    output << moveToICCS(entry.move);
    column += 4;
    if (!entry.comment.empty()) {
      output << " { " << entry.comment << " }";
      column += 5 + entry.comment.size();
    }
    // Lines are broken only between moves, once they have passed 80 bytes.
    if (column <= 80) {
      output << ' ';
      ++column;
    } else {
      output << '\n';
      column = 0;
    }
    if (i % 2 == 1) ++moveNumber;
  }
  if (column > 0) output << ' ';
  output << normalizeResult(score.header.result) << '\n';
}

bool PGNFormat::serialize(std::ostream& output, const ChessScore& score) {
  for (const TagField& tag : writtenTags) writeTag(output, tag.name, score.header.*tag.field);
  if (!score.startFen.empty() && score.startFen != STANDARD_START_FEN) {
    writeTag(output, "SetUp", "1");
    writeTag(output, "FEN", score.startFen);
  }
  output << '\n';
  writeMoveText(output, score);
  return !output.fail();
}

}  // namespace Tavrune
