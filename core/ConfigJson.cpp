#include "core/ConfigJson.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/Log.h"

namespace Tavrune {

namespace {

using nlohmann::json;

const json* sectionKey(const json& document, const std::string& section, const std::string& key) {
  const json* object = ConfigJson::member(document, section);
  return object != nullptr ? ConfigJson::member(*object, key) : nullptr;
}

// A JSON integer that fits in 32 bits. A number outside that range is as wrong as a
// text: wrapping it would invent a value the user never wrote.
std::optional<int> int32Value(const json* value) {
  if (value == nullptr) {
    return std::nullopt;
  }
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number <= static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      return static_cast<int>(number);
    }
  } else if (value->is_number_integer()) {
    const auto number = value->get<std::int64_t>();
    if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()) {
      return static_cast<int>(number);
    }
  }
  return std::nullopt;
}

// Texts that end up in engine commands lose control characters, so a line break in the
// file can never start a second command.
std::string withoutControlCharacters(std::string text) {
  std::erase_if(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
  return text;
}

int tierFromLegacySkillLevel(int skillLevel) {
  if (skillLevel <= 2) return 0;
  if (skillLevel <= 4) return 1;
  if (skillLevel <= 6) return 2;
  if (skillLevel <= 8) return 3;
  return 2;
}

int skillLevelForTier(int tier, int customSkill) {
  if (tier == 6) {
    return std::clamp(customSkill, 1, 21);
  }
  static constexpr int skillByTier[] = {2, 4, 6, 8, 10};
  return skillByTier[std::clamp(tier, 0, 4)];
}

// Values above the limit become the limit; values below 1 become the floor.
int limitAbove(int value, int limit, int floor) {
  if (value > limit) return limit;
  if (value < 1) return floor;
  return value;
}

void readAI(const json& doc, AIConfig& ai) {
  const std::string s = "AI";
  ai.enginePath = ConfigJson::readString(doc, s, "EnginePath", ai.enginePath);
  ai.engineVariant = ConfigJson::readString(doc, s, "EngineVariant", "auto");
  ai.autoSelectEngine = ConfigJson::readBool(doc, s, "AutoSelectEngine", true);

  if (const std::optional<int> tier = int32Value(sectionKey(doc, s, "DifficultyTier"))) {
    ai.difficultyTier = (*tier >= 0 && *tier <= 6) ? *tier : 2;
  } else {
    ai.difficultyTier = tierFromLegacySkillLevel(ConfigJson::readInt(doc, s, "SkillLevel", 6));
  }

  ai.timeLimit = ConfigJson::readInt(doc, s, "TimeLimit", ai.timeLimit);
  ai.depth = ConfigJson::readInt(doc, s, "Depth", ai.depth);
  const int mode = ConfigJson::readInt(doc, s, "SearchLimitMode", -1);
  ai.searchLimitMode = (mode == 0 || mode == 1) ? mode : (ai.depth > 0 ? 1 : 0);

  const int color = ConfigJson::readInt(doc, s, "PlayerColor", ai.playerColor);
  if (color < 0 || color > 2) {
    logWarning("ConfigManager: Invalid PlayerColor value: " + std::to_string(color) + ", resetting to RED");
    ai.playerColor = 1;
  } else {
    ai.playerColor = color;
  }

  ai.threads = ConfigJson::readInt(doc, s, "Threads", ai.threads);
  ai.hashSize = ConfigJson::readInt(doc, s, "HashSize", ai.hashSize);
  ai.showWDL = ConfigJson::readBool(doc, s, "ShowWDL", ai.showWDL);
  ai.ponderEnabled = ConfigJson::readBool(doc, s, "PonderEnabled", ai.ponderEnabled);
  ai.multiPV = ConfigJson::readInt(doc, s, "MultiPV", ai.multiPV);
  ai.debugLogFile = withoutControlCharacters(ConfigJson::readString(doc, s, "DebugLogFile", ai.debugLogFile));
  ai.numaPolicy = withoutControlCharacters(ConfigJson::readString(doc, s, "NumaPolicy", ai.numaPolicy));
  ai.moveOverhead = ConfigJson::readInt(doc, s, "MoveOverhead", ai.moveOverhead);
  ai.nodesTime = ConfigJson::readInt(doc, s, "NodesTime", ai.nodesTime);
  ai.mateThreatDepth = ConfigJson::readInt(doc, s, "MateThreatDepth", ai.mateThreatDepth);
  ai.repetitionRule =
      withoutControlCharacters(ConfigJson::readString(doc, s, "RepetitionRule", ai.repetitionRule));
  ai.drawRule = withoutControlCharacters(ConfigJson::readString(doc, s, "DrawRule", ai.drawRule));
  ai.sixtyMoveRule = ConfigJson::readBool(doc, s, "SixtyMoveRule", ai.sixtyMoveRule);
  ai.rule60MaxPly = ConfigJson::readInt(doc, s, "Rule60MaxPly", ai.rule60MaxPly);
  ai.scoreType = withoutControlCharacters(ConfigJson::readString(doc, s, "ScoreType", ai.scoreType));
  ai.luOutput = ConfigJson::readBool(doc, s, "LU_Output", ai.luOutput);
  ai.customElo = ConfigJson::readInt(doc, s, "CustomElo", ai.customElo);
  ai.customSkill = ConfigJson::readInt(doc, s, "CustomSkill", ai.customSkill);

  ai.customElo = ai.customElo <= 0 ? 0 : std::clamp(ai.customElo, 1280, 3133);
  ai.customSkill = std::clamp(ai.customSkill, 1, 21);

  const int bookMode = ConfigJson::readInt(doc, s, "OpeningBookMode", ai.openingBookMode);
  ai.openingBookMode = (bookMode >= 0 && bookMode <= 2) ? bookMode : 0;

  ai.moveOverhead = limitAbove(ai.moveOverhead, 5000, 0);
  ai.nodesTime = limitAbove(ai.nodesTime, 10000, 0);
  ai.mateThreatDepth = limitAbove(ai.mateThreatDepth, 10, 0);
  ai.rule60MaxPly = limitAbove(ai.rule60MaxPly, 150, 1);
}

void readAccessibility(const json& doc, AccessibilityConfig& a) {
  const std::string s = "Accessibility";
  a.professionalNotation = ConfigJson::readBool(doc, s, "ProfessionalNotation", false);
  a.liftToActivate = ConfigJson::readBool(doc, s, "LiftToActivate", false);
  a.liftOrSelectReadPieceName = ConfigJson::readBool(doc, s, "LiftOrSelectReadPieceName", true);
  a.touchGuardGestureMode = ConfigJson::readBool(doc, s, "TouchGuardGestureMode", false);
  a.accessibilityAudioChannel = ConfigJson::readBool(doc, s, "AccessibilityAudioChannel", false);
  a.windowsUiaProviderEnabled = ConfigJson::readBool(doc, s, "WindowsUiaProviderEnabled", false);
  a.windowsReadLineHotkeysEnabled = ConfigJson::readBool(doc, s, "WindowsReadLineHotkeysEnabled", true);
  a.windowsReadLineAllEmptyShortcutEnabled =
      ConfigJson::readBool(doc, s, "WindowsReadLineAllEmptyShortcutEnabled", true);
  a.windowsNumpadNotationInputEnabled = ConfigJson::readBool(doc, s, "WindowsNumpadNotationInputEnabled", true);
  a.windowsMainKeyboardNotationInputEnabled =
      ConfigJson::readBool(doc, s, "WindowsMainKeyboardNotationInputEnabled", false);
  a.windowsNumpadFrontBackAlias82Enabled =
      ConfigJson::readBool(doc, s, "WindowsNumpadFrontBackAlias82Enabled", true);
  a.windowsNumpadInputTimeoutMs =
      limitAbove(ConfigJson::readInt(doc, s, "WindowsNumpadInputTimeoutMs", 0), 10000, 0);
}

void readAudio(const json& doc, AudioConfig& a) {
  const std::string s = "Audio";
  a.enabled = ConfigJson::readBool(doc, s, "Enabled", a.enabled);
  a.masterVolume = ConfigJson::readFloat(doc, s, "MasterVolume", a.masterVolume);
  a.enable3D = ConfigJson::readBool(doc, s, "Enable3D", a.enable3D);
  a.boardScaleX = ConfigJson::readFloat(doc, s, "BoardScaleX", a.boardScaleX);
  a.boardScaleY = ConfigJson::readFloat(doc, s, "BoardScaleY", a.boardScaleY);
  a.listenerHeight = ConfigJson::readFloat(doc, s, "ListenerHeight", a.listenerHeight);
  a.soundPackPath = ConfigJson::readString(doc, s, "SoundPackPath", a.soundPackPath);
  a.moveVolume = ConfigJson::readFloat(doc, s, "MoveVolume", a.moveVolume);
  a.captureVolume = ConfigJson::readFloat(doc, s, "CaptureVolume", a.captureVolume);
  a.checkVolume = ConfigJson::readFloat(doc, s, "CheckVolume", a.checkVolume);
  a.uiVolume = ConfigJson::readFloat(doc, s, "UIVolume", a.uiVolume);
  a.gameSfxVolume = ConfigJson::readFloat(doc, s, "GameSfxVolume", a.gameSfxVolume);
  a.backgroundVolume = ConfigJson::readFloat(doc, s, "BackgroundVolume", a.backgroundVolume);
  a.gameSfxEnabled = ConfigJson::readBool(doc, s, "GameSfxEnabled", a.gameSfxEnabled);
  a.backgroundMusicEnabled = ConfigJson::readBool(doc, s, "BackgroundMusicEnabled", a.backgroundMusicEnabled);
  a.backendType = ConfigJson::readString(doc, s, "BackendType", a.backendType);
  a.hrtfEnabled = ConfigJson::readBool(doc, s, "HrtfEnabled", a.hrtfEnabled);
  a.hrtfPreferred = ConfigJson::readString(doc, s, "HrtfPreferred", a.hrtfPreferred);
  a.forceAccessibilityChannel =
      ConfigJson::readBool(doc, s, "ForceAccessibilityChannel", a.forceAccessibilityChannel);
}

}  // namespace

