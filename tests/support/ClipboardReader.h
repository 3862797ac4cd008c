#pragma once
// Reads the clipboard's Unicode text, as another program would (Windows only).
#include <string>

namespace Tavrune::Test {

// Empty when the clipboard cannot be opened or holds no text.
std::wstring clipboardText();

}  // namespace Tavrune::Test
