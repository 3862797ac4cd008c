#include "audio/AudioConfigReader.h"

#include <fstream>

#include "audio/Utf8Path.h"
#include "core/ConfigJson.h"

namespace Tavrune {

namespace {

using nlohmann::json;

// The parsed file, or nothing when it is missing, unreadable or not JSON.
std::optional<json> readConfigDocument(const std::string& configPath) {
  if (configPath.empty() || !isExistingFile(configPath)) {
    return std::nullopt;
  }
  std::ifstream input(pathFromUtf8(configPath), std::ios::binary);
  if (!input) {
    return std::nullopt;
  }
  json document;
  std::string error;
  if (!ConfigJson::parse(input, document, error)) {
    return std::nullopt;
  }
  return document;
}

const json* audioMember(const json& document, const char* key) {
  const json* audio = ConfigJson::member(document, "Audio");
  if (audio == nullptr || !audio->is_object()) {
    return nullptr;
  }
  return ConfigJson::member(*audio, key);
}

}  // namespace

AudioPreferences AudioConfigReader::loadAudioPreferences(const std::string& configPath) {
  AudioPreferences preferences;
  const std::optional<json> document = readConfigDocument(configPath);
  if (!document) {
    return preferences;
  }
  if (const json* type = audioMember(*document, "BackendType"); type && type->is_string()) {
    preferences.backendType = parseBackendType(type->get<std::string>());
  }
  if (const json* hrtf = audioMember(*document, "HrtfEnabled"); hrtf && hrtf->is_boolean()) {
    preferences.hrtfEnabled = hrtf->get<bool>();
  }
  if (const json* name = audioMember(*document, "HrtfPreferred"); name && name->is_string()) {
    preferences.hrtfPreferred = name->get<std::string>();
  }
  if (const json* force = audioMember(*document, "ForceAccessibilityChannel"); force && force->is_boolean()) {
    preferences.forceAccessibilityChannel = force->get<bool>();
  }
  return preferences;
}

std::optional<std::string> AudioConfigReader::readSoundPackPathFromJson(const std::string& configPath) {
  const std::optional<json> document = readConfigDocument(configPath);
  if (!document) {
    return std::nullopt;
  }
  const json* path = audioMember(*document, "SoundPackPath");
  if (path == nullptr || !path->is_string()) {
    return std::nullopt;
  }
  return normalizeSoundPackPath(path->get<std::string>());
}

std::string AudioConfigReader::normalizeSoundPackPath(const std::string& path) {
  if (path.empty()) {
    return DEFAULT_SOUND_PACK;
  }
  std::string normalized = path;
  for (char& c : normalized) {
    if (c == '\\') {
      c = '/';
    }
  }
  return normalized;
}

}  // namespace Tavrune
