#pragma once
// A test back end: a miniaudio engine with no device, whose mix the test reads as PCM
// frames, plus a probe recording what the manager asked of it. Its one-shots are
// refused (as miniaudio's are) unless a status code is set to simulate other failures.
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/IAudioBackend.h"
#include "miniaudio.h"

namespace Tavrune::Test {

struct OneShotCall {
  std::string path;
  OneShotRequest request;
  std::chrono::steady_clock::time_point at;
  bool backendRunning = false;
};

// Shared by the test and every back end it lets the manager create.
struct BackendProbe {
  std::mutex lock;
  std::vector<OneShotCall> calls;
  int created = 0;
  int initializations = 0;
  bool failInitialize = false;
  // Status items reported after a refused one-shot, for example "runtimeStatus=gen-source-failed";
  // cleared after the first refusal when failOnce is set.
  std::string refusalStatus = "bridge=test-no-device";
  bool failOnce = false;
  Vec3 lastForward;
  int playsWhileStopped = 0;

  std::vector<OneShotCall> callsSnapshot() {
    std::lock_guard<std::mutex> guard(lock);
    return calls;
  }
};

class NoDeviceBackend : public IAudioBackend {
 public:
  static constexpr uint32_t SAMPLE_RATE = 48000;

  NoDeviceBackend(std::shared_ptr<BackendProbe> probe, const char* name);
  ~NoDeviceBackend() override;

  bool initialize(const AudioBackendConfig& config) override;
  void shutdown() override;
  bool isInitialized() const override { return initialized_; }
  const char* getName() const override { return name_; }
  std::string getRuntimeStatus() const override;
  void updateListener(const Vec3& position, const Vec3& forward, const Vec3& up) override;
  bool playOneShot(const std::string& path, const OneShotRequest& request) override;
  ma_engine* getEngine() override { return initialized_ ? &engine_ : nullptr; }

  // Reads the engine's stereo mix; empty when not running.
  static std::vector<float> render(ma_engine* engine, size_t frames);

 private:
  std::shared_ptr<BackendProbe> probe_;
  const char* name_;
  ma_engine engine_{};
  bool initialized_ = false;
  std::string status_;
};

// Per-channel loudness of an interleaved stereo mix.
struct ChannelLevels {
  double left = 0.0;
  double right = 0.0;
  double peak = 0.0;
};
ChannelLevels measureLevels(const std::vector<float>& stereo);

}  // namespace Tavrune::Test
