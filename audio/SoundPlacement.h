#pragma once
// Where a board square sounds in listener space, and how loud and how far a placed
// sound carries. Pure arithmetic, shared by the audio manager and its tests.
#include "audio/SoundType.h"
#include "audio/Vec3.h"
#include "game/ChessTypes.h"

namespace Tavrune {

// Listener-space size of one board file and one rank, and the listener's height above
// the board.
struct BoardSoundGeometry {
  float scaleX = 0.15f;
  float scaleZ = 0.15f;
  float listenerHeight = 0.3f;
};

struct DistanceRange {
  float minDistance = 0.0f;
  float maxDistance = 0.0f;
};

class SoundPlacement {
 public:
  // The listener sits at the middle of its own back rank; the board lies below it and
  // the opponent's back rank is in front (−z for Red, +z for Black).
  static Vec3 squareToListener(Position square, PieceColor side, const BoardSoundGeometry& geometry);
  // Narrows the board left-right and stretches it front-back, for clearer placement.
  static Vec3 stretchForSpace(Vec3 point);
  // Far sounds are lifted a little (at most ×1.24) so the far end of the board stays audible.
  static float distanceBoost(float distance);
  // The flat volume with the distance boost of a spatial sound, never above the cap.
  static float spatialVolume(float flatVolume, Vec3 usedPosition, bool spatial);
  static float rolloff(SoundType type, float rolloffScale);
  // Distance range of a placed sound, from the board's diagonal.
  static DistanceRange distanceRange(SoundType type, float scaleX, float scaleZ);
  // A volume pulled into 0..1; anything that is not a number becomes 0.
  static float clampUnitVolume(float volume);

  static constexpr float VOLUME_CAP = 2.2f;
};

}  // namespace Tavrune
