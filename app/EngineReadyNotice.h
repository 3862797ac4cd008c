#pragma once
// The notice spoken when the engine first reports ready in a run: which build runs and
// how it compares with the best build for this processor, with its log line.
#include <functional>
#include <string>

namespace Tavrune {

struct EngineNoticeText {
  std::wstring text;
  std::string logLine;
};

class EngineReadyNotice {
 public:
  // A build's display name (UTF-8) from its file name.
  using Describe = std::function<std::string(const std::string& fileName)>;

  // autoSelect and configuredVariant are the settings as re-read; buildInUse is the file
  // name of the engine that was started, bestBuild the best one for this processor.
  // Where the build was picked automatically (auto-selection on, or the variant "auto")
  // the build in use is named, since "auto" names none.
  static EngineNoticeText compose(bool autoSelect, const std::string& configuredVariant, const std::string& buildInUse,
                                  const std::string& bestBuild, const Describe& describe);
};

}  // namespace Tavrune
