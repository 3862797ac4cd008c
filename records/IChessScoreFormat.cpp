#include "records/IChessScoreFormat.h"

#include <cstdint>
#include <fstream>
#include <sstream>

#include "core/Log.h"
#include "core/TextConversion.h"
#include "records/AtomicRecordWriter.h"
#include "records/RecordLimits.h"
#include "records/RecordFilePath.h"

namespace Tavrune {

bool IChessScoreFormat::load(const std::wstring& path, ChessScore& score) {
  const std::string shownPath = encodeUtf8(path);
  logInfo("IChessScoreFormat::load - 尝试打开文件: " + shownPath);
  // The C library's open shares the file with other readers and writers.
  std::ifstream input(recordFilePath(path), std::ios::binary);
  if (!input.is_open()) {
    logError("IChessScoreFormat::load - 无法打开文件: " + shownPath);
    return false;
  }
  // The open stream's own length: the file named by the path is the one being read.
  input.seekg(0, std::ios::end);
  const std::streamoff length = input.tellg();
  input.seekg(0, std::ios::beg);
  if (length < 0 || static_cast<std::uintmax_t>(length) > kMaxRecordFileBytes) {
    logError("IChessScoreFormat::load - 文件超过 " + std::to_string(kMaxRecordFileBytes / (1024 * 1024)) +
             " MB 上限 (" + std::to_string(length) + " 字节): " + shownPath);
    return false;
  }
  logInfo("IChessScoreFormat::load - 文件已打开，开始解析");
  const bool parsed = parse(input, score);
  input.close();
  if (!parsed) {
    logError("IChessScoreFormat::load - 解析失败: " + shownPath);
    return false;
  }
  logInfo("IChessScoreFormat::load - 解析成功，手数: " + std::to_string(score.moves.size()));
  return true;
}

bool IChessScoreFormat::save(const std::wstring& path, const ChessScore& score) {
  // Nothing touches the file until the whole record exists in memory.
  if (!canWrite()) {
    logError("IChessScoreFormat::save - " + getName() + " 格式不支持保存: " + encodeUtf8(path));
    return false;
  }
  std::ostringstream text(std::ios::binary);
  if (!serialize(text, score) || !text) {
    logError("IChessScoreFormat::save - 生成棋谱失败: " + encodeUtf8(path));
    return false;
  }
  std::string reason;
  if (!AtomicRecordWriter::write(recordFilePath(path), text.str(), reason)) {
    logError("IChessScoreFormat::save - 保存失败: " + encodeUtf8(path) + " (" + reason + ")");
    return false;
  }
  return true;
}

}  // namespace Tavrune
