// The audio manager's effects: flat, at a board square or gliding between two, through the
// back end or, when it fails, miniaudio's pooled sounds; and the capture's echo.
#include <algorithm>
#include <cstdlib>

#include "audio/AudioLogText.h"
#include "audio/AudioManager.h"
#include "audio/RuntimeStatus.h"
#include "audio/Utf8Path.h"
#include "core/Log.h"

namespace Tavrune {

using AudioLogText::bit;
using AudioLogText::formatPoint;

namespace {

constexpr std::chrono::milliseconds checkAfterCaptureDelay{120};
constexpr std::chrono::milliseconds captureEchoDelay{11};
constexpr std::chrono::milliseconds echoPollInterval{12};
constexpr std::chrono::milliseconds echoHoldLimit{500};
constexpr int32_t glideMilliseconds = 140;

bool isContextLossCode(const std::string& code) {
  return code == "alc-make-current-failed" || code == "gen-buffer-failed" || code == "gen-source-failed" ||
         code == "source-play-failed";
}

}  // namespace

Vec3 AudioManager::squarePoint(Position square, PieceColor side) const {
  return SoundPlacement::squareToListener(square, side, geometry_);
}

bool AudioManager::mayPlay(SoundType type) const {
  if (!initialized_ || !enabled_) {
    return false;
  }
  const auto found = soundConfigs_.find(type);
  return found == soundConfigs_.end() || found->second.enabled;
}

void AudioManager::playSound(SoundType type) {
  Lock guard(lock_);
  if (mayPlay(type)) {
    playSoundInternal(type, {}, std::nullopt);
  }
}

void AudioManager::playCursorSound(Position square, PieceColor side) {
  playSoundAtSquare(SOUND_CURSOR, square, side);
}

void AudioManager::playSoundAtSquare(SoundType type, Position square, PieceColor side) {
  Lock guard(lock_);
  if (mayPlay(type)) {
    playSoundInternal(type, squarePoint(square, side), std::nullopt);
  }
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
    if (mayPlay(SOUND_MOVE)) playSoundInternal(SOUND_MOVE, squarePoint(move.from, side), squarePoint(move.to, side));
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

}  // namespace Tavrune
