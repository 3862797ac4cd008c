// The window's sound as a player hears it, with the window's audio manager on a back end
// whose mix the test reads: where the cursor ticks, a start after a failed one, and the
// music going on by itself.
#include <gtest/gtest.h>

#include "app/ScratchFolder.h"
#include "app/WindowTestRig.h"
#include "audio/AudioManager.h"
#include "audio/NoDeviceBackend.h"
#include "audio/SoundType.h"
#include "audio/WavFile.h"

namespace Tavrune {
namespace {

using Test::BackendProbe;
using Test::ChannelLevels;
using Test::measureLevels;
using Test::NoDeviceBackend;
using Test::SavedSettings;
using Test::ScratchFolder;
using Test::WindowTestRig;

constexpr WPARAM kTwoPlayerMode = 200;
constexpr WPARAM kStopOrResume = 209;

std::string tone(double seconds, double level) {
  const uint32_t rate = NoDeviceBackend::SAMPLE_RATE;
  return Test::wavBytes(Test::sineSamples(seconds, 1000.0, level, 1, rate), 1, rate);
}

class WindowAudioTest : public ::testing::Test {
 protected:
  WindowAudioTest() : rig(settings()), sounds("window-sounds"), probe(std::make_shared<BackendProbe>()) {
    for (const SoundTableEntry& entry : SOUND_TABLE) {
      sounds.writeFile(std::string("data/sounds/default/") + entry.fileName, tone(0.2, 0.1));
    }
    AudioManager& audio = rig.window().audio();
    audio.setFolderSource([this] { return AudioFolders{sounds.utf8("data"), sounds.utf8("app"), sounds.utf8("install")}; });
    audio.setBackendFactory([this](AudioBackendType) { return std::make_unique<NoDeviceBackend>(probe, "miniaudio"); });
  }

  static SavedSettings settings() {
    SavedSettings saved;
    saved.player2Scheme = 1;  // ZXCV: C moves the second cursor left
    return saved;
  }

  void command(WPARAM id) { SendMessageW(rig.window().handle(), WM_COMMAND, id, 0); }
  void key(UINT virtualKey, int times = 1) {
    for (int i = 0; i < times; ++i) SendMessageW(rig.window().handle(), WM_KEYDOWN, virtualKey, 0);
  }
  // Reads the next stretch of the mix, which also moves the sounds on.
  ChannelLevels heard(double seconds) {
    return measureLevels(NoDeviceBackend::render(rig.window().audio().getEngine(),
                                                 static_cast<size_t>(seconds * NoDeviceBackend::SAMPLE_RATE)));
  }

  WindowTestRig rig;
  ScratchFolder sounds;
  std::shared_ptr<BackendProbe> probe;
};

TEST_F(WindowAudioTest, EachCursorTicksAtItsPointOnTheBoard) {
  ASSERT_TRUE(rig.create());
  command(kTwoPlayerMode);
  heard(0.5);  // the start sound
  struct Case {
    const char* cursor;
    UINT key;
  };
  // Both cursors start on file 4; four steps reach file 0, on the left of a red player.
  for (const Case& c : {Case{"main", VK_LEFT}, Case{"second", 'C'}}) {
    key(c.key, 3);
    heard(0.5);
    key(c.key);
    const ChannelLevels levels = heard(0.25);
    ASSERT_GT(levels.peak, 0.01) << c.cursor;
    EXPECT_GT(levels.left, 1.5 * levels.right) << c.cursor;
  }
}

TEST_F(WindowAudioTest, AStartAfterAFailedOnePlays) {
  ASSERT_TRUE(rig.create());
  probe->failInitialize = true;
  command(kTwoPlayerMode);
  EXPECT_FALSE(rig.window().audio().isInitialized());
  command(kStopOrResume);
  probe->failInitialize = false;
  command(kStopOrResume);  // resumed: the audio starts this time
  ASSERT_TRUE(rig.window().audio().isInitialized());
  key(VK_LEFT);
  EXPECT_GT(heard(0.25).peak, 0.01);
}

TEST_F(WindowAudioTest, TheNextTrackStartsWithoutInput) {
  sounds.writeFile("data/sounds/bg/a.wav", tone(0.1, 0.1));
  sounds.writeFile("data/sounds/bg/b.wav", tone(5.0, 0.1));
  ASSERT_TRUE(rig.create());
  command(kTwoPlayerMode);
  AudioManager& audio = rig.window().audio();
  ASSERT_EQ(audio.currentMusicTrack(), sounds.utf8("data/sounds/bg/a.wav"));
  heard(0.3);  // the first track has ended
  EXPECT_TRUE(rig.pumpUntil([&] { return audio.currentMusicTrack() == sounds.utf8("data/sounds/bg/b.wav"); }, 2000))
      << audio.currentMusicTrack();
}

}  // namespace
}  // namespace Tavrune
