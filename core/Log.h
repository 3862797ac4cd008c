#pragma once
// The debug log: one plain-text file per user, written line by line from any thread.
// Nothing is written (to the file or the debugger) while the log is switched off.
#include <cstddef>
#include <string>

namespace Tavrune {

// The most of a message one line keeps: a longer one keeps its beginning, cut at a
// character boundary, and names its size, so that huge outside text cannot bloat the log.
constexpr size_t LOGGED_LINE_LIMIT = 1024;
// The most of one outside text (a file's FEN, an engine's line) put into a message: room
// is left for the words around it, so the line keeps the size named for the text.
constexpr size_t LOGGED_TEXT_LIMIT = 768;

// Outside text cut the same way before it goes into a message, which also spares the
// copy of a huge text while the log is off.
std::string loggedLine(const std::string& text);

// Writes one time-stamped line, cut to LOGGED_LINE_LIMIT; does nothing while the log is off.
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