const json* ConfigJson::member(const json& node, const std::string& key) {
  if (!node.is_object()) {
    return nullptr;
  }
  const auto found = node.find(key);
  return found != node.end() ? &*found : nullptr;
}

int ConfigJson::readInt(const json& document, const std::string& section, const std::string& key, int fallback) {
  return int32Value(sectionKey(document, section, key)).value_or(fallback);
}

bool ConfigJson::readBool(const json& document, const std::string& section, const std::string& key,
                          bool fallback) {
  const json* value = sectionKey(document, section, key);
  return value != nullptr && value->is_boolean() ? value->get<bool>() : fallback;
}

std::string ConfigJson::readString(const json& document, const std::string& section, const std::string& key,
                                   const std::string& fallback) {
  const json* value = sectionKey(document, section, key);
  return value != nullptr && value->is_string() ? value->get<std::string>() : fallback;
}

float ConfigJson::readFloat(const json& document, const std::string& section, const std::string& key,
                            float fallback) {
  const json* value = sectionKey(document, section, key);
  if (value == nullptr) {
    return fallback;
  }
  if (value->is_number_unsigned()) {
    return static_cast<float>(value->get<std::uint64_t>());
  }
  if (value->is_number_integer()) {
    return static_cast<float>(value->get<std::int64_t>());
  }
  if (value->is_number_float()) {
    // Narrowing a double beyond the float range is undefined, and the result could not be
    // written back as a JSON number anyway.
    const double number = value->get<double>();
    return std::isfinite(number) && std::fabs(number) <= FLT_MAX ? static_cast<float>(number) : fallback;
  }
  return fallback;
}

