#include "audio/AudioBackendType.h"

namespace Tavrune {

AudioBackendType parseBackendType(const std::string& text) {
  std::string value;
  value.reserve(text.size());
  for (char c : text) {
    value.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
  }
  const char* blanks = " \t\r\n";
  const size_t first = value.find_first_not_of(blanks);
  if (first == std::string::npos) {
    return AUDIO_BACKEND_AUTO;
  }
  value = value.substr(first, value.find_last_not_of(blanks) - first + 1);
  if (value == "miniaudio") {
    return AUDIO_BACKEND_MINIAUDIO;
  }
  if (value == "openal" || value == "openal_soft" || value == "openal-soft") {
    return AUDIO_BACKEND_OPENAL_SOFT;
  }
  return AUDIO_BACKEND_AUTO;
}

std::string backendTypeName(AudioBackendType type) {
  switch (type) {
    case AUDIO_BACKEND_MINIAUDIO: return "miniaudio";
    case AUDIO_BACKEND_OPENAL_SOFT: return "openal_soft";
    default: return "auto";
  }
}

}  // namespace Tavrune
