#pragma once
// Hooks that let tests watch the debug log; the program never calls them.
#include <functional>
#include <string>

namespace Tavrune {

// Writes the log into this UTF-8 folder (created on the way) instead of the user's
// application-data folder; an empty text restores the normal lookup.
void setLogFolderForTesting(const std::string& folder);
// Receives each debugger-output text (message and line feed) in place of the debugger;
// called under the log lock. An empty function restores the debugger.
void setDebuggerSinkForTesting(std::function<void(const std::string&)> sink);

}  // namespace Tavrune
