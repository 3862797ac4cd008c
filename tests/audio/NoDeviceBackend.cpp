#include "NoDeviceBackend.h"

#include <algorithm>
#include <cmath>

namespace Tavrune::Test {

NoDeviceBackend::NoDeviceBackend(std::shared_ptr<BackendProbe> probe, const char* name)
    : probe_(std::move(probe)), name_(name) {
  std::lock_guard<std::mutex> guard(probe_->lock);
  ++probe_->created;
}

NoDeviceBackend::~NoDeviceBackend() { shutdown(); }

bool NoDeviceBackend::initialize(const AudioBackendConfig& config) {
  {
    std::lock_guard<std::mutex> guard(probe_->lock);
    ++probe_->initializations;
    if (probe_->failInitialize) return false;
  }
  if (initialized_) return true;
  ma_engine_config engineConfig = ma_engine_config_init();
  engineConfig.noDevice = MA_TRUE;
  engineConfig.channels = 2;
  engineConfig.sampleRate = SAMPLE_RATE;
  engineConfig.listenerCount = config.listenerCount;
  if (ma_engine_init(&engineConfig, &engine_) != MA_SUCCESS) return false;
  initialized_ = true;
  return true;
}

void NoDeviceBackend::shutdown() {
  if (initialized_) {
    ma_engine_uninit(&engine_);
    initialized_ = false;
  }
}

std::string NoDeviceBackend::getRuntimeStatus() const {
  std::lock_guard<std::mutex> guard(probe_->lock);
  return status_.empty() ? "bridge=test-no-device" : status_;
}

void NoDeviceBackend::updateListener(const Vec3&, const Vec3& forward, const Vec3&) {
  std::lock_guard<std::mutex> guard(probe_->lock);
  probe_->lastForward = forward;
}

bool NoDeviceBackend::playOneShot(const std::string& path, const OneShotRequest& request) {
  std::lock_guard<std::mutex> guard(probe_->lock);
  probe_->calls.push_back({path, request, std::chrono::steady_clock::now(), initialized_});
  if (!initialized_) ++probe_->playsWhileStopped;
  status_ = probe_->refusalStatus;
  if (probe_->failOnce) {
    probe_->refusalStatus = "bridge=test-no-device";
    probe_->failOnce = false;
  }
  return false;
}

std::vector<float> NoDeviceBackend::render(ma_engine* engine, size_t frames) {
  std::vector<float> mix(frames * 2, 0.0f);
  if (engine == nullptr) return {};
  ma_uint64 read = 0;
  ma_engine_read_pcm_frames(engine, mix.data(), frames, &read);
  mix.resize(static_cast<size_t>(read) * 2);
  return mix;
}

ChannelLevels measureLevels(const std::vector<float>& stereo) {
  ChannelLevels levels;
  double left = 0.0;
  double right = 0.0;
  const size_t frames = stereo.size() / 2;
  for (size_t i = 0; i < frames; ++i) {
    left += stereo[2 * i] * stereo[2 * i];
    right += stereo[2 * i + 1] * stereo[2 * i + 1];
    levels.peak = std::max({levels.peak, std::fabs(static_cast<double>(stereo[2 * i])),
                            std::fabs(static_cast<double>(stereo[2 * i + 1]))});
  }
  if (frames > 0) {
    levels.left = std::sqrt(left / static_cast<double>(frames));
    levels.right = std::sqrt(right / static_cast<double>(frames));
  }
  return levels;
}

}  // namespace Tavrune::Test
