#pragma once
// Lines a record reader writes once per entry of one file (a skipped move, a start-position
// tag): the first few are written one by one, the rest only counted and named once at the
// end, so that a large file cannot flood the debug log.
#include <cstddef>
#include <string>

namespace Tavrune {

class RepeatedLineLog {
 public:
  static constexpr size_t kWrittenOneByOne = 5;
  enum class Level { Info, Warning };

  // Each line reads prefix + ": " + detail; the closing line, written when more came than
  // were written, prefix + ": " + countWords + the count + " 处，仅记录前 5 处".
  RepeatedLineLog(Level level, std::string prefix, std::string countWords);
  ~RepeatedLineLog();
  RepeatedLineLog(const RepeatedLineLog&) = delete;
  RepeatedLineLog& operator=(const RepeatedLineLog&) = delete;

  // Counts one entry; while lines are still written one by one, writes its line, a long
  // detail cut short.
  void write(const std::string& detail);

 private:
  void writeLine(const std::string& message) const;

  Level level_;
  std::string prefix_;
  std::string countWords_;
  size_t count_ = 0;
};

}  // namespace Tavrune
