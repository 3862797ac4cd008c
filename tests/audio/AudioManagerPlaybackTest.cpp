#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "ManagerTestRig.h"
#include "audio/SoundPlacement.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using Test::LogCapture;
using Test::ManagerTestRig;
using Test::ChannelLevels;
using Test::measureLevels;
using Test::OneShotCall;

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void expectNear(const Vec3& actual, const Vec3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f);
  EXPECT_NEAR(actual.y, expected.y, 1e-4f);
  EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

Vec3 placed(Position square, PieceColor side) {
  return SoundPlacement::stretchForSpace(SoundPlacement::squareToListener(square, side, BoardSoundGeometry{}));
}

TEST(AudioManagerPlaybackTest, CursorSoundsOnItsSideOfTheBoardAndBlackHearsItMirrored) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  struct Case {
    PieceColor side;
    int file;
    bool leftLouder;
  };
  const Case cases[] = {{RED, 0, true}, {RED, 8, false}, {BLACK, 0, false}, {BLACK, 8, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.side << " file " << c.file);
    rig.manager().updateListener(c.side);
    rig.manager().playCursorSound({c.file, 5}, c.side);
    const ChannelLevels levels = measureLevels(rig.render(0.25));
    ASSERT_GT(levels.peak, 0.01);
    if (c.leftLouder) {
      EXPECT_GT(levels.left, 1.5 * levels.right);
    } else {
      EXPECT_GT(levels.right, 1.5 * levels.left);
    }
  }
  // The middle file sounds in the middle.
  rig.manager().updateListener(RED);
  rig.manager().playCursorSound({4, 5}, RED);
  const ChannelLevels middle = measureLevels(rig.render(0.25));
  EXPECT_NEAR(middle.left / middle.right, 1.0, 0.1);
}

TEST(AudioManagerPlaybackTest, FlatVolumesAreScaledByTheMasterVolumeTwice) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  struct Case {
    float master;
    float effects;
    double peak;  // tone level × 2 × master × effects × (engine) 2 × master
  };
  const Case cases[] = {{1.0f, 1.0f, 0.4}, {0.5f, 1.0f, 0.1}, {1.0f, 0.5f, 0.2}, {0.5f, 0.5f, 0.05}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "master " << c.master << " effects " << c.effects);
    rig.manager().setMasterVolume(c.master);
    rig.manager().setGameSfxVolume(c.effects);
    rig.manager().playSound(SOUND_CHECK);
    EXPECT_NEAR(measureLevels(rig.render(0.25)).peak, c.peak, 0.01);
  }
}

TEST(AudioManagerPlaybackTest, RequestedVolumesAreBoostedWithDistanceAndCapped) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().updateListener(RED);
  struct Case {
    float master;
    SoundType type;
    Position square;
    float volume;
  };
  const Case cases[] = {
      {1.0f, SOUND_CURSOR, {4, 9}, 1.0f},  // right below the listener: no boost
      {1.0f, SOUND_MOVE, {0, 0}, 2.2f},    // far corner at full volume: 2 × 1.11, capped
      {0.5f, SOUND_MOVE, {0, 0}, 1.0f * SoundPlacement::distanceBoost(std::sqrt(0.54f * 0.54f + 0.09f + 1.728f * 1.728f))},
      {1.0f, SOUND_CHECK, {0, 0}, 2.0f},   // a flat sound is not boosted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type);
    rig.manager().setMasterVolume(c.master);
    rig.manager().playSoundAtSquare(c.type, c.square, RED);
    const auto calls = rig.probe().callsSnapshot();
    ASSERT_FALSE(calls.empty());
    EXPECT_NEAR(calls.back().request.volume, c.volume, 1e-4f);
  }
}

TEST(AudioManagerPlaybackTest, EffectsSwitchLeavesStartAndReviewSounds) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().setGameSfxEnabled(false);
  const std::pair<SoundType, bool> cases[] = {
      {SOUND_MOVE, false},       {SOUND_WIN, false},        {SOUND_LOSE, false},       {SOUND_CHECK, false},
      {SOUND_GAME_START, true},  {SOUND_REVIEW_PREV, true}, {SOUND_REVIEW_NEXT, true},
  };
  for (const auto& [type, plays] : cases) {
    const size_t before = rig.probe().callsSnapshot().size();
    rig.manager().playSound(type);
    EXPECT_EQ(rig.probe().callsSnapshot().size() - before, plays ? 1u : 0u) << "type " << type;
  }
  rig.manager().playCursorSound({3, 3}, RED);
  rig.manager().playMoveSound(Move{{1, 9}, {2, 7}, RED_KNIGHT, EMPTY}, false, RED);
  EXPECT_EQ(rig.probe().callsSnapshot().size(), 3u);
  // With the switch on again every effect plays; with audio switched off nothing does.
  rig.manager().setGameSfxEnabled(true);
  rig.manager().playSound(SOUND_WIN);
  EXPECT_EQ(rig.probe().callsSnapshot().size(), 4u);
  rig.manager().setEnabled(false);
  rig.manager().playSound(SOUND_GAME_START);
  rig.manager().playCursorSound({3, 3}, RED);
  EXPECT_EQ(rig.probe().callsSnapshot().size(), 4u);
}

