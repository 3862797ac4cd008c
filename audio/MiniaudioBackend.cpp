#include "audio/MiniaudioBackend.h"

#include <cstring>

namespace Tavrune {

MiniaudioBackend::MiniaudioBackend() { std::memset(&engine_, 0, sizeof(engine_)); }

MiniaudioBackend::~MiniaudioBackend() { shutdown(); }

bool MiniaudioBackend::initialize(const AudioBackendConfig& config) {
  if (engineInitialized_) {
    return true;
  }
  ma_engine_config engineConfig = ma_engine_config_init();
  engineConfig.listenerCount = config.listenerCount;
  if (ma_engine_init(&engineConfig, &engine_) != MA_SUCCESS) {
    return false;
  }
  engineInitialized_ = true;
  return true;
}

void MiniaudioBackend::shutdown() {
  if (engineInitialized_) {
    ma_engine_uninit(&engine_);
    engineInitialized_ = false;
  }
}

bool MiniaudioBackend::isInitialized() const { return engineInitialized_; }

const char* MiniaudioBackend::getName() const { return "miniaudio"; }

std::string MiniaudioBackend::getRuntimeStatus() const { return "bridge=miniaudio-native"; }

void MiniaudioBackend::updateListener(const Vec3& position, const Vec3& forward, const Vec3&) {
  if (!engineInitialized_) {
    return;
  }
  ma_engine_listener_set_position(&engine_, 0, position.x, position.y, position.z);
  ma_engine_listener_set_direction(&engine_, 0, forward.x, forward.y, forward.z);
}

bool MiniaudioBackend::playOneShot(const std::string&, const OneShotRequest&) { return false; }

ma_engine* MiniaudioBackend::getEngine() { return engineInitialized_ ? &engine_ : nullptr; }

}  // namespace Tavrune
