#include "core/Log.h"

namespace Tavrune {

void writeLogLine(const std::string&) {}
void logInfo(const std::string&) {}
void logWarning(const std::string&) {}
void logError(const std::string&) {}
void logMove(const std::string&, int, int, int, int) {}
std::string getDebugLogPath() { return "tavrune_debug.log"; }
std::string logDirectory() { return {}; }
std::string joinPath(const std::string& folder, const std::string& fileName) { return folder + fileName; }
void writeLogBanner() {}
void setDebugLogEnabled(bool) {}
bool isDebugLogEnabled() { return false; }

}  // namespace Tavrune
