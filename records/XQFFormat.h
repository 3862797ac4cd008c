#pragma once
// Reads XQF records: a 1024-byte header (texts, result, start position) and 4-byte move
// records, scrambled from version 11 on. Reads the main line; never writes.
#include <memory>
#include <string>
#include <string_view>

#include "records/IChessScoreFormat.h"
#include "records/IGbkDecoder.h"

namespace Tavrune {

class XQFFormat : public IChessScoreFormat {
 public:
  // Texts that are not UTF-8 are decoded as GBK when a decoder is given.
  explicit XQFFormat(std::shared_ptr<const IGbkDecoder> gbkDecoder = nullptr);

  // True when at least one move was read.
  bool parse(std::istream& input, ChessScore& score) override;
  bool serialize(std::ostream& output, const ChessScore& score) override;
  std::string getName() const override { return "XQF"; }
  std::vector<std::wstring> getExtensions() const override { return {L"xqf"}; }
  bool canRead() const override { return true; }
  bool supportsComments() const override { return true; }
  bool canWrite() const override { return false; }

 private:
  std::string toRecordText(std::string_view bytes) const;

  std::shared_ptr<const IGbkDecoder> gbkDecoder;
};

}  // namespace Tavrune
