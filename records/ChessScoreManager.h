#pragma once
// The one place where record files are read and written: knows the formats, guesses a
// file's format from its extension and keeps one format object per readable format.
#include <memory>
#include <string>
#include <unordered_map>

#include "records/ChessScore.h"
#include "records/IChessScoreFormat.h"
#include "records/IGbkDecoder.h"
#include "records/ScoreFormat.h"

namespace Tavrune {

class ChessScoreManager {
 public:
  // The process-wide manager, with the platform's GBK decoder for XQF texts.
  static ChessScoreManager& getInstance();

  // A manager of its own (tests): the decoder may be null, XQF texts then stay as read.
  explicit ChessScoreManager(std::shared_ptr<const IGbkDecoder> gbkDecoder);

  // By the text after the last dot of the whole path, compared without regard to case.
  static ScoreFormat detectFormat(const std::wstring& path);
  // Null for a format without a reader.
  IChessScoreFormat* getFormat(ScoreFormat format) const;

  // UNKNOWN detects the format from the extension.
  bool load(const std::wstring& path, ChessScore& score, ScoreFormat format = ScoreFormat::UNKNOWN);
  bool save(const std::wstring& path, const ChessScore& score, ScoreFormat format);

 private:
  std::unordered_map<ScoreFormat, std::unique_ptr<IChessScoreFormat>> formats;
};

}  // namespace Tavrune
