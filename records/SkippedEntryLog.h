#pragma once
// The warnings about entries a record reader skips, for one file: the first few are
// written one by one, the rest only counted and named once at the end, so that a large
// junk file cannot flood the debug log.
#include <cstddef>
#include <string>

namespace Tavrune {

class SkippedEntryLog {
 public:
  static constexpr size_t kWrittenOneByOne = 5;

  // `summaryPrefix` begins each warning and the closing count line, for example
  // "XQFFormat::parse - 无效的着法坐标".
  explicit SkippedEntryLog(std::string summaryPrefix);
  // Writes the count line when more were skipped than written.
  ~SkippedEntryLog();
  SkippedEntryLog(const SkippedEntryLog&) = delete;
  SkippedEntryLog& operator=(const SkippedEntryLog&) = delete;

  // Counts one skipped entry; while warnings are still written one by one, writes
  // prefix + ": " + detail, a long detail cut short.
  void warn(const std::string& detail);

 private:
  // Counts one skipped entry; true while its own warning is still to be written.
  bool admit();

  std::string summaryPrefix_;
  size_t skipped_ = 0;
};

}  // namespace Tavrune
