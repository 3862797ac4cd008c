// The audio manager's background music: the playlist from the music folders, its volume
// and switch; the track itself is BackgroundMusic's.
#include "audio/AudioLogText.h"
#include "audio/AudioManager.h"
#include "audio/MusicPlaylist.h"
#include "core/Log.h"

namespace Tavrune {

using AudioLogText::bit;
using AudioLogText::formatFloat;

void AudioManager::startBackgroundMusic() {
  Lock guard(lock_);
  musicWanted_ = true;
  playWantedMusic();
}

void AudioManager::playWantedMusic() {
  if (!musicWanted_ || musicHeld_ || !initialized_ || !enabled_ || !backgroundMusicEnabled_) {
    return;
  }
  const AudioFolders folders = folderSource_ ? folderSource_() : AudioFolders::current();
  std::vector<std::string> playlist = MusicPlaylist::scan(MusicPlaylist::collectMusicFolders(folders));
  music_.setPlaylist(std::move(playlist));
  if (music_.playlist().empty()) {
    logWarning("No background music files found in sounds/bg directory");
    return;
  }
  if (music_.isPlaying() && music_.hasTrack()) {
    music_.stop();
  }
  music_.startFromFirst(musicVolume());
}

void AudioManager::stopBackgroundMusic() {
  Lock guard(lock_);
  musicWanted_ = false;
  music_.stop();
}

void AudioManager::holdMusic(bool held) {
  Lock guard(lock_);
  musicHeld_ = held;
  if (held) music_.stop();
}

bool AudioManager::isMusicWanted() const {
  Lock guard(lock_);
  return musicWanted_;
}

void AudioManager::updateBackgroundMusic() {
  Lock guard(lock_);
  music_.advanceIfEnded(musicVolume());
}

void AudioManager::setBackgroundMusicEnabled(bool enabled) {
  Lock guard(lock_);
  backgroundMusicEnabled_ = enabled;
  if (!enabled && music_.isPlaying()) {
    music_.stop();
  } else if (enabled && initialized_ && !music_.isPlaying()) {
    playWantedMusic();
  }
  logInfo(std::string("Background music enabled: ") + bit(enabled));
}

void AudioManager::setBackgroundVolume(float volume) {
  Lock guard(lock_);
  backgroundVolume_ = SoundPlacement::clampUnitVolume(volume);
  if (music_.isPlaying() && music_.hasTrack()) {
    music_.setTrackVolume(musicVolume());
  }
  logInfo("Background music volume set to: " + formatFloat(backgroundVolume_));
}

}  // namespace Tavrune
