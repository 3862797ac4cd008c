#pragma once
// Program-wide switches: the "System" section of "config.json".

namespace Tavrune {

struct SystemConfig {
  bool loggerEnabled = false;
  bool volumeIntroShown = false;

  bool operator==(const SystemConfig&) const = default;
};

}  // namespace Tavrune
