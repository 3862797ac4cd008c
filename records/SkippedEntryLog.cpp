#include "records/SkippedEntryLog.h"

#include <utility>

#include "core/Log.h"

namespace Tavrune {

SkippedEntryLog::SkippedEntryLog(std::string summaryPrefix) : summaryPrefix_(std::move(summaryPrefix)) {}

SkippedEntryLog::~SkippedEntryLog() {
  if (skipped_ <= kWrittenOneByOne) return;
  logWarning(summaryPrefix_ + ": 共跳过 " + std::to_string(skipped_) + " 处，仅记录前 " +
             std::to_string(kWrittenOneByOne) + " 处");
}

bool SkippedEntryLog::admit() { return ++skipped_ <= kWrittenOneByOne; }

void SkippedEntryLog::warn(const std::string& detail) {
  if (admit()) logWarning(summaryPrefix_ + ": " + loggedLine(detail));
}

}  // namespace Tavrune
