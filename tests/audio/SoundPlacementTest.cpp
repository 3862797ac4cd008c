#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "audio/SoundPlacement.h"

namespace Tavrune {
namespace {

void expectNear(const Vec3& actual, const Vec3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f);
  EXPECT_NEAR(actual.y, expected.y, 1e-5f);
  EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(SoundPlacementTest, SquaresMapToListenerSpaceFromEachSide) {
  struct Case {
    Position square;
    PieceColor side;
    Vec3 expected;
  };
  const Case cases[] = {
      {{4, 9}, RED, {0.0f, -0.3f, 0.0f}},      // Red's own king square: right below the listener
      {{0, 0}, RED, {-0.6f, -0.3f, -1.35f}},   // Black's far corner, in front and to the left
      {{8, 0}, RED, {0.6f, -0.3f, -1.35f}},
      {{0, 0}, BLACK, {-0.6f, -0.3f, 0.0f}},   // Black's own back rank is at the listener
      {{4, 9}, BLACK, {0.0f, -0.3f, 1.35f}},   // Red's king is in front of Black, at +z
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "square (" << c.square.x << "," << c.square.y << ") side " << c.side);
    expectNear(SoundPlacement::squareToListener(c.square, c.side, BoardSoundGeometry{}), c.expected);
  }
  const BoardSoundGeometry wide{0.2f, 0.1f, 0.5f};
  expectNear(SoundPlacement::squareToListener({8, 9}, RED, wide), {0.8f, -0.5f, 0.0f});
  expectNear(SoundPlacement::stretchForSpace({1.0f, -0.3f, -1.0f}), {0.9f, -0.3f, -1.28f});
}

TEST(SoundPlacementTest, DistanceBoostGrowsSmoothlyToItsCeiling) {
  struct Case {
    float distance;
    float boost;
  };
  const Case cases[] = {{0.0f, 1.0f}, {0.35f, 1.0f}, {1.925f, 1.12f}, {3.5f, 1.24f}, {10.0f, 1.24f},
                        {std::numeric_limits<float>::quiet_NaN(), 1.0f}};
  for (const Case& c : cases) {
    EXPECT_NEAR(SoundPlacement::distanceBoost(c.distance), c.boost, 1e-5f) << c.distance;
  }
}

TEST(SoundPlacementTest, SpatialVolumeIsBoostedButNeverAboveTheCap) {
  // Right at the listener: no boost.
  EXPECT_FLOAT_EQ(SoundPlacement::spatialVolume(1.0f, {0.0f, -0.3f, 0.0f}, true), 1.0f);
  // Far away at full volume: 2 × 1.24 would be 2.48, capped at 2.2.
  EXPECT_FLOAT_EQ(SoundPlacement::spatialVolume(2.0f, {0.0f, 0.0f, -5.0f}, true), 2.2f);
  // Flat sounds are never boosted, but the cap still holds.
  EXPECT_FLOAT_EQ(SoundPlacement::spatialVolume(2.0f, {0.0f, 0.0f, -5.0f}, false), 2.0f);
  EXPECT_FLOAT_EQ(SoundPlacement::spatialVolume(3.0f, {}, false), 2.2f);
}

TEST(SoundPlacementTest, RolloffPerSoundTypeWithTheFixedScale) {
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_MOVE, 1.8f), 0.2268f, 1e-5f);
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_CAPTURE, 1.8f), 0.2484f, 1e-5f);
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_CURSOR, 1.8f), 0.27f, 1e-5f);
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_CHECK, 1.8f), 0.216f, 1e-5f);
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_CURSOR, 100.0f), 0.35f, 1e-5f);
  EXPECT_NEAR(SoundPlacement::rolloff(SOUND_HINT, 0.0f), 0.08f, 1e-5f);
}

TEST(SoundPlacementTest, DistanceRangesFollowTheBoardDiagonal) {
  struct Case {
    SoundType type;
    float scale;
    float minDistance;
    float maxDistance;
  };
  const Case cases[] = {
      {SOUND_MOVE, 0.15f, 0.15f, 2.7997f},
      {SOUND_CAPTURE, 0.15f, 0.135f, 2.9803f},
      {SOUND_CURSOR, 0.15f, 0.105f, 2.4384f},
      {SOUND_CHECK, 0.15f, 0.15f, 2.7094f},
      // Tiny scales count as 0.05, and the near distance never falls below 0.08.
      {SOUND_CURSOR, 0.01f, 0.08f, 1.35f * std::sqrt(0.45f * 0.45f + 0.4f * 0.4f)},
      {SOUND_MOVE, 0.01f, 0.08f, 1.55f * std::sqrt(0.45f * 0.45f + 0.4f * 0.4f)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " scale " << c.scale);
    const DistanceRange range = SoundPlacement::distanceRange(c.type, c.scale, c.scale);
    EXPECT_NEAR(range.minDistance, c.minDistance, 1e-4f);
    EXPECT_NEAR(range.maxDistance, c.maxDistance, 1e-4f);
  }
}

TEST(SoundPlacementTest, VolumesArePulledIntoRangeAndNotANumberIsSilence) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float cases[][2] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.4f, 0.4f}, {nan, 0.0f}, {inf, 1.0f}, {-inf, 0.0f}};
  for (const auto& c : cases) {
    EXPECT_EQ(SoundPlacement::clampUnitVolume(c[0]), c[1]) << c[0];
  }
}

}  // namespace
}  // namespace Tavrune
