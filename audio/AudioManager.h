#pragma once
// The one object through which the program makes sound: game effects by sound type,
// flat or placed at their board square in 3D, background music, volumes and switches,
// and the choice of back end with fallback to miniaudio and recovery after failures.
// Called on the UI thread; its own delayed sounds run on a worker under the same lock.
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "audio/AudioBackendType.h"
#include "audio/AudioFolders.h"
#include "audio/AudioPreferences.h"
#include "audio/BackgroundMusic.h"
#include "audio/DelayedTaskScheduler.h"
#include "audio/FallbackCounter.h"
#include "audio/IAudioBackend.h"
#include "audio/SoundConfig.h"
#include "audio/SoundPlacement.h"
#include "audio/SoundPool.h"
#include "audio/SoundType.h"
#include "audio/TestSound.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class AudioManager {
 public:
  using BackendFactory = std::function<std::unique_ptr<IAudioBackend>(AudioBackendType kind)>;

  AudioManager();
  ~AudioManager();
  AudioManager(const AudioManager&) = delete;
  AudioManager& operator=(const AudioManager&) = delete;

  // Empty path: the program's own "config.json". A second call only logs a warning.
  bool initialize(const std::string& configPath = {});
  void shutdown();
  void recoverBackend(const std::string& reason);

  void playSound(SoundType type);
  void playCursorSound(Position square, PieceColor side);
  void playMoveSound(const Move& move, bool isCheck, PieceColor side);
  void playSoundAtSquare(SoundType type, Position square, PieceColor side);

  // The listener sits at the origin facing the opponent's side of the board.
  void updateListener(PieceColor side);
  void setMasterVolume(float volume);
  void setGameSfxVolume(float volume);
  void setGameSfxEnabled(bool enabled);
  void applySettings(float masterVolume, float boardScaleX, float boardScaleY, float listenerHeight,
                     float gameSfxVolume, float backgroundVolume, bool gameSfxEnabled, bool backgroundMusicEnabled,
                     bool enable3D, const std::string& backendType, bool hrtfEnabled, const std::string& hrtfPreferred,
                     bool forceAccessibilityChannel);

  // Music is wanted from a start to the next stop: a game's, or the 3D test window's that
  // started the audio; a start marks it wanted also while sound is off. The switches, the
  // settings and a rebuild of the back end play only wanted music, so none of them starts
  // it with no game running; switching off silences it and leaves it wanted.
  void startBackgroundMusic();
  void stopBackgroundMusic();
  // While held nothing starts the music, whichever switch, setting or rebuild asks:
  // holding silences it and keeps it wanted; releasing starts nothing by itself.
  void holdMusic(bool held);
  bool isMusicWanted() const;
  // Called by the window's music timer while initialised: moves on when a track ended.
  void updateBackgroundMusic();
  void setBackgroundMusicEnabled(bool enabled);
  void setBackgroundVolume(float volume);

  bool isInitialized() const;
  // The user's audio switch; nothing plays while it is off, and back on the wanted music returns.
  bool isEnabled() const;
  void setEnabled(bool enabled);
  float boardScaleX() const;
  float boardScaleY() const;
  float listenerHeight() const;
  // The back end's miniaudio engine, for the 3D audio test window; null without one.
  ma_engine* getEngine();

  // The 3D test window's looping sound on the current engine: miniaudio's result code
  // (MA_INVALID_OPERATION while not initialised or without an engine). It is released
  // before every rebuild or shutdown of the back end and started again, at its last
  // place, once the manager is initialised again.
  int startTestSound(const std::filesystem::path& file, Vec3 place);
  void placeTestSound(Vec3 place);
  void stopTestSound();
  bool isTestSoundPlaying() const;

  std::string backendName() const;
  std::optional<SoundConfig> soundConfig(SoundType type) const;
  std::string currentMusicTrack() const;

  // Makes the back ends (OpenAL Soft for kind 2, miniaudio otherwise) unless replaced.
  void setBackendFactory(BackendFactory factory);
  // Where the sound packs and music are looked for; the configuration's folders unless replaced.
  void setFolderSource(std::function<AudioFolders()> source);

 private:
  using Lock = std::lock_guard<std::recursive_mutex>;

  // Initialised, switched on, and the sound's entry (if any) enabled; the lock is held.
  bool mayPlay(SoundType type) const;
  void playSoundInternal(SoundType type, Vec3 position, std::optional<Vec3> end);
  // requested: the point as asked for (logged); position: where the sound is placed.
  void playPooledSound(SoundType type, const SoundConfig& entry, Vec3 requested, Vec3 position, bool spatial,
                       float volume, float flatVolume, float rolloff);
  void playCaptureEcho(SoundType type, const std::string& path, float volume);
  void startCaptureEcho(const std::string& path, float volume);
  void releaseFinishedEchoes();
  std::unique_ptr<IAudioBackend> makeBackend(AudioBackendType kind);
  bool loadSoundConfigs(const std::string& configPath);
  void validateSoundFiles();
  void pushListener();
  float musicVolume() const { return backgroundVolume_ * masterVolume_; }
  Vec3 squarePoint(Position square, PieceColor side) const;
  // Plays the wanted music from its first track when the switches allow; the lock is held.
  void playWantedMusic();

  mutable std::recursive_mutex lock_;
  std::unique_ptr<IAudioBackend> backend_;
  AudioBackendType backendKind_ = AUDIO_BACKEND_AUTO;
  std::string backendName_ = "none";
  AudioPreferences preferences_;
  std::string configPath_;
  bool recovering_ = false;
  bool initialized_ = false;
  bool enabled_ = true;
  bool enable3D_ = true;
  float masterVolume_ = 1.0f;
  BoardSoundGeometry geometry_;
  float rolloffScale_ = 1.8f;
  std::unordered_map<SoundType, SoundConfig> soundConfigs_;
  SoundPool soundPool_;
  struct Listener {
    Vec3 position{0.0f, 0.5f, 0.0f};
    Vec3 forward{0.0f, 0.0f, 1.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
  } listener_;
  BackgroundMusic music_;
  float backgroundVolume_ = 0.3f;
  float gameSfxVolume_ = 1.0f;
  bool gameSfxEnabled_ = true;
  bool backgroundMusicEnabled_ = true;
  bool musicWanted_ = false;  // survives a shutdown, so a rebuild brings the music back
  bool musicHeld_ = false;
  FallbackCounter fallbackCounts_;
  TestSound testSound_;
  BackendFactory backendFactory_;
  std::function<AudioFolders()> folderSource_;
  // Last member: destroyed first, so no delayed sound outlives the rest.
  DelayedTaskScheduler scheduler_;
};

}  // namespace Tavrune
