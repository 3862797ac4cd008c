// The audio manager's volumes, switches and settings.
#include <cmath>

#include "audio/AudioLogText.h"
#include "audio/AudioManager.h"
#include "core/Log.h"

namespace Tavrune {

using AudioLogText::bit;
using AudioLogText::formatFloat;

namespace {

// Geometry from the settings: a value that is not a finite number keeps the old one,
// so a broken file cannot put sounds at impossible places.
float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

void AudioManager::setMasterVolume(float volume) {
  Lock guard(lock_);
  masterVolume_ = SoundPlacement::clampUnitVolume(volume);
  if (ma_engine* engine = backend_ ? backend_->getEngine() : nullptr) {
    ma_engine_set_volume(engine, 2.0f * masterVolume_);
  }
  if (music_.isPlaying() && music_.hasTrack()) {
    music_.setTrackVolume(musicVolume());
  }
}

void AudioManager::setGameSfxVolume(float volume) {
  Lock guard(lock_);
  gameSfxVolume_ = SoundPlacement::clampUnitVolume(volume);
}

void AudioManager::setGameSfxEnabled(bool enabled) {
  Lock guard(lock_);
  gameSfxEnabled_ = enabled;
  logInfo(std::string("Game SFX enabled: ") + bit(enabled));
}

void AudioManager::applySettings(float masterVolume, float boardScaleX, float boardScaleY, float listenerHeight,
                                 float gameSfxVolume, float backgroundVolume, bool gameSfxEnabled,
                                 bool backgroundMusicEnabled, bool enable3D, const std::string& backendType,
                                 bool hrtfEnabled, const std::string& hrtfPreferred, bool forceAccessibilityChannel) {
  Lock guard(lock_);
  AudioPreferences wanted;
  wanted.backendType = parseBackendType(backendType);
  wanted.hrtfEnabled = hrtfEnabled;
  wanted.hrtfPreferred = hrtfPreferred;
  wanted.forceAccessibilityChannel = forceAccessibilityChannel;
  const bool preferencesChanged = !(wanted == preferences_);
  preferences_ = wanted;
  if (preferencesChanged && initialized_) {
    recoverBackend("backend preferences changed");
  }

  masterVolume_ = SoundPlacement::clampUnitVolume(masterVolume);
  if (ma_engine* engine = backend_ ? backend_->getEngine() : nullptr) {
    ma_engine_set_volume(engine, 2.0f * masterVolume_);
  }
  if (music_.hasTrack()) {
    music_.setTrackVolume(musicVolume());
  }
  // Clamped like every other volume: a hand-edited file must never make effects louder.
  gameSfxVolume_ = SoundPlacement::clampUnitVolume(gameSfxVolume);
  setBackgroundVolume(backgroundVolume);

  gameSfxEnabled_ = gameSfxEnabled;
  backgroundMusicEnabled_ = backgroundMusicEnabled;
  if (backgroundMusicEnabled_ && !music_.hasTrack() && initialized_) {
    playWantedMusic();
  } else if (!backgroundMusicEnabled_ && music_.hasTrack()) {
    music_.stop();
  }

  enable3D_ = enable3D;
  geometry_.scaleX = finiteOr(boardScaleX, geometry_.scaleX);
  geometry_.scaleZ = finiteOr(boardScaleY, geometry_.scaleZ);
  geometry_.listenerHeight = finiteOr(listenerHeight, geometry_.listenerHeight);
  for (auto& [type, entry] : soundConfigs_) {
    if (entry.use3D) {
      const DistanceRange range = SoundPlacement::distanceRange(type, geometry_.scaleX, geometry_.scaleZ);
      entry.minDistance = range.minDistance;
      entry.maxDistance = range.maxDistance;
    }
  }

  logInfo("Audio settings applied: masterVolume=" + formatFloat(masterVolume) + ", enable3D=" + bit(enable3D) +
          ", boardScale=(" + formatFloat(boardScaleX) + ", " + formatFloat(boardScaleY) + ")" +
          ", listenerHeight=" + formatFloat(listenerHeight) + ", gameSfxVolume=" + formatFloat(gameSfxVolume) +
          ", backgroundVolume=" + formatFloat(backgroundVolume));
}

}  // namespace Tavrune
