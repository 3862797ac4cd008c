#pragma once
// The program's debug log, which lives under the user's local application-data folder
// even in portable mode: tests read what a step wrote from the size it had before.
#include <cstdint>
#include <filesystem>

namespace Tavrune::E2E {

std::filesystem::path debugLogPath();
// 0 when the file does not exist yet.
uintmax_t fileSize(const std::filesystem::path& path);

}  // namespace Tavrune::E2E