TEST(AudioManagerPlaybackTest, MoveSoundsPlayAtTheTargetAndLongMovesGlideThere) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().updateListener(RED);
  struct Case {
    Move move;
    bool check;
    bool enable3D;
    const char* file;
    bool glides;
  };
  const Case cases[] = {
      {{{1, 9}, {2, 7}, RED_KNIGHT, EMPTY}, false, true, "move.wav", true},     // distance 3
      {{{4, 6}, {4, 5}, RED_PAWN, EMPTY}, false, true, "move.wav", false},      // one step
      {{{0, 9}, {0, 3}, RED_ROOK, BLACK_PAWN}, false, true, "capture.wav", false},
      {{{0, 9}, {0, 2}, RED_ROOK, EMPTY}, true, true, "check.wav", false},
      {{{1, 9}, {2, 7}, RED_KNIGHT, EMPTY}, false, false, "move.wav", false},   // 3D off
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    rig.manager().applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, c.enable3D, "miniaudio", true, "",
                                false);
    rig.manager().playMoveSound(c.move, c.check, RED);
    const auto calls = rig.probe().callsSnapshot();
    ASSERT_FALSE(calls.empty());
    const OneShotCall& call = calls.back();
    EXPECT_TRUE(endsWith(call.path, c.file)) << call.path;
    EXPECT_EQ(call.request.moving, c.glides);
    if (c.glides) {
      expectNear(call.request.position, placed(c.move.from, RED));
      expectNear(call.request.endPosition, placed(c.move.to, RED));
      EXPECT_EQ(call.request.glideMs, 140);
    } else if (call.request.spatial) {
      expectNear(call.request.position, placed(c.move.to, RED));
    }
  }
}

TEST(AudioManagerPlaybackTest, TheEngineSoundOfALongMoveIsHeardWhereThePieceLands) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().updateListener(RED);
  // A rook crossing from the left edge to the right edge: heard on the right.
  rig.manager().playMoveSound(Move{{0, 5}, {8, 5}, RED_ROOK, EMPTY}, false, RED);
  const ChannelLevels levels = measureLevels(rig.render(0.25));
  ASSERT_GT(levels.peak, 0.01);
  EXPECT_GT(levels.right, 1.5 * levels.left);
}

TEST(AudioManagerPlaybackTest, ACaptureThatChecksPlaysTheCheckSoundLaterAtTheSameSquare) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().updateListener(RED);
  rig.manager().playMoveSound(Move{{7, 7}, {7, 0}, RED_CANNON, BLACK_KNIGHT}, true, RED);
  // The check sound follows after its delay, however long a busy machine takes.
  const auto heardBy = std::chrono::steady_clock::now() + 10s;
  while (rig.probe().callsSnapshot().size() < 2 && std::chrono::steady_clock::now() < heardBy) {
    std::this_thread::sleep_for(5ms);
  }
  const auto calls = rig.probe().callsSnapshot();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_TRUE(endsWith(calls[0].path, "capture.wav"));
  EXPECT_TRUE(endsWith(calls[1].path, "check.wav"));
  EXPECT_GE(calls[1].at - calls[0].at, 120ms);
  // The check sound is flat but is requested at the same square.
  expectNear(calls[1].request.position, SoundPlacement::squareToListener({7, 0}, RED, BoardSoundGeometry{}));
}

TEST(AudioManagerPlaybackTest, DelayedSoundsNeverOutliveShutdownOrTheManager) {
  ManagerTestRig rig;
  const Move captureWithCheck{{7, 7}, {7, 0}, RED_CANNON, BLACK_KNIGHT};
  for (int round = 0; round < 60; ++round) {
    ASSERT_TRUE(rig.initialize());
    rig.manager().playMoveSound(captureWithCheck, true, RED);
    std::this_thread::sleep_for(std::chrono::milliseconds((round * 7) % 140));
    if (round % 4 == 3) {
      rig.rebuildManager();  // destruction with the check sound and the echo pending
    } else {
      rig.manager().shutdown();
    }
    const size_t afterShutdown = rig.probe().callsSnapshot().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
    EXPECT_EQ(rig.probe().callsSnapshot().size(), afterShutdown) << "round " << round;
  }
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(rig.probe().playsWhileStopped, 0);
}

TEST(AudioManagerPlaybackTest, RefusedOneShotsAreCountedAndLoggedSparingly) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  LogCapture log;
  for (int i = 0; i < 25; ++i) {
    rig.manager().playCursorSound({2, 2}, RED);
  }
  EXPECT_EQ(log.count("Backend one-shot failed, fallback to miniaudio path: backend=miniaudio (bridge=test-no-device), "
                      "runtimeStatus=unknown, sound="),
            25);
  EXPECT_EQ(log.count("Audio fallback recorded: reason=unknown"), 4);
  EXPECT_TRUE(log.contains("cursor.wav, count=20"));
  EXPECT_FALSE(log.contains("recovery"));
  EXPECT_EQ(log.count("[playSoundInternal] First time playing, loading and caching sound"), 1);
  EXPECT_EQ(log.count("[playSoundInternal] Using cached sound from pool"), 24);
}

