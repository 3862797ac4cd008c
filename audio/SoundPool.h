#pragma once
// The manager's own miniaudio sounds: one pooled sound per sound type, loaded on first
// use and reused, and short one-off sounds (the echo of a capture) released when they
// finish. Everything here must be released before its engine is.
#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "audio/SoundType.h"
#include "miniaudio.h"

namespace Tavrune {

class SoundPool {
 public:
  SoundPool() = default;
  ~SoundPool();
  SoundPool(const SoundPool&) = delete;
  SoundPool& operator=(const SoundPool&) = delete;

  // The pooled sound of this type, or null before its first load.
  ma_sound* find(SoundType type);
  // Loads the file as the pooled sound of this type; miniaudio's result code.
  ma_result load(SoundType type, ma_engine* engine, const std::string& path);
  // Starts a flat one-off sound; false when the file does not load.
  bool startOneOff(ma_engine* engine, const std::string& path, float volume);
  // Releases one-off sounds that finished or played longer than the limit; true while
  // some are still playing.
  bool releaseFinishedOneOffs(std::chrono::milliseconds limit);
  // Stops and releases every sound.
  void clear();
  size_t pooledCount() const { return pooled_.size(); }
  size_t oneOffCount() const { return oneOffs_.size(); }

 private:
  struct OneOff {
    std::unique_ptr<ma_sound> sound;
    std::chrono::steady_clock::time_point started;
  };
  static void release(ma_sound* sound);

  std::unordered_map<SoundType, std::unique_ptr<ma_sound>> pooled_;
  std::vector<OneOff> oneOffs_;
};

}  // namespace Tavrune
