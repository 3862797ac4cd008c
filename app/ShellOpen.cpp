#include "app/ShellOpen.h"

#include <shellapi.h>

#include <utility>

namespace Tavrune {

namespace {

ShellOpener& replacement() {
  static ShellOpener opener;
  return opener;
}

}  // namespace

intptr_t shellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters) {
  if (replacement()) return replacement()(owner, file, parameters);
  const HINSTANCE result = ShellExecuteW(owner, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                                         nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<intptr_t>(result);
}

void replaceShellOpenerForTests(ShellOpener opener) { replacement() = std::move(opener); }

}  // namespace Tavrune
