#pragma once
// The plain back end: one miniaudio engine on the default playback device. It plays no
// one-shots itself, so every effect goes through the manager's own sounds.
#include "audio/IAudioBackend.h"
#include "miniaudio.h"

namespace Tavrune {

class MiniaudioBackend : public IAudioBackend {
 public:
  MiniaudioBackend();
  ~MiniaudioBackend() override;
  MiniaudioBackend(const MiniaudioBackend&) = delete;
  MiniaudioBackend& operator=(const MiniaudioBackend&) = delete;

  bool initialize(const AudioBackendConfig& config) override;
  void shutdown() override;
  bool isInitialized() const override;
  const char* getName() const override;
  std::string getRuntimeStatus() const override;
  void updateListener(const Vec3& position, const Vec3& forward, const Vec3& up) override;
  bool playOneShot(const std::string& path, const OneShotRequest& request) override;
  ma_engine* getEngine() override;

 private:
  ma_engine engine_;
  bool engineInitialized_ = false;
};

}  // namespace Tavrune
