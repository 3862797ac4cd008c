#pragma once
// The debug log: one plain-text file per user, written line by line from any thread.
// Nothing is written (to the file or the debugger) while the log is switched off.
#include <cstddef>
#include <string>

namespace Tavrune {

constexpr size_t LOGGED_LINE_LIMIT = 1024;

// Outside text as it goes into the log: a flood of huge lines must not bloat the log, so
// a long one keeps its beginning and names its size.
inline std::string loggedLine(const std::string& line) {
  if (line.size() <= LOGGED_LINE_LIMIT) return line;
  return line.substr(0, LOGGED_LINE_LIMIT) + "... (" + std::to_string(line.size()) + " bytes)";
}

// Writes one time-stamped line; does nothing while the log is off.
void writeLogLine(const std::string& message);
void logInfo(const std::string& message);
void logWarning(const std::string& message);
void logError(const std::string& message);
// "[tag] Move: (fromX,fromY) -> (toX,toY)", cut to 255 bytes.
void logMove(const std::string& tag, int fromX, int fromY, int toX, int toY);

// Full UTF-8 path of "tavrune_debug.log", or the bare file name when no folder is found.
std::string getDebugLogPath();
// The log folder (created on the way), or an empty text.
std::string logDirectory();
// Folder and file name with exactly one separator (a backslash when one is added).
std::string joinPath(const std::string& folder, const std::string& fileName);

// Writes the eight banner lines describing the program and the machine.
void writeLogBanner();
// The one log switch; the first switch-on of a process writes the banner.
void setDebugLogEnabled(bool on);
bool isDebugLogEnabled();

}  // namespace Tavrune
