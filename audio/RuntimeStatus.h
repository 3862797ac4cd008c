#pragma once
// Back-end status texts are comma-separated key=value items; the code of the last
// one-shot follows "runtimeStatus=".
#include <string>

namespace Tavrune {

// The code after the first "runtimeStatus=" up to the next comma; "unknown" without one.
std::string extractRuntimeStatus(const std::string& statusText);

}  // namespace Tavrune
