#pragma once
// The audio manager's one device-output object. Every back end lends the manager a
// miniaudio engine for its own sounds; a back end may also play game effects itself
// as one-shots, and the manager falls back to its engine when it refuses.
#include <cstdint>
#include <string>

#include "audio/Vec3.h"

typedef struct ma_engine ma_engine;

namespace Tavrune {

struct AudioBackendConfig {
  uint32_t listenerCount = 1;
  bool hrtfEnabled = true;
  std::string hrtfPreferred;  // empty: no preference
  bool forceAccessibilityChannel = false;
};

struct OneShotRequest {
  bool spatial = false;  // false: head-relative, at the listener
  Vec3 position;
  bool moving = false;  // glide from position to endPosition
  Vec3 endPosition;
  int32_t glideMs = 0;
  float volume = 1.0f;
  float minDistance = 1.0f;
  float maxDistance = 10.0f;
  float rolloff = 1.0f;
};

class IAudioBackend {
 public:
  virtual ~IAudioBackend() = default;
  virtual bool initialize(const AudioBackendConfig& config) = 0;
  virtual void shutdown() = 0;
  virtual bool isInitialized() const = 0;
  // "miniaudio" or "openal_soft": also the texts of the back-end preference.
  virtual const char* getName() const = 0;
  // Comma-separated key=value items; "runtimeStatus=" carries the last one-shot's code.
  virtual std::string getRuntimeStatus() const = 0;
  virtual void updateListener(const Vec3& position, const Vec3& forward, const Vec3& up) = 0;
  // True when the back end itself started the sound.
  virtual bool playOneShot(const std::string& path, const OneShotRequest& request) = 0;
  // Null before initialisation.
  virtual ma_engine* getEngine() = 0;
};

}  // namespace Tavrune
