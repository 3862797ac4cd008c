// The audio manager's making of back ends, its life cycle (start, shutdown, recovery),
// the listener, and its accessors. Its other parts live beside it: AudioManagerSettings.cpp
// (volumes and settings), AudioManagerSoundTable.cpp (the sound pack's table),
// AudioManagerPlayback.cpp (effects) and AudioManagerMusic.cpp (background music).
#include "audio/AudioManager.h"

#include "audio/AudioConfigReader.h"
#include "audio/AudioLogText.h"
#include "audio/MiniaudioBackend.h"
#include "audio/OpenALBackend.h"
#include "core/ConfigManager.h"
#include "core/Log.h"

namespace Tavrune {

using AudioLogText::formatFloat;

AudioManager::AudioManager()
    : music_(BackgroundMusic::Host{
          [this] { return backend_ ? backend_->getEngine() : nullptr; },
          [this](const std::string& reason) { recoverBackend(reason); }}),
      scheduler_(lock_) {}

AudioManager::~AudioManager() {
  shutdown();
  scheduler_.cancelAndJoin();
}

void AudioManager::setBackendFactory(BackendFactory factory) {
  Lock guard(lock_);
  backendFactory_ = std::move(factory);
}

void AudioManager::setFolderSource(std::function<AudioFolders()> source) {
  Lock guard(lock_);
  folderSource_ = std::move(source);
}

std::unique_ptr<IAudioBackend> AudioManager::makeBackend(AudioBackendType kind) {
  if (backendFactory_) {
    return backendFactory_(kind);
  }
  if (kind == AUDIO_BACKEND_OPENAL_SOFT) {
    return std::make_unique<OpenALBackend>();
  }
  return std::make_unique<MiniaudioBackend>();
}

// ---------------------------------------------------------------- lifecycle

bool AudioManager::initialize(const std::string& configPath) {
  Lock guard(lock_);
  if (initialized_) {
    logWarning("AudioManager already initialized");
    return true;
  }
  const std::string path = configPath.empty() ? ConfigManager::getConfigFilePath() : configPath;
  if (preferences_.isDefault()) {
    preferences_ = AudioConfigReader::loadAudioPreferences(path);
  }
  AudioBackendConfig config;
  config.listenerCount = 1;
  config.hrtfEnabled = preferences_.hrtfEnabled;
  config.hrtfPreferred = preferences_.hrtfPreferred;
  config.forceAccessibilityChannel = preferences_.forceAccessibilityChannel;
  configPath_ = path;

  AudioBackendType wanted = AUDIO_BACKEND_OPENAL_SOFT;
  if (preferences_.forceAccessibilityChannel) {
    wanted = AUDIO_BACKEND_MINIAUDIO;
  } else if (preferences_.backendType != AUDIO_BACKEND_AUTO) {
    wanted = preferences_.backendType;
  }
  if (!backend_ || backendKind_ != wanted) {
    backend_.reset();
    backend_ = makeBackend(wanted);
    backendKind_ = wanted;
    backendName_ = backend_ ? backend_->getName() : "none";
  }

  if (!backend_ || !backend_->initialize(config)) {
    logWarning("Primary audio backend init failed: " + backendName_ + ", fallback to miniaudio");
    backend_.reset();
    backend_ = makeBackend(AUDIO_BACKEND_MINIAUDIO);
    backendKind_ = AUDIO_BACKEND_MINIAUDIO;
    backendName_ = backend_ ? backend_->getName() : "none";
    if (!backend_ || !backend_->initialize(config)) {
      logError("Failed to initialize fallback audio backend: " + backendName_);
      return false;
    }
  }
  if (!backend_->isInitialized()) {
    logError("Audio backend unavailable after init: " + backendName_);
    return false;
  }
  backendName_ = backend_->getName();
  if (const std::string status = backend_->getRuntimeStatus(); !status.empty()) {
    backendName_ += " (" + status + ")";
  }

  loadSoundConfigs(path);
  validateSoundFiles();
  updateListener(RED);
  initialized_ = true;
  logInfo("Audio system initialized successfully with backend: " + backendName_);
  if (const ma_result result = testSound_.resume(backend_->getEngine()); result != MA_SUCCESS) {
    logError("Test sound could not be restarted, error: " + std::to_string(result));
  }
  return true;
}

void AudioManager::shutdown() {
  Lock guard(lock_);
  if (!initialized_) {
    return;
  }
  // Delayed sounds are dropped first: none may start on an engine that is going away.
  scheduler_.cancelAndJoin();
  music_.stop();  // still wanted: the next start (a rebuild, a new pack) plays it again
  music_.releaseTrack();
  logInfo("Cleaning up sound pool...");
  soundPool_.clear();
  testSound_.suspend();
  if (backend_) {
    backend_->shutdown();
  }
  initialized_ = false;
  logInfo("Audio system shutdown");
}

void AudioManager::recoverBackend(const std::string& reason) {
  Lock guard(lock_);
  if (!initialized_ || recovering_) {
    return;
  }
  logWarning("Audio backend recovery triggered: " + reason);
  recovering_ = true;

  const bool savedEnabled = enabled_;
  const bool savedEnable3D = enable3D_;
  const float savedMaster = masterVolume_;
  const BoardSoundGeometry savedGeometry = geometry_;
  const Listener savedListener = listener_;
  const float savedSfxVolume = gameSfxVolume_;
  const float savedBackgroundVolume = backgroundVolume_;
  const bool savedSfxEnabled = gameSfxEnabled_;
  const bool savedMusicEnabled = backgroundMusicEnabled_;

  shutdown();
  if (!initialize(configPath_)) {
    logError("Audio backend recovery failed");
  } else {
    enabled_ = savedEnabled;
    const AudioPreferences preferences = preferences_;
    applySettings(savedMaster, savedGeometry.scaleX, savedGeometry.scaleZ, savedGeometry.listenerHeight,
                  savedSfxVolume, savedBackgroundVolume, savedSfxEnabled, savedMusicEnabled, savedEnable3D,
                  backendTypeName(preferences.backendType), preferences.hrtfEnabled, preferences.hrtfPreferred,
                  false);
    listener_ = savedListener;
    pushListener();
    logInfo("Audio backend recovery succeeded");
  }
  recovering_ = false;
}

void AudioManager::pushListener() {
  if (!backend_) {
    return;
  }
  if (ma_engine* engine = backend_->getEngine()) {
    ma_engine_listener_set_position(engine, 0, listener_.position.x, listener_.position.y, listener_.position.z);
    ma_engine_listener_set_direction(engine, 0, listener_.forward.x, listener_.forward.y, listener_.forward.z);
  }
  backend_->updateListener(listener_.position, listener_.forward, listener_.up);
}

void AudioManager::updateListener(PieceColor side) {
  Lock guard(lock_);
  listener_.position = {0.0f, 0.0f, 0.0f};
  listener_.forward = {0.0f, 0.0f, side == BLACK ? 1.0f : -1.0f};
  listener_.up = {0.0f, 1.0f, 0.0f};
  pushListener();
  logInfo("Listener updated: position=(0, 0, 0), forward=(" + formatFloat(listener_.forward.x) + ", " +
          formatFloat(listener_.forward.y) + ", " + formatFloat(listener_.forward.z) + ")");
}
// ---------------------------------------------------------------- accessors

bool AudioManager::isInitialized() const {
  Lock guard(lock_);
  return initialized_;
}

bool AudioManager::isEnabled() const {
  Lock guard(lock_);
  return enabled_;
}

void AudioManager::setEnabled(bool enabled) {
  Lock guard(lock_);
  const bool switchedOn = enabled && !enabled_;
  enabled_ = enabled;
  // Off only silences the music: it stays wanted, so switching back on brings it.
  if (!enabled) {
    music_.stop();
  } else if (switchedOn && initialized_ && !music_.isPlaying()) {
    playWantedMusic();
  }
}

float AudioManager::boardScaleX() const {
  Lock guard(lock_);
  return geometry_.scaleX;
}

float AudioManager::boardScaleY() const {
  Lock guard(lock_);
  return geometry_.scaleZ;
}

float AudioManager::listenerHeight() const {
  Lock guard(lock_);
  return geometry_.listenerHeight;
}

ma_engine* AudioManager::getEngine() {
  Lock guard(lock_);
  return backend_ ? backend_->getEngine() : nullptr;
}

int AudioManager::startTestSound(const std::filesystem::path& file, Vec3 place) {
  Lock guard(lock_);
  ma_engine* engine = initialized_ && backend_ ? backend_->getEngine() : nullptr;
  if (engine == nullptr) {
    return MA_INVALID_OPERATION;
  }
  return testSound_.start(engine, file, place);
}

void AudioManager::placeTestSound(Vec3 place) {
  Lock guard(lock_);
  testSound_.place(place);
}

void AudioManager::stopTestSound() {
  Lock guard(lock_);
  testSound_.stop();
}

bool AudioManager::isTestSoundPlaying() const {
  Lock guard(lock_);
  return testSound_.isPlaying();
}

std::string AudioManager::backendName() const {
  Lock guard(lock_);
  return backendName_;
}

std::optional<SoundConfig> AudioManager::soundConfig(SoundType type) const {
  Lock guard(lock_);
  const auto found = soundConfigs_.find(type);
  if (found == soundConfigs_.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::string AudioManager::currentMusicTrack() const {
  Lock guard(lock_);
  return music_.currentTrack();
}

}  // namespace Tavrune
