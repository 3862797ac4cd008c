#pragma once
// Which setting key is stored in which field of the configuration record, and how its
// value is converted each way.
#include <string>

#include "settings/ConfigRecord.h"
#include "settings/SettingValue.h"

namespace Tavrune::Settings {

class ConfigKeyTable {
 public:
  // One entry per stored key.
  static ValueMap readAllValues(const ConfigRecord& record);
  // Writes every stored key the map holds, each custom search limit before its preset,
  // so a newly chosen preset is what the file keeps. Keys it does not store are ignored.
  // A value of the wrong kind stops at "<key> requires bool|integer|text"; fields
  // written before it keep their new values, so callers write into a copy.
  static bool writeValues(ConfigRecord& record, const ValueMap& values, std::string* error);
  static bool writeValue(ConfigRecord& record, const std::string& key, const SettingValue& value,
                         std::string* error);

  // Percent 0..100 (clamped) to a volume 0..1, and back, rounded to the nearest percent.
  static float percentToVolume(int32_t percent);
  static int32_t volumeToPercent(float volume);
};

}  // namespace Tavrune::Settings
