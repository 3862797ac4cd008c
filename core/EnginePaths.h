#pragma once
// How engine paths are written into the settings: a build shipped with the program, and
// any path inside the program folder, relative to that folder, so a portable folder
// keeps its engine when it is moved. Relative paths resolve against the program folder.
#include <string>

namespace Tavrune {

// "engines\<file name>": a build from the folder beside the program.
std::string bundledEnginePath(const std::string& fileName);

// The path relative to the program folder when it lies inside it (letter case and the
// kind of separator aside), else unchanged.
std::string storedEnginePath(const std::string& path, const std::string& programFolder);

}  // namespace Tavrune
