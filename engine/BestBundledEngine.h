#pragma once
// The build the automatic choice runs: the best usable one shipped beside the program,
// with the path the settings store for it.
#include <string>

#include "engine/CpuFeatures.h"

namespace Tavrune {

struct BundledEngineChoice {
  EngineVariantInfo variant;
  std::string path;  // relative to the program folder
};

// Detects the processor's features first when that has not been done.
BundledEngineChoice bestBundledEngine();

}  // namespace Tavrune
