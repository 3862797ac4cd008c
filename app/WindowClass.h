#pragma once
// Registering a window class of the program's own windows.
#include <windows.h>

namespace Tavrune {

// Registers a class with the arrow cursor, the window colour and redraw on resize. A class
// left registered by an earlier window of this process is reused: true then as well.
bool registerWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure);

}  // namespace Tavrune