TEST(AudioManagerPlaybackTest, ALostContextRebuildsTheBackEndOnceAndKeepsTheListener) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().applySettings(0.6f, 0.2f, 0.1f, 0.4f, 0.7f, 0.3f, true, false, true, "miniaudio", true, "", false);
  rig.manager().updateListener(BLACK);
  LogCapture log;
  {
    std::lock_guard<std::mutex> guard(rig.probe().lock);
    rig.probe().refusalStatus = "device='x', runtimeStatus=gen-source-failed";
  }
  rig.manager().playCursorSound({0, 5}, BLACK);
  EXPECT_EQ(log.count("Audio backend recovery triggered: openal context lost"), 1);
  EXPECT_EQ(log.count("Audio backend recovery succeeded"), 1);
  ASSERT_TRUE(rig.manager().isInitialized());
  // The listener still faces +z for Black, although the inner start faced it for Red.
  ma_engine* engine = rig.manager().getEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_FLOAT_EQ(ma_engine_listener_get_direction(engine, 0).z, 1.0f);
  EXPECT_FLOAT_EQ(rig.probe().lastForward.z, 1.0f);
  // Settings survive: volumes and geometry.
  EXPECT_FLOAT_EQ(ma_engine_get_volume(engine), 1.2f);
  EXPECT_FLOAT_EQ(rig.manager().boardScaleX(), 0.2f);
  EXPECT_FLOAT_EQ(rig.manager().listenerHeight(), 0.4f);
  // The sound still played, through the rebuilt engine, on Black's right for file 0.
  const ChannelLevels levels = measureLevels(rig.render(0.25));
  EXPECT_GT(levels.right, 1.5 * levels.left);
  // The same failure again is only counted: no second rebuild.
  rig.manager().playCursorSound({0, 5}, BLACK);
  EXPECT_EQ(log.count("Audio backend recovery triggered"), 1);
}

TEST(AudioManagerPlaybackTest, SettingsAreClampedWhereverTheyEnter) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  LogCapture log;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  rig.manager().applySettings(1.7f, 0.15f, 0.15f, 0.3f, 5.0f, 9.0f, true, false, true, "miniaudio", true, "", false);
  EXPECT_FLOAT_EQ(ma_engine_get_volume(rig.manager().getEngine()), 2.0f);
  EXPECT_TRUE(log.contains("Audio settings applied: masterVolume=1.700000, enable3D=1, boardScale=(0.150000, "
                           "0.150000), listenerHeight=0.300000, gameSfxVolume=5.000000, backgroundVolume=9.000000"));
  EXPECT_TRUE(log.contains("Background music volume set to: 1.000000"));
  rig.manager().playSound(SOUND_CHECK);
  EXPECT_FLOAT_EQ(rig.probe().callsSnapshot().back().request.volume, 2.0f);
  EXPECT_NEAR(measureLevels(rig.render(0.25)).peak, 0.4, 0.01);

  rig.manager().applySettings(nan, nan, nan, nan, nan, nan, true, false, true, "miniaudio", true, "", false);
  EXPECT_FLOAT_EQ(ma_engine_get_volume(rig.manager().getEngine()), 0.0f);
  EXPECT_FLOAT_EQ(rig.manager().boardScaleX(), 0.15f);
  rig.manager().playSound(SOUND_CHECK);
  EXPECT_FLOAT_EQ(rig.probe().callsSnapshot().back().request.volume, 0.0f);

  rig.manager().setMasterVolume(-0.2f);
  EXPECT_FLOAT_EQ(ma_engine_get_volume(rig.manager().getEngine()), 0.0f);
  rig.manager().setMasterVolume(1.5f);
  EXPECT_FLOAT_EQ(ma_engine_get_volume(rig.manager().getEngine()), 2.0f);
}

TEST(AudioManagerPlaybackTest, DistanceRangesFollowTheBoardScale) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  EXPECT_FLOAT_EQ(rig.manager().soundConfig(SOUND_MOVE)->minDistance, 0.2f);  // as loaded
  rig.manager().applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, true, "miniaudio", true, "", false);
  EXPECT_NEAR(rig.manager().soundConfig(SOUND_MOVE)->minDistance, 0.15f, 1e-5f);
  EXPECT_NEAR(rig.manager().soundConfig(SOUND_MOVE)->maxDistance, 2.7997f, 1e-4f);
  EXPECT_NEAR(rig.manager().soundConfig(SOUND_CURSOR)->maxDistance, 2.4384f, 1e-4f);
  // Flat entries keep the loader's range.
  EXPECT_FLOAT_EQ(rig.manager().soundConfig(SOUND_CHECK)->maxDistance, 1.5f);
}

}  // namespace
}  // namespace Tavrune
