#include <gtest/gtest.h>

#include "LogCapture.h"
#include "ManagerTestRig.h"
#include "WavFile.h"

namespace Tavrune {
namespace {

using Test::LogCapture;
using Test::ManagerTestRig;
using Test::ChannelLevels;
using Test::measureLevels;
using Test::NoDeviceBackend;
using Test::levelSamples;
using Test::wavBytes;

std::string levelTrack(double seconds, double level) {
  return wavBytes(levelSamples(seconds, level, 1, NoDeviceBackend::SAMPLE_RATE), 1,
                        NoDeviceBackend::SAMPLE_RATE);
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Music on, effects silent, default volumes.
void applyMusicSettings(ManagerTestRig& rig, float master, float background, bool music = true) {
  rig.manager().applySettings(master, 0.15f, 0.15f, 0.3f, 1.0f, background, true, music, true, "miniaudio", true, "",
                              false);
}

TEST(AudioManagerMusicTest, TracksPlayInTurnSkippingOnesThatDoNotLoad) {
  ManagerTestRig rig;
  rig.folder().writeFile("data/sounds/bg/a.wav", levelTrack(0.05, 0.1));
  rig.folder().writeFile("data/sounds/bg/b.ogg", "OggS not really");  // listed, fails to load
  rig.folder().writeFile("install/sounds/bg/c.wav", levelTrack(0.05, 0.2));
  rig.folder().writeFile("install/sounds/bg/readme.txt", "not music");
  ASSERT_TRUE(rig.initialize());
  LogCapture log;
  applyMusicSettings(rig, 1.0f, 0.5f);
  rig.manager().startBackgroundMusic();
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));
  EXPECT_TRUE(log.contains("Playing background music [1/3]: "));
  EXPECT_TRUE(log.contains("Background music scan complete: 3 files found"));

  rig.manager().updateBackgroundMusic();  // still playing: nothing happens
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));
  rig.render(0.08);
  rig.manager().updateBackgroundMusic();
  EXPECT_TRUE(log.contains("Background music finished, playing next track"));
  EXPECT_TRUE(log.contains("Failed to load background music: "));
  EXPECT_TRUE(log.contains("b.ogg (error: "));
  EXPECT_TRUE(log.contains("Playing background music [3/3]: "));
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "c.wav"));

  rig.render(0.08);
  rig.manager().updateBackgroundMusic();  // wraps round to the first
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));

  log.clear();
  rig.manager().stopBackgroundMusic();
  EXPECT_TRUE(log.contains("Background music stopped"));
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  log.clear();
  rig.manager().stopBackgroundMusic();  // nothing plays: not even a log line
  EXPECT_TRUE(log.lines().empty());
}

TEST(AudioManagerMusicTest, TrackVolumeIsBackgroundTimesMasterUnderTheEngineVolume) {
  ManagerTestRig rig;
  rig.folder().writeFile("data/sounds/bg/long.wav", levelTrack(2.0, 0.1));
  ASSERT_TRUE(rig.initialize());
  applyMusicSettings(rig, 1.0f, 1.0f);
  rig.manager().startBackgroundMusic();
  rig.render(0.02);
  const double full = measureLevels(rig.render(0.05)).peak;
  ASSERT_GT(full, 0.01);
  struct Case {
    float master;
    float background;
  };
  const Case cases[] = {{0.8f, 0.5f}, {0.5f, 1.0f}, {1.0f, 0.25f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "master " << c.master << " background " << c.background);
    rig.manager().setMasterVolume(c.master);
    rig.manager().setBackgroundVolume(c.background);
    rig.render(0.02);
    const double expected = full * (c.background * c.master) * (2.0 * c.master) / 2.0;
    EXPECT_NEAR(measureLevels(rig.render(0.05)).peak, expected, 0.01 * full + 1e-3);
  }
}

TEST(AudioManagerMusicTest, NoTrackIsLeftOnTheEngineWhenARestartFindsNothing) {
  ManagerTestRig rig;
  rig.folder().writeFile("data/sounds/bg/a.wav", levelTrack(0.05, 0.1));
  ASSERT_TRUE(rig.initialize());
  applyMusicSettings(rig, 1.0f, 0.5f);
  rig.manager().startBackgroundMusic();
  ASSERT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));

  // The folder is emptied and the music restarted: the old track plays on alone.
  std::filesystem::remove_all(rig.folder().path() / "data" / "sounds" / "bg");
  LogCapture log;
  rig.manager().startBackgroundMusic();
  EXPECT_TRUE(log.contains("No background music files found in sounds/bg directory"));
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));

  // At its end the music goes off, and the track is released with it, so the engine
  // can be shut down with nothing attached.
  rig.render(0.08);
  rig.manager().updateBackgroundMusic();
  EXPECT_TRUE(log.contains("No background music files available"));
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  rig.manager().shutdown();
  EXPECT_TRUE(rig.initialize());
}

TEST(AudioManagerMusicTest, TheMusicSwitchStartsAndStopsOnlyARunningManager) {
  ManagerTestRig rig;
  rig.folder().writeFile("app/sounds/bg/a.wav", levelTrack(1.0, 0.1));
  LogCapture log;
  rig.manager().setBackgroundMusicEnabled(true);  // not initialised yet: only stored
  EXPECT_TRUE(log.contains("Background music enabled: 1"));
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");

  ASSERT_TRUE(rig.initialize());
  // No game has asked for music: the switch, a settings push and a rebuild start none.
  rig.manager().setBackgroundMusicEnabled(true);
  applyMusicSettings(rig, 1.0f, 0.5f);
  rig.manager().recoverBackend("test");
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  rig.manager().startBackgroundMusic();
  rig.manager().recoverBackend("test");  // the rebuild brings back the music that played
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));
  rig.manager().setBackgroundMusicEnabled(false);
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  rig.manager().startBackgroundMusic();  // switched off: no start
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  rig.manager().setBackgroundMusicEnabled(true);
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));

  rig.manager().setEnabled(false);  // the user's audio switch holds the music too
  rig.manager().stopBackgroundMusic();
  rig.manager().startBackgroundMusic();
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");

  rig.manager().setEnabled(true);
  rig.manager().startBackgroundMusic();
  rig.manager().shutdown();  // stops the music with everything else
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
  ASSERT_TRUE(rig.initialize());  // a new pack: the music still wanted plays again
  applyMusicSettings(rig, 1.0f, 0.5f);
  EXPECT_TRUE(endsWith(rig.manager().currentMusicTrack(), "a.wav"));
  rig.manager().stopBackgroundMusic();  // the game ended: after another reload none plays
  rig.manager().shutdown();
  ASSERT_TRUE(rig.initialize());
  applyMusicSettings(rig, 1.0f, 0.5f);
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");
}

}  // namespace
}  // namespace Tavrune
