#pragma once
// Loads a sound file (UTF-8 path) into a miniaudio sound on an engine.
#include <string>

#include "miniaudio.h"

namespace Tavrune {

// miniaudio's result code; an empty or unconvertible path fails to open.
ma_result loadSoundFile(ma_engine* engine, const std::string& path, ma_sound* sound);

}  // namespace Tavrune
