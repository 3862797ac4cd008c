#pragma once
// The texts of the engine-build chooser: one list line per build, the refusal of a
// build that cannot run here, and the confirmation that compares the choice with the
// best build for this processor.
#include <string>
#include <vector>

#include "engine/CpuFeatures.h"

namespace Tavrune {

struct EngineChoiceList {
  std::vector<std::wstring> lines;  // one per build, in the order given
  int recommended = -1;             // the first usable build, -1 when none is usable
};

class EngineChoiceTexts {
 public:
  static const wchar_t* const kCaption;
  static const wchar_t* const kExplanation;
  static const wchar_t* const kRefusalCaption;
  static const wchar_t* const kConfirmationCaption;
  static const wchar_t* const kCancelled;

  // Supported by the processor and present in the engines folder.
  static bool isUsable(const EngineVariantInfo& build);
  static EngineChoiceList listLines(const std::vector<EngineVariantInfo>& builds);
  static std::wstring refusal(const EngineVariantInfo& build);
  static std::wstring confirmation(const EngineVariantInfo& chosen, const EngineVariantInfo& best);
};

}  // namespace Tavrune
