#pragma once
// The program's command-line switches: "--portable" and "--installed" choose where the
// user's data lives; everything else on the command line is ignored.
#include <string>
#include <vector>

namespace Tavrune {

enum class DataFolderChoice {
  Unspecified,  // neither switch: "portable.flag" and the configuration decide
  Portable,
  Installed,
};

class CommandLineOptions {
 public:
  // `arguments` are the words after the program name. Switches are compared without
  // regard to ASCII case; "--portable" wins when both are given.
  static DataFolderChoice dataFolderChoice(const std::vector<std::wstring>& arguments);
};

}  // namespace Tavrune
