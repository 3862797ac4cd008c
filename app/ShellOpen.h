#pragma once
// Opening a web page, a folder or a program through the shell with the verb "open",
// shown normally. One seam for every such call, so tests can record them instead.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace Tavrune {

// ShellExecuteW's result: above 32 is success.
using ShellOpener = std::function<intptr_t(HWND owner, const std::wstring& file, const std::wstring& parameters)>;

intptr_t shellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters = {});
// Tests put a recorder here; an empty function gives the shell back.
void replaceShellOpenerForTests(ShellOpener opener);

}  // namespace Tavrune
