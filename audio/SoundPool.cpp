#include "audio/SoundPool.h"

#include "audio/SoundFileLoader.h"

namespace Tavrune {

SoundPool::~SoundPool() { clear(); }

ma_sound* SoundPool::find(SoundType type) {
  const auto found = pooled_.find(type);
  return found == pooled_.end() ? nullptr : found->second.get();
}

ma_result SoundPool::load(SoundType type, ma_engine* engine, const std::string& path) {
  auto sound = std::make_unique<ma_sound>();
  const ma_result result = loadSoundFile(engine, path, sound.get());
  if (result == MA_SUCCESS) {
    if (ma_sound* old = find(type)) {
      release(old);
    }
    pooled_[type] = std::move(sound);
  }
  return result;
}

bool SoundPool::startOneOff(ma_engine* engine, const std::string& path, float volume) {
  auto sound = std::make_unique<ma_sound>();
  if (loadSoundFile(engine, path, sound.get()) != MA_SUCCESS) {
    return false;
  }
  ma_sound_set_spatialization_enabled(sound.get(), MA_FALSE);
  ma_sound_set_volume(sound.get(), volume);
  ma_sound_start(sound.get());
  oneOffs_.push_back({std::move(sound), std::chrono::steady_clock::now()});
  return true;
}

bool SoundPool::releaseFinishedOneOffs(std::chrono::milliseconds limit) {
  const auto now = std::chrono::steady_clock::now();
  std::erase_if(oneOffs_, [&](OneOff& oneOff) {
    if (ma_sound_is_playing(oneOff.sound.get()) && now - oneOff.started < limit) {
      return false;
    }
    release(oneOff.sound.get());
    return true;
  });
  return !oneOffs_.empty();
}

void SoundPool::clear() {
  for (auto& entry : pooled_) {
    release(entry.second.get());
  }
  pooled_.clear();
  for (OneOff& oneOff : oneOffs_) {
    release(oneOff.sound.get());
  }
  oneOffs_.clear();
}

void SoundPool::release(ma_sound* sound) {
  ma_sound_stop(sound);
  ma_sound_uninit(sound);
}

}  // namespace Tavrune
