#pragma once
// The file-system path of a wide path text, on Windows (UTF-16) and in the host build
// (UTF-32, whose paths are UTF-8 bytes) alike.
#include <filesystem>
#include <string>

namespace Tavrune {

std::filesystem::path recordFilePath(const std::wstring& path);

}  // namespace Tavrune
