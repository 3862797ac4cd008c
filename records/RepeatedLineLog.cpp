#include "records/RepeatedLineLog.h"

#include <utility>

#include "core/Log.h"

namespace Tavrune {

RepeatedLineLog::RepeatedLineLog(Level level, std::string prefix, std::string countWords)
    : level_(level), prefix_(std::move(prefix)), countWords_(std::move(countWords)) {}

RepeatedLineLog::~RepeatedLineLog() {
  if (count_ <= kWrittenOneByOne) return;
  writeLine(prefix_ + ": " + countWords_ + std::to_string(count_) + " 处，仅记录前 " +
            std::to_string(kWrittenOneByOne) + " 处");
}

void RepeatedLineLog::write(const std::string& detail) {
  if (++count_ <= kWrittenOneByOne) writeLine(prefix_ + ": " + loggedLine(detail));
}

void RepeatedLineLog::writeLine(const std::string& message) const {
  if (level_ == Level::Warning) {
    logWarning(message);
  } else {
    logInfo(message);
  }
}

}  // namespace Tavrune
