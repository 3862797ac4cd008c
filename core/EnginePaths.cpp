#include "core/EnginePaths.h"

#include <algorithm>

#include "core/TextConversion.h"

namespace Tavrune {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

char folded(char c) { return isSeparator(c) ? '\\' : asciiLowerCase(c); }

}  // namespace

std::string bundledEnginePath(const std::string& fileName) { return "engines\\" + fileName; }

std::string storedEnginePath(const std::string& path, const std::string& programFolder) {
  std::string folder = programFolder;
  while (!folder.empty() && isSeparator(folder.back())) folder.pop_back();
  if (folder.empty() || path.size() <= folder.size() + 1 || !isSeparator(path[folder.size()])) return path;
  const bool inside = std::equal(folder.begin(), folder.end(), path.begin(),
                                 [](char a, char b) { return folded(a) == folded(b); });
  return inside ? path.substr(folder.size() + 1) : path;
}

}  // namespace Tavrune
