#pragma once
// The preferred back end: game effects as OpenAL Soft one-shot sources (placed in 3D,
// optionally with HRTF, optionally gliding), plus a miniaudio "bridge" engine lent to
// the manager for everything else. OpenAL Soft is loaded at run time, so a machine
// without "OpenAL32.dll" simply fails here and the manager falls back to miniaudio.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/IAudioBackend.h"
#include "miniaudio.h"

namespace Tavrune {

class OpenALBackend : public IAudioBackend {
 public:
  OpenALBackend();
  ~OpenALBackend() override;
  OpenALBackend(const OpenALBackend&) = delete;
  OpenALBackend& operator=(const OpenALBackend&) = delete;

  bool initialize(const AudioBackendConfig& config) override;
  void shutdown() override;
  bool isInitialized() const override;
  const char* getName() const override;
  std::string getRuntimeStatus() const override;
  void updateListener(const Vec3& position, const Vec3& forward, const Vec3& up) override;
  bool playOneShot(const std::string& path, const OneShotRequest& request) override;
  ma_engine* getEngine() override;

  // Interleaved signed 16-bit samples of a whole sound file.
  struct DecodedSound {
    std::vector<int16_t> samples;
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
  };
  static bool decodeFile(const std::string& path, DecodedSound& sound);
  // Averages each left/right pair; fails for fewer than two or an odd number of samples.
  static bool downmixToMono(std::vector<int16_t>& samples);
  static std::string hrtfStatusName(int status);
  static std::string trimName(const std::string& name);

 private:
  struct OpenALApi;

  bool initializeLocked(const AudioBackendConfig& config);
  // Stores the code of this one-shot and returns false, for the refusal paths.
  bool refuse(const std::string& code);
  bool makeContextCurrent();
  void updateMovingSources();
  void reapFinishedSources();
  void cleanupLoop();

  ma_engine bridge_;
  std::unique_ptr<OpenALApi> api_;
  mutable std::mutex mutex_;
  std::thread cleanupThread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> initialized_{false};
  std::string summary_;
  std::string lastStatus_;
};

}  // namespace Tavrune
