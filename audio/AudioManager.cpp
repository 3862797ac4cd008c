#include "audio/AudioManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/AudioConfigReader.h"
#include "audio/LegacySoundPathFile.h"
#include "audio/MiniaudioBackend.h"
#include "audio/MusicPlaylist.h"
#include "audio/OpenALBackend.h"
#include "audio/RuntimeStatus.h"
#include "audio/SoundPackLocator.h"
#include "audio/Utf8Path.h"
#include "core/ConfigManager.h"
#include "core/Log.h"

namespace Tavrune {

namespace {

constexpr std::chrono::milliseconds checkAfterCaptureDelay{120};
constexpr std::chrono::milliseconds captureEchoDelay{11};
constexpr std::chrono::milliseconds echoPollInterval{12};
constexpr std::chrono::milliseconds echoHoldLimit{500};
constexpr int32_t glideMilliseconds = 140;

std::string formatFloat(float value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%f", static_cast<double>(value));
  return text;
}

std::string formatPoint(const Vec3& p) {
  return formatFloat(p.x) + "," + formatFloat(p.y) + "," + formatFloat(p.z);
}

const char* bit(bool value) { return value ? "1" : "0"; }

bool isContextLossCode(const std::string& code) {
  return code == "alc-make-current-failed" || code == "gen-buffer-failed" || code == "gen-source-failed" ||
         code == "source-play-failed";
}

// Geometry from the settings: a value that is not a finite number keeps the old one,
// so a broken file cannot put sounds at impossible places.
float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

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
  stopBackgroundMusic();
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

// ---------------------------------------------------------------- volumes and settings

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
    startBackgroundMusic();
  } else if (!backgroundMusicEnabled_ && music_.hasTrack()) {
    stopBackgroundMusic();
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
  enabled_ = enabled;
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

// ---------------------------------------------------------------- sound table

bool AudioManager::loadSoundConfigs(const std::string& configPath) {
  const std::string path = configPath.empty() ? ConfigManager::getConfigFilePath() : configPath;
  const AudioFolders folders = folderSource_ ? folderSource_() : AudioFolders::current();

  std::string packPath;
  if (const auto fromJson = AudioConfigReader::readSoundPackPathFromJson(path)) {
    packPath = *fromJson;
    logInfo("Audio sound pack loaded from config.json: " + packPath);
  } else {
    for (const std::string& base : {folders.dataDirectory, folders.appDirectory, folders.installRoot}) {
      if (base.empty()) {
        continue;
      }
      const std::string ini = utf8FromPath(pathFromUtf8(base) / "config" / "audio.ini");
      if (const auto fromIni = LegacySoundPathFile::readSoundPackPathFromIni(ini)) {
        packPath = *fromIni;
        logInfo("Audio sound pack loaded from audio.ini fallback: " + packPath);
        break;
      }
    }
  }
  packPath = AudioConfigReader::normalizeSoundPackPath(packPath);

  const std::string folder = SoundPackLocator::resolveSoundPackDirectory(packPath, folders);
  for (const SoundTableEntry& row : SOUND_TABLE) {
    SoundConfig entry;
    entry.filePath = folder + "/" + row.fileName;
    entry.volume = row.volume;
    entry.enabled = true;
    entry.use3D = row.use3D;
    entry.minDistance = 0.2f;
    entry.maxDistance = 1.5f;
    soundConfigs_[row.type] = entry;
  }
  logInfo("Audio sound pack base path: " + folder);
  return true;
}

void AudioManager::validateSoundFiles() {
  int missing = 0;
  for (const auto& [type, entry] : soundConfigs_) {
    if (entry.enabled && !isExistingFile(entry.filePath)) {
      logError("Sound file not found: " + entry.filePath + " (type: " + std::to_string(type) + ")");
      ++missing;
    }
  }
  if (missing == 0) {
    logInfo("All sound files validated successfully");
  } else {
    logWarning("Sound validation failed: " + std::to_string(missing) + " sound file(s) missing");
  }
}

// ---------------------------------------------------------------- playback

Vec3 AudioManager::squarePoint(Position square, PieceColor side) const {
  return SoundPlacement::squareToListener(square, side, geometry_);
}

void AudioManager::playSound(SoundType type) {
  Lock guard(lock_);
  if (!initialized_ || !enabled_) {
    return;
  }
  const auto found = soundConfigs_.find(type);
  if (found != soundConfigs_.end() && !found->second.enabled) {
    return;
  }
  playSoundInternal(type, {}, std::nullopt);
}

void AudioManager::playCursorSound(Position square, PieceColor side) {
  playSoundAtSquare(SOUND_CURSOR, square, side);
}

void AudioManager::playSoundAtSquare(SoundType type, Position square, PieceColor side) {
  Lock guard(lock_);
  if (!initialized_ || !enabled_) {
    return;
  }
  const auto found = soundConfigs_.find(type);
  if (found != soundConfigs_.end() && !found->second.enabled) {
    return;
  }
  playSoundInternal(type, squarePoint(square, side), std::nullopt);
}

void AudioManager::playMoveSound(const Move& move, bool isCheck, PieceColor side) {
  Lock guard(lock_);
  logInfo(std::string("[playMoveSound] initialized_=") + bit(initialized_) + " enabled_=" + bit(enabled_));
  if (!initialized_ || !enabled_) {
    return;
  }
  const bool captured = move.captured != EMPTY;
  const SoundType type = isCheck ? SOUND_CHECK : (captured ? SOUND_CAPTURE : SOUND_MOVE);
  logInfo("[playMoveSound] type=" + std::to_string(type) + " to=(" + std::to_string(move.to.x) + "," +
          std::to_string(move.to.y) + ")");

  if (isCheck && captured) {
    playSoundAtSquare(SOUND_CAPTURE, move.to, side);
    const Position target = move.to;
    scheduler_.schedule(checkAfterCaptureDelay, [this, target, side] { playSoundAtSquare(SOUND_CHECK, target, side); });
    return;
  }
  const int distance = std::abs(move.to.y - move.from.y) + std::abs(move.to.x - move.from.x);
  if (enable3D_ && type == SOUND_MOVE && distance >= 2) {
    playSoundInternal(SOUND_MOVE, squarePoint(move.from, side), squarePoint(move.to, side));
    return;
  }
  playSoundAtSquare(type, move.to, side);
}

void AudioManager::playSoundInternal(SoundType type, Vec3 position, std::optional<Vec3> end) {
  if (!enabled_) {
    logInfo("[playSoundInternal] Audio system disabled, skipping playback");
    return;
  }
  const auto found = soundConfigs_.find(type);
  if (found == soundConfigs_.end()) {
    logWarning("Sound type not configured: " + std::to_string(type));
    return;
  }
  // A copy: a back-end recovery below reloads the table.
  const SoundConfig entry = found->second;
  if (!isExistingFile(entry.filePath)) {
    logError("Sound file not found: " + entry.filePath);
    return;
  }
  if (!gameSfxEnabled_ && !ignoresGameSfxSwitch(type)) {
    logInfo("[playSoundInternal] Game SFX disabled, skipping playback");
    return;
  }
  logInfo("[playSoundInternal] type=" + std::to_string(type) + " use3D=" + bit(entry.use3D) + " position=(" +
          formatPoint(position) + ")" + " enabled=" + bit(entry.enabled));

  const bool spatial = enable3D_ && entry.use3D && !(position == Vec3{});
  const Vec3 used = spatial ? SoundPlacement::stretchForSpace(position) : position;
  const float base = masterVolume_ * gameSfxVolume_ * entry.volume;
  const float flatVolume = 2.0f * base;
  const float volume = SoundPlacement::spatialVolume(flatVolume, used, spatial);
  const float rolloff = SoundPlacement::rolloff(type, rolloffScale_);

  if (backend_) {
    OneShotRequest request;
    request.spatial = spatial;
    request.position = used;
    if (end && spatial) {
      request.moving = true;
      request.endPosition = SoundPlacement::stretchForSpace(*end);
      request.glideMs = glideMilliseconds;
    }
    request.volume = volume;
    request.minDistance = entry.minDistance;
    request.maxDistance = entry.maxDistance;
    request.rolloff = rolloff;
    if (backend_->playOneShot(entry.filePath, request)) {
      playCaptureEcho(type, entry.filePath, volume);
      return;
    }
    const std::string code = extractRuntimeStatus(backend_->getRuntimeStatus());
    const int count = fallbackCounts_.record(code, entry.filePath);
    logWarning("Backend one-shot failed, fallback to miniaudio path: backend=" + backendName_ +
               ", runtimeStatus=" + code + ", sound=" + entry.filePath);
    if (isContextLossCode(code) && count == 1) {
      recoverBackend("openal context lost");
    }
  }

  // The pooled sound cannot glide, so it sounds where the piece lands.
  const Vec3 landing = (spatial && end) ? SoundPlacement::stretchForSpace(*end) : used;
  const float landingVolume = SoundPlacement::spatialVolume(flatVolume, landing, spatial);
  playPooledSound(type, entry, end ? *end : position, landing, spatial, landingVolume, flatVolume, rolloff);
}

void AudioManager::playPooledSound(SoundType type, const SoundConfig& entry, Vec3 requested, Vec3 position,
                                   bool spatial, float volume, float flatVolume, float rolloff) {
  if (spatial) {
    logInfo("[playSoundInternal] Playing 3D sound at (" + formatPoint(requested) + ")");
  } else {
    logInfo(std::string("[playSoundInternal] Playing 2D sound (use3D=") + bit(entry.use3D) + ", position=(" +
            formatPoint(requested) + "))");
  }
  const char* kind = spatial ? "3D" : "2D";
  ma_sound* sound = soundPool_.find(type);
  if (sound != nullptr) {
    if (spatial) {
      logInfo("[playSoundInternal] Using cached sound from pool");
    }
  } else {
    if (spatial) {
      logInfo("[playSoundInternal] First time playing, loading and caching sound");
    }
    ma_engine* engine = backend_ ? backend_->getEngine() : nullptr;
    if (engine == nullptr) {
      recoverBackend(std::string("play ") + kind + " sound: engine unavailable");
      logError(std::string("Failed to load ") + kind + " sound: audio engine unavailable");
      return;
    }
    const ma_result result = soundPool_.load(type, engine, entry.filePath);
    if (result != MA_SUCCESS) {
      logError(std::string("Failed to load ") + kind + " sound: " + entry.filePath + " (error: " +
               std::to_string(result) + ")");
      return;
    }
    if (spatial) {
      logInfo("[playSoundInternal] Sound loaded and cached to pool");
    }
    sound = soundPool_.find(type);
  }

  ma_sound_stop(sound);
  if (spatial) {
    ma_sound_set_spatialization_enabled(sound, MA_TRUE);
    ma_sound_set_position(sound, position.x, position.y, position.z);
    ma_sound_set_min_distance(sound, entry.minDistance);
    ma_sound_set_max_distance(sound, entry.maxDistance);
    ma_sound_set_attenuation_model(sound, ma_attenuation_model_inverse);
    ma_sound_set_rolloff(sound, rolloff);
    ma_sound_set_min_gain(sound, 0.82f);
    ma_sound_set_max_gain(sound, 1.0f);
    ma_sound_set_volume(sound, volume);
    ma_sound_start(sound);
    logInfo("[playSoundInternal] 3D sound started");
    playCaptureEcho(type, entry.filePath, volume);
  } else {
    ma_sound_set_spatialization_enabled(sound, MA_FALSE);
    ma_sound_set_position(sound, 0.0f, 0.0f, 0.0f);
    ma_sound_set_volume(sound, flatVolume);
    ma_sound_start(sound);
  }
}

void AudioManager::playCaptureEcho(SoundType type, const std::string& path, float volume) {
  if (type != SOUND_CAPTURE) {
    return;
  }
  const float echoVolume = std::min(0.08f, 0.05f * volume);
  if (echoVolume <= 0.02f) {
    return;
  }
  scheduler_.schedule(captureEchoDelay, [this, path, echoVolume] { startCaptureEcho(path, echoVolume); });
}

void AudioManager::startCaptureEcho(const std::string& path, float volume) {
  if (!initialized_ || !enabled_ || !backend_) {
    return;
  }
  ma_engine* engine = backend_->getEngine();
  if (engine == nullptr || !soundPool_.startOneOff(engine, path, volume)) {
    return;
  }
  scheduler_.schedule(echoPollInterval, [this] { releaseFinishedEchoes(); });
}

void AudioManager::releaseFinishedEchoes() {
  if (soundPool_.releaseFinishedOneOffs(echoHoldLimit)) {
    scheduler_.schedule(echoPollInterval, [this] { releaseFinishedEchoes(); });
  }
}

// ---------------------------------------------------------------- background music

void AudioManager::startBackgroundMusic() {
  Lock guard(lock_);
  if (!initialized_ || !enabled_ || !backgroundMusicEnabled_) {
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
    stopBackgroundMusic();
  }
  music_.startFromFirst(musicVolume());
}

void AudioManager::stopBackgroundMusic() {
  Lock guard(lock_);
  music_.stop();
}

void AudioManager::updateBackgroundMusic() {
  Lock guard(lock_);
  music_.advanceIfEnded(musicVolume());
}

void AudioManager::setBackgroundMusicEnabled(bool enabled) {
  Lock guard(lock_);
  backgroundMusicEnabled_ = enabled;
  if (!enabled && music_.isPlaying()) {
    stopBackgroundMusic();
  } else if (enabled && initialized_ && !music_.isPlaying()) {
    startBackgroundMusic();
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
