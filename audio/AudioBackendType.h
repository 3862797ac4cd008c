#pragma once
// The audio back end a user prefers, as stored in the settings ("auto", "miniaudio",
// "openal_soft"). Auto means OpenAL Soft.
#include <cstdint>
#include <string>

namespace Tavrune {

enum AudioBackendType : int32_t {
  AUDIO_BACKEND_AUTO = 0,
  AUDIO_BACKEND_MINIAUDIO = 1,
  AUDIO_BACKEND_OPENAL_SOFT = 2,
};

// Case-insensitive, blanks around ignored; anything unknown is auto.
AudioBackendType parseBackendType(const std::string& text);
// "miniaudio" for 1, "openal_soft" for 2, "auto" otherwise.
std::string backendTypeName(AudioBackendType type);

}  // namespace Tavrune
