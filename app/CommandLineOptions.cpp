#include "app/CommandLineOptions.h"

namespace Tavrune {

namespace {

bool equalsIgnoringAsciiCase(const std::wstring& text, const wchar_t* expected) {
  size_t i = 0;
  for (; i < text.size() && expected[i] != L'\0'; ++i) {
    wchar_t c = text[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != expected[i]) return false;
  }
  return i == text.size() && expected[i] == L'\0';
}

}  // namespace

DataFolderChoice CommandLineOptions::dataFolderChoice(const std::vector<std::wstring>& arguments) {
  bool portable = false;
  bool installed = false;
  for (const std::wstring& argument : arguments) {
    if (equalsIgnoringAsciiCase(argument, L"--portable")) portable = true;
    if (equalsIgnoringAsciiCase(argument, L"--installed")) installed = true;
  }
  if (portable) return DataFolderChoice::Portable;
  if (installed) return DataFolderChoice::Installed;
  return DataFolderChoice::Unspecified;
}

}  // namespace Tavrune
