#include "audio/SoundPlacement.h"

#include <algorithm>
#include <cmath>

namespace Tavrune {

Vec3 SoundPlacement::squareToListener(Position square, PieceColor side, const BoardSoundGeometry& geometry) {
  const float x = static_cast<float>(square.x - 4) * geometry.scaleX;
  const float z = side == RED ? static_cast<float>(square.y - 9) * geometry.scaleZ
                              : static_cast<float>(square.y) * geometry.scaleZ;
  return {x, -geometry.listenerHeight, z};
}

Vec3 SoundPlacement::stretchForSpace(Vec3 point) { return {0.9f * point.x, point.y, 1.28f * point.z}; }

float SoundPlacement::distanceBoost(float distance) {
  constexpr float nearLimit = 0.35f;
  constexpr float span = 3.15f;
  if (!(distance > nearLimit)) {
    return 1.0f;
  }
  const float t = std::clamp((distance - nearLimit) / span, 0.0f, 1.0f);
  return 1.0f + 0.24f * t * t * (3.0f - 2.0f * t);
}

float SoundPlacement::spatialVolume(float flatVolume, Vec3 usedPosition, bool spatial) {
  float boost = 1.0f;
  if (spatial) {
    const float d = std::sqrt(usedPosition.x * usedPosition.x + usedPosition.y * usedPosition.y +
                              usedPosition.z * usedPosition.z);
    boost = distanceBoost(d);
  }
  return std::min(VOLUME_CAP, flatVolume * boost);
}

float SoundPlacement::rolloff(SoundType type, float rolloffScale) {
  float base = 1.0f;
  switch (type) {
    case SOUND_MOVE: base = 1.05f; break;
    case SOUND_CAPTURE: base = 1.15f; break;
    case SOUND_CURSOR: base = 1.25f; break;
    default: break;
  }
  const float scaled = std::clamp(base * rolloffScale, 0.1f, 6.0f);
  return std::clamp(scaled * 0.12f, 0.08f, 0.35f);
}

DistanceRange SoundPlacement::distanceRange(SoundType type, float scaleX, float scaleZ) {
  float near = 1.0f;
  float far = 1.5f;
  switch (type) {
    case SOUND_MOVE: near = 1.0f; far = 1.55f; break;
    case SOUND_CAPTURE: near = 0.9f; far = 1.65f; break;
    case SOUND_CURSOR: near = 0.7f; far = 1.35f; break;
    default: break;
  }
  const float sx = std::max(0.05f, scaleX);
  const float sz = std::max(0.05f, scaleZ);
  DistanceRange range;
  range.minDistance = std::max(0.5f * (sx + sz) * near, 0.08f);
  const float depth = 9.0f * sz;
  const float width = 8.0f * sx;
  range.maxDistance = std::max(far * std::sqrt(depth * depth + width * width), range.minDistance + 0.1f);
  return range;
}

float SoundPlacement::clampUnitVolume(float volume) {
  if (!(volume > 0.0f)) {
    return 0.0f;
  }
  return std::min(volume, 1.0f);
}

}  // namespace Tavrune
