#pragma once
// The warnings about entries a record reader skips, for one file: the first few are
// written one by one, the rest only counted and named once at the end.
#include <string>
#include <utility>

#include "records/RepeatedLineLog.h"

namespace Tavrune {

class SkippedEntryLog {
 public:
  // `summaryPrefix` begins each warning and the closing count line, for example
  // "XQFFormat::parse - 无效的着法坐标".
  explicit SkippedEntryLog(std::string summaryPrefix)
      : lines_(RepeatedLineLog::Level::Warning, std::move(summaryPrefix), "共跳过 ") {}

  // Counts one skipped entry; while warnings are still written one by one, writes
  // prefix + ": " + detail, a long detail cut short.
  void warn(const std::string& detail) { lines_.write(detail); }

 private:
  RepeatedLineLog lines_;
};

}  // namespace Tavrune
