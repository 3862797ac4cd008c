#pragma once
// File helpers for the log tests: UTF-8 paths on both builds and the lines of a log file.
#include <filesystem>
#include <string>
#include <vector>

namespace Tavrune::Test {

std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// A folder that does not exist yet, unique to this process and the given name; gone when
// the process ends.
std::filesystem::path freshTempFolder(const std::string& name);

// The lines of a file without their line ends; on Windows every line must end in CR LF.
std::vector<std::string> readLogLines(const std::filesystem::path& file);

// Whether text has the given shape: '#' stands for one digit, '%' for one or more
// digits, a final '*' for any rest; everything else stands for itself.
bool matchesShape(const std::string& text, const std::string& shape);

// True when the line starts with a time stamp "[hh:mm:ss.mmm] "; the rest goes to message.
bool splitTimeStamp(const std::string& line, std::string& message);

}  // namespace Tavrune::Test
