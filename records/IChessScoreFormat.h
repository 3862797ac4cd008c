#pragma once
// One record file format: reads a record from a stream and, where the format allows,
// writes one. load and save do the file handling for every format.
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "records/ChessScore.h"

namespace Tavrune {

class IChessScoreFormat {
 public:
  virtual ~IChessScoreFormat() = default;

  virtual bool parse(std::istream& input, ChessScore& score) = 0;
  virtual bool serialize(std::ostream& output, const ChessScore& score) = 0;
  virtual std::string getName() const = 0;
  virtual std::vector<std::wstring> getExtensions() const = 0;
  virtual bool canRead() const = 0;
  virtual bool supportsComments() const = 0;
  virtual bool canWrite() const = 0;

  // Opens the file by its wide path, shared with other readers and writers, and parses it.
  bool load(const std::wstring& path, ChessScore& score);
  // Writes the whole record beside the target and then replaces the target in one step:
  // a failed save returns false and leaves an existing file as it was.
  bool save(const std::wstring& path, const ChessScore& score);
};

}  // namespace Tavrune
