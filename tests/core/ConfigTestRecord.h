#pragma once
// The five pieces of the configuration record together, compared field by field.
#include "core/AIConfig.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"

namespace Tavrune::Test {

struct ConfigTestRecord {
  AIConfig ai;
  int scheme = 0;
  AccessibilityConfig accessibility;
  SystemConfig system;
  AudioConfig audio;

  bool operator==(const ConfigTestRecord&) const = default;
};

}  // namespace Tavrune::Test
