#include "engine/BestBundledEngine.h"

#include <utility>

#include "core/EnginePaths.h"

namespace Tavrune {

BundledEngineChoice bestBundledEngine() {
  CpuFeatures::detect();
  EngineVariantInfo best = CpuFeatures::selectBestEngine();
  std::string path = bundledEnginePath(best.fileName);
  return {std::move(best), std::move(path)};
}

}  // namespace Tavrune
