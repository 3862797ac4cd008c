#include "audio/BackgroundMusic.h"

#include "audio/SoundFileLoader.h"
#include "core/Log.h"

namespace Tavrune {

BackgroundMusic::BackgroundMusic(Host host) : host_(std::move(host)) {}

BackgroundMusic::~BackgroundMusic() { releaseTrack(); }

void BackgroundMusic::setPlaylist(std::vector<std::string> playlist) { playlist_ = std::move(playlist); }

std::string BackgroundMusic::currentTrack() const { return track_ ? trackPath_ : std::string(); }

void BackgroundMusic::startFromFirst(float volume) {
  index_ = 0;
  playing_ = true;
  playTrack(volume);
}

void BackgroundMusic::playTrack(float volume) {
  if (playlist_.empty()) {
    logInfo("No background music files available");
    playing_ = false;
    // The music is off now, so nothing may stay attached to the engine.
    releaseTrack();
    return;
  }
  releaseTrack();
  for (size_t attempt = 0; attempt < playlist_.size(); ++attempt) {
    ma_engine* engine = host_.engine ? host_.engine() : nullptr;
    if (engine == nullptr) {
      playing_ = false;
      // A successful rebuild restarts the music itself.
      if (host_.recoverBackend) {
        host_.recoverBackend("play background music: engine unavailable");
      }
      logError("Failed to load background music: audio engine unavailable");
      return;
    }
    const std::string& path = playlist_[index_];
    auto sound = std::make_unique<ma_sound>();
    const ma_result result = loadSoundFile(engine, path, sound.get());
    if (result == MA_SUCCESS) {
      track_ = std::move(sound);
      trackPath_ = path;
      ma_sound_set_volume(track_.get(), volume);
      ma_sound_set_looping(track_.get(), MA_FALSE);
      ma_sound_start(track_.get());
      logInfo("Playing background music [" + std::to_string(index_ + 1) + "/" + std::to_string(playlist_.size()) +
              "]: " + path);
      return;
    }
    logError("Failed to load background music: " + path + " (error: " + std::to_string(result) + ")");
    index_ = (index_ + 1) % playlist_.size();
  }
  playing_ = false;
  logError("Failed to load any background music track");
}

void BackgroundMusic::advanceIfEnded(float volume) {
  if (!playing_ || !track_ || !ma_sound_at_end(track_.get())) {
    return;
  }
  logInfo("Background music finished, playing next track");
  if (!playlist_.empty()) {
    index_ = (index_ + 1) % playlist_.size();
  }
  playTrack(volume);
}

void BackgroundMusic::stop() {
  if (!playing_ || !track_) {
    return;
  }
  releaseTrack();
  playing_ = false;
  index_ = 0;
  logInfo("Background music stopped");
}

void BackgroundMusic::releaseTrack() {
  if (track_) {
    ma_sound_stop(track_.get());
    ma_sound_uninit(track_.get());
    track_.reset();
    trackPath_.clear();
  }
}

void BackgroundMusic::setTrackVolume(float volume) {
  if (track_) {
    ma_sound_set_volume(track_.get(), volume);
  }
}

}  // namespace Tavrune
