#pragma once
// The five pieces of "config.json" that settings are stored in, held together.
#include <functional>

#include "core/AIConfig.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"

namespace Tavrune::Settings {

struct ConfigRecord {
  AIConfig ai;
  int player2Scheme = 0;
  AccessibilityConfig accessibility;
  SystemConfig system;
  AudioConfig audio;
};

// The file's reader and writer, with the signatures of ConfigManager's loadConfig and
// saveConfig. The reader leaves the pieces as they were when the file cannot be read.
using ConfigLoader =
    std::function<void(AIConfig&, int&, AccessibilityConfig&, SystemConfig*, AudioConfig*)>;
using ConfigSaver = std::function<bool(const AIConfig&, int, const AccessibilityConfig&,
                                       const SystemConfig*, const AudioConfig*)>;

}  // namespace Tavrune::Settings
