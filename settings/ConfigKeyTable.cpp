#include "settings/ConfigKeyTable.h"

#include <algorithm>
#include <type_traits>

namespace Tavrune::Settings {

namespace {

struct Row {
  const char* key;
  ValueKind kind;
  SettingValue (*read)(const ConfigRecord&);
  void (*write)(ConfigRecord&, const SettingValue&);
};

// Record fields are 32-bit: a wider value keeps its low 32 bits.
int32_t low32(const SettingValue& value) {
  return static_cast<int32_t>(static_cast<uint32_t>(std::get<int64_t>(value)));
}

template <typename T>
constexpr ValueKind kindOf() {
  if constexpr (std::is_same_v<T, bool>) return ValueKind::Bool;
  else if constexpr (std::is_same_v<T, int>) return ValueKind::Integer;
  else return ValueKind::Text;
}

template <auto Piece, auto Field>
SettingValue copyOut(const ConfigRecord& record) {
  const auto& field = (record.*Piece).*Field;
  if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>) {
    return static_cast<int64_t>(field);
  } else {
    return field;
  }
}

template <auto Piece, auto Field>
void copyIn(ConfigRecord& record, const SettingValue& value) {
  auto& field = (record.*Piece).*Field;
  using T = std::decay_t<decltype(field)>;
  if constexpr (std::is_same_v<T, int>) {
    field = low32(value);
  } else {
    field = std::get<T>(value);
  }
}

// A key stored unchanged in one field.
template <auto Piece, auto Field>
Row copied(const char* key) {
  using T = std::decay_t<decltype(ConfigRecord{}.*Piece.*Field)>;
  return Row{key, kindOf<T>(), &copyOut<Piece, Field>, &copyIn<Piece, Field>};
}

bool isTimePreset(int32_t ms) { return ms == 1000 || ms == 3000 || ms == 5000 || ms == 10000; }
bool isDepthPreset(int32_t depth) { return depth == 0 || depth == 8 || depth == 12 || depth == 18; }

template <float AudioConfig::*Volume>
Row volume(const char* key) {
  return Row{key, ValueKind::Integer,
             [](const ConfigRecord& r) -> SettingValue {
               return static_cast<int64_t>(ConfigKeyTable::volumeToPercent(r.audio.*Volume));
             },
             [](ConfigRecord& r, const SettingValue& v) { r.audio.*Volume = ConfigKeyTable::percentToVolume(low32(v)); }};
}

using R = ConfigRecord;
using A = AIConfig;
using X = AccessibilityConfig;
using U = AudioConfig;

// In the order values are written: each custom search limit before its preset, so that
// a preset chosen in the same commit wins and the custom choice (-1) keeps the raw value.
const std::vector<Row>& rows() {
  static const std::vector<Row> table = {
      copied<&R::ai, &A::enginePath>("ai.enginePath"),
      copied<&R::ai, &A::engineVariant>("ai.engineVariant"),
      copied<&R::ai, &A::autoSelectEngine>("ai.autoSelectEngine"),
      copied<&R::ai, &A::difficultyTier>("ai.difficultyTier"),
      copied<&R::ai, &A::customElo>("ai.customElo"),
      copied<&R::ai, &A::customSkill>("ai.customSkill"),
      copied<&R::ai, &A::searchLimitMode>("ai.searchLimitMode"),
      copied<&R::ai, &A::timeLimit>("ai.timeLimit"),
      Row{"ai.timeLimitProfile", ValueKind::Integer,
          [](const R& r) -> SettingValue { return int64_t{isTimePreset(r.ai.timeLimit) ? r.ai.timeLimit : -1}; },
          [](R& r, const SettingValue& v) {
            if (const int32_t ms = low32(v); isTimePreset(ms)) r.ai.timeLimit = ms;
          }},
      copied<&R::ai, &A::depth>("ai.depth"),
      Row{"ai.depthProfile", ValueKind::Integer,
          [](const R& r) -> SettingValue { return int64_t{isDepthPreset(r.ai.depth) ? r.ai.depth : -1}; },
          [](R& r, const SettingValue& v) {
            if (const int32_t depth = low32(v); isDepthPreset(depth)) r.ai.depth = depth;
          }},
      copied<&R::ai, &A::threads>("ai.threads"),
      copied<&R::ai, &A::hashSize>("ai.hashSize"),
      copied<&R::ai, &A::showWDL>("ai.showWDL"),
      copied<&R::ai, &A::ponderEnabled>("ai.ponderEnabled"),
      copied<&R::ai, &A::multiPV>("ai.multiPV"),
      copied<&R::ai, &A::debugLogFile>("ai.debugLogFile"),
      copied<&R::ai, &A::numaPolicy>("ai.numaPolicy"),
      copied<&R::ai, &A::moveOverhead>("ai.moveOverhead"),
      copied<&R::ai, &A::nodesTime>("ai.nodesTime"),
      copied<&R::ai, &A::mateThreatDepth>("ai.mateThreatDepth"),
      copied<&R::ai, &A::repetitionRule>("ai.repetitionRule"),
      copied<&R::ai, &A::drawRule>("ai.drawRule"),
      copied<&R::ai, &A::sixtyMoveRule>("ai.sixtyMoveRule"),
      copied<&R::ai, &A::rule60MaxPly>("ai.rule60MaxPly"),
      copied<&R::ai, &A::scoreType>("ai.scoreType"),
      copied<&R::ai, &A::luOutput>("ai.luOutput"),
      Row{"ai.openingBookMode", ValueKind::Integer, &copyOut<&R::ai, &A::openingBookMode>,
          [](R& r, const SettingValue& v) { r.ai.openingBookMode = std::clamp(low32(v), 0, 2); }},
      copied<&R::accessibility, &X::professionalNotation>("a11y.professionalNotation"),
      copied<&R::accessibility, &X::liftToActivate>("a11y.liftToActivate"),
      copied<&R::accessibility, &X::liftOrSelectReadPieceName>("a11y.liftOrSelectReadPieceName"),
      copied<&R::accessibility, &X::touchGuardGestureMode>("a11y.touchGuardGestureMode"),
      copied<&R::accessibility, &X::accessibilityAudioChannel>("a11y.accessibilityAudioChannel"),
      copied<&R::accessibility, &X::windowsUiaProviderEnabled>("a11y.windowsUiaProviderEnabled"),
      copied<&R::accessibility, &X::windowsReadLineHotkeysEnabled>("a11y.windowsReadLineHotkeysEnabled"),
      copied<&R::accessibility, &X::windowsReadLineAllEmptyShortcutEnabled>(
          "a11y.windowsReadLineAllEmptyShortcutEnabled"),
      copied<&R::accessibility, &X::windowsNumpadNotationInputEnabled>("a11y.windowsNumpadNotationInputEnabled"),
      copied<&R::accessibility, &X::windowsMainKeyboardNotationInputEnabled>(
          "a11y.windowsMainKeyboardNotationInputEnabled"),
      copied<&R::accessibility, &X::windowsNumpadFrontBackAlias82Enabled>(
          "a11y.windowsNumpadFrontBackAlias82Enabled"),
      Row{"a11y.windowsNumpadInputTimeoutMs", ValueKind::Integer,
          &copyOut<&R::accessibility, &X::windowsNumpadInputTimeoutMs>,
          [](R& r, const SettingValue& v) { r.accessibility.windowsNumpadInputTimeoutMs = std::clamp(low32(v), 0, 10000); }},
      copied<&R::system, &SystemConfig::loggerEnabled>("system.loggerEnabled"),
      copied<&R::audio, &U::enabled>("audio.enabled"),
      copied<&R::audio, &U::gameSfxEnabled>("audio.gameSfxEnabled"),
      copied<&R::audio, &U::backgroundMusicEnabled>("audio.backgroundMusicEnabled"),
      volume<&U::masterVolume>("audio.masterVolumePercent"),
      volume<&U::gameSfxVolume>("audio.gameSfxVolumePercent"),
      volume<&U::backgroundVolume>("audio.backgroundVolumePercent"),
      copied<&R::audio, &U::backendType>("audio.backendType"),
      copied<&R::audio, &U::hrtfEnabled>("audio.hrtfEnabled"),
      copied<&R::audio, &U::hrtfPreferred>("audio.hrtfPreferred"),
      copied<&R::audio, &U::forceAccessibilityChannel>("audio.forceAccessibilityChannel"),
      Row{"input.player2Scheme", ValueKind::Integer,
          [](const R& r) -> SettingValue { return static_cast<int64_t>(r.player2Scheme); },
          [](R& r, const SettingValue& v) {
            const int32_t scheme = low32(v);
            r.player2Scheme = scheme == 1 || scheme == 2 ? scheme : 0;
          }},
  };
  return table;
}

const char* kindWord(ValueKind kind) {
  switch (kind) {
    case ValueKind::Bool: return "bool";
    case ValueKind::Integer: return "integer";
    default: return "text";
  }
}

bool writeRow(ConfigRecord& record, const Row& row, const SettingValue& value, std::string* error) {
  if (!valueMatchesKind(value, row.kind)) {
    if (error) *error = std::string(row.key) + " requires " + kindWord(row.kind);
    return false;
  }
  row.write(record, value);
  return true;
}

}  // namespace

ValueMap ConfigKeyTable::readAllValues(const ConfigRecord& record) {
  ValueMap values;
  for (const Row& row : rows()) values[row.key] = row.read(record);
  return values;
}

bool ConfigKeyTable::writeValues(ConfigRecord& record, const ValueMap& values, std::string* error) {
  for (const Row& row : rows()) {
    auto found = values.find(row.key);
    if (found != values.end() && !writeRow(record, row, found->second, error)) return false;
  }
  return true;
}

bool ConfigKeyTable::writeValue(ConfigRecord& record, const std::string& key, const SettingValue& value,
                                std::string* error) {
  for (const Row& row : rows()) {
    if (key == row.key) return writeRow(record, row, value, error);
  }
  return true;
}

float ConfigKeyTable::percentToVolume(int32_t percent) {
  return static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f;
}

int32_t ConfigKeyTable::volumeToPercent(float volume) {
  // A NaN read from a damaged file counts as silence rather than an undefined conversion.
  if (!(volume >= 0.0f)) return 0;
  return static_cast<int32_t>(std::min(volume, 1.0f) * 100.0f + 0.5f);
}

}  // namespace Tavrune::Settings
