#pragma once
// The background-music player: one track at a time from a playlist, on the engine the
// audio manager lends it, moving on to the next track when asked after one ends.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "miniaudio.h"

namespace Tavrune {

class BackgroundMusic {
 public:
  struct Host {
    std::function<ma_engine*()> engine;
    // Asked to rebuild the back end when no engine is available for a track.
    std::function<void(const std::string& reason)> recoverBackend;
  };

  explicit BackgroundMusic(Host host);
  ~BackgroundMusic();
  BackgroundMusic(const BackgroundMusic&) = delete;
  BackgroundMusic& operator=(const BackgroundMusic&) = delete;

  void setPlaylist(std::vector<std::string> playlist);
  const std::vector<std::string>& playlist() const { return playlist_; }
  bool isPlaying() const { return playing_; }
  bool hasTrack() const { return track_ != nullptr; }
  // The path of the loaded track, or an empty text.
  std::string currentTrack() const;

  // Plays from the first track.
  void startFromFirst(float volume);
  // Loads and starts the track at the current index, skipping tracks that fail.
  void playTrack(float volume);
  // When the loaded track has ended, plays the next one (wrapping round).
  void advanceIfEnded(float volume);
  // Stops and releases the track while music is on; otherwise does nothing.
  void stop();
  // Releases any loaded track silently, whatever the state (before its engine goes).
  void releaseTrack();
  void setTrackVolume(float volume);

 private:
  Host host_;
  std::vector<std::string> playlist_;
  size_t index_ = 0;
  std::unique_ptr<ma_sound> track_;
  std::string trackPath_;
  bool playing_ = false;
};

}  // namespace Tavrune
