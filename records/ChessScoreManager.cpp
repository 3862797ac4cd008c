#include "records/ChessScoreManager.h"

#include <cwctype>

#include "core/Log.h"
#include "core/TextConversion.h"
#include "records/PGNFormat.h"
#include "records/SystemGbkDecoder.h"
#include "records/XQFFormat.h"

namespace Tavrune {

namespace {

struct ExtensionEntry {
  const wchar_t* extension;
  ScoreFormat format;
};

constexpr ExtensionEntry extensionTable[] = {
    {L"pgn", ScoreFormat::PGN},   {L"xqf", ScoreFormat::XQF}, {L"mxq", ScoreFormat::MXQ},
    {L"che", ScoreFormat::CHE},   {L"cbf", ScoreFormat::CBF}, {L"ccm", ScoreFormat::CCM},
    {L"chn", ScoreFormat::CHN},   {L"json", ScoreFormat::JSON}, {L"ucci", ScoreFormat::UCCI},
    {L"txt", ScoreFormat::UCCI},
};

}  // namespace

const char* scoreFormatName(ScoreFormat format) {
  switch (format) {
    case ScoreFormat::UNKNOWN: return "UNKNOWN";
    case ScoreFormat::PGN: return "PGN";
    case ScoreFormat::XQF: return "XQF";
    case ScoreFormat::MXQ: return "MXQ";
    case ScoreFormat::CHE: return "CHE";
    case ScoreFormat::CBF: return "CBF";
    case ScoreFormat::CCM: return "CCM";
    case ScoreFormat::CHN: return "CHN";
    case ScoreFormat::JSON: return "JSON";
    case ScoreFormat::UCCI: return "UCCI";
  }
  return "INVALID";
}

ChessScoreManager& ChessScoreManager::getInstance() {
  static ChessScoreManager instance(makeSystemGbkDecoder());
  return instance;
}

ChessScoreManager::ChessScoreManager(std::shared_ptr<const IGbkDecoder> gbkDecoder) {
  formats.emplace(ScoreFormat::PGN, std::make_unique<PGNFormat>());
  formats.emplace(ScoreFormat::XQF, std::make_unique<XQFFormat>(std::move(gbkDecoder)));
}

ScoreFormat ChessScoreManager::detectFormat(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return ScoreFormat::UNKNOWN;
  std::wstring extension = path.substr(dot + 1);
  for (wchar_t& unit : extension) unit = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(unit)));
  for (const ExtensionEntry& entry : extensionTable) {
    if (extension == entry.extension) return entry.format;
  }
  return ScoreFormat::UNKNOWN;
}

IChessScoreFormat* ChessScoreManager::getFormat(ScoreFormat format) const {
  const auto found = formats.find(format);
  return found == formats.end() ? nullptr : found->second.get();
}

bool ChessScoreManager::load(const std::wstring& path, ChessScore& score, ScoreFormat format) {
  logInfo("ChessScoreManager::load - 开始加载: " + encodeUtf8(path));
  if (format == ScoreFormat::UNKNOWN) {
    format = detectFormat(path);
    logInfo(std::string("ChessScoreManager::load - 自动检测格式: ") + scoreFormatName(format));
    if (format == ScoreFormat::UNKNOWN) {
      logError("ChessScoreManager::load - 无法检测文件格式: " + encodeUtf8(path));
      return false;
    }
  }
  IChessScoreFormat* reader = getFormat(format);
  if (reader == nullptr) {
    logError("ChessScoreManager::load - 未找到对应的格式解析器");
    return false;
  }
  logInfo("ChessScoreManager::load - 使用解析器: " + reader->getName());
  if (!reader->load(path, score)) {
    logError("ChessScoreManager::load - 格式解析器加载失败");
    return false;
  }
  logInfo("ChessScoreManager::load - 加载完成，手数: " + std::to_string(score.moves.size()));
  return true;
}

bool ChessScoreManager::save(const std::wstring& path, const ChessScore& score, ScoreFormat format) {
  IChessScoreFormat* writer = getFormat(format);
  return writer != nullptr && writer->save(path, score);
}

}  // namespace Tavrune