bool ConfigJson::parse(std::istream& input, json& document, std::string& error) {
  try {
    json parsed;
    input >> parsed;
    document = std::move(parsed);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown error";
  }
  return false;
}

void ConfigJson::applyDocument(const json& document, AIConfig& ai, int& player2Scheme,
                               AccessibilityConfig& accessibility, SystemConfig* system, AudioConfig* audio) {
  readAI(document, ai);

  const int scheme = readInt(document, "Input", "Player2Scheme", 0);
  player2Scheme = (scheme == 1 || scheme == 2) ? scheme : 0;

  readAccessibility(document, accessibility);

  if (system != nullptr) {
    system->loggerEnabled = readBool(document, "System", "LoggerEnabled", false);
    system->volumeIntroShown = readBool(document, "System", "VolumeIntroShown", false);
  }
  if (audio != nullptr) {
    readAudio(document, *audio);
  }
}

json ConfigJson::buildDocument(const AIConfig& ai, int player2Scheme, const AccessibilityConfig& accessibility,
                               const SystemConfig& system, const AudioConfig& audio) {
  json document = json::object();

  json& a = document["AI"];
  a["EnginePath"] = ai.enginePath;
  a["EngineVariant"] = ai.engineVariant;
  a["AutoSelectEngine"] = ai.autoSelectEngine;
  a["DifficultyTier"] = ai.difficultyTier;
  a["SkillLevel"] = skillLevelForTier(ai.difficultyTier, ai.customSkill);
  a["SearchLimitMode"] = ai.searchLimitMode;
  a["TimeLimit"] = ai.timeLimit;
  a["Depth"] = ai.depth;
  a["PlayerColor"] = ai.playerColor;
  a["Threads"] = ai.threads;
  a["HashSize"] = ai.hashSize;
  a["ShowWDL"] = ai.showWDL;
  a["PonderEnabled"] = ai.ponderEnabled;
  a["MultiPV"] = ai.multiPV;
  a["DebugLogFile"] = ai.debugLogFile;
  a["NumaPolicy"] = ai.numaPolicy;
  a["MoveOverhead"] = ai.moveOverhead;
  a["NodesTime"] = ai.nodesTime;
  a["MateThreatDepth"] = ai.mateThreatDepth;
  a["RepetitionRule"] = ai.repetitionRule;
  a["DrawRule"] = ai.drawRule;
  a["SixtyMoveRule"] = ai.sixtyMoveRule;
  a["Rule60MaxPly"] = ai.rule60MaxPly;
  a["ScoreType"] = ai.scoreType;
  a["LU_Output"] = ai.luOutput;
  a["CustomElo"] = ai.customElo;
  a["CustomSkill"] = ai.customSkill;
  a["OpeningBookMode"] = ai.openingBookMode;

  if (player2Scheme == 1 || player2Scheme == 2) {
    document["Input"]["Player2Scheme"] = player2Scheme;
  }

  json& x = document["Accessibility"];
  x["ProfessionalNotation"] = accessibility.professionalNotation;
  x["LiftToActivate"] = accessibility.liftToActivate;
  x["LiftOrSelectReadPieceName"] = accessibility.liftOrSelectReadPieceName;
  x["TouchGuardGestureMode"] = accessibility.touchGuardGestureMode;
  x["AccessibilityAudioChannel"] = accessibility.accessibilityAudioChannel;
  x["WindowsUiaProviderEnabled"] = accessibility.windowsUiaProviderEnabled;
  x["WindowsReadLineHotkeysEnabled"] = accessibility.windowsReadLineHotkeysEnabled;
  x["WindowsReadLineAllEmptyShortcutEnabled"] = accessibility.windowsReadLineAllEmptyShortcutEnabled;
  x["WindowsNumpadNotationInputEnabled"] = accessibility.windowsNumpadNotationInputEnabled;
  x["WindowsMainKeyboardNotationInputEnabled"] = accessibility.windowsMainKeyboardNotationInputEnabled;
  x["WindowsNumpadFrontBackAlias82Enabled"] = accessibility.windowsNumpadFrontBackAlias82Enabled;
  x["WindowsNumpadInputTimeoutMs"] = accessibility.windowsNumpadInputTimeoutMs;

  json& sys = document["System"];
  sys["LoggerEnabled"] = system.loggerEnabled;
  sys["VolumeIntroShown"] = system.volumeIntroShown;

  // Floats are widened to double, so 0.15f is written as 0.15000000596046448 and reads
  // back as the same float.
  json& au = document["Audio"];
  au["Enabled"] = audio.enabled;
  au["MasterVolume"] = static_cast<double>(audio.masterVolume);
  au["Enable3D"] = audio.enable3D;
  au["BoardScaleX"] = static_cast<double>(audio.boardScaleX);
  au["BoardScaleY"] = static_cast<double>(audio.boardScaleY);
  au["ListenerHeight"] = static_cast<double>(audio.listenerHeight);
  au["SoundPackPath"] = audio.soundPackPath;
  au["MoveVolume"] = static_cast<double>(audio.moveVolume);
  au["CaptureVolume"] = static_cast<double>(audio.captureVolume);
  au["CheckVolume"] = static_cast<double>(audio.checkVolume);
  au["UIVolume"] = static_cast<double>(audio.uiVolume);
  au["GameSfxVolume"] = static_cast<double>(audio.gameSfxVolume);
  au["BackgroundVolume"] = static_cast<double>(audio.backgroundVolume);
  au["GameSfxEnabled"] = audio.gameSfxEnabled;
  au["BackgroundMusicEnabled"] = audio.backgroundMusicEnabled;
  au["BackendType"] = audio.backendType;
  au["HrtfEnabled"] = audio.hrtfEnabled;
  au["HrtfPreferred"] = audio.hrtfPreferred;
  au["ForceAccessibilityChannel"] = audio.forceAccessibilityChannel;

  return document;
}

std::string ConfigJson::toFileText(const json& document) {
  const std::string text = document.dump(2, ' ', false, json::error_handler_t::replace);
  // JSON strings escape their line breaks, so every '\n' here is a line end.
  std::string result;
  result.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      result += '\r';
    }
    result += c;
  }
  return result;
}

}  // namespace Tavrune
