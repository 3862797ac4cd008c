// The window's sound as heard from its audio manager's mix, on a back end without a device.
#include <gtest/gtest.h>

#include "app/CapturedLog.h"
#include "app/DialogWatcher.h"
#include "app/OpeningMoves.h"
#include "app/WindowTestRig.h"
#include "audio/AudioManager.h"
#include "audio/NoDeviceBackend.h"
#include "audio/WavFile.h"

namespace Tavrune {
namespace {

using namespace Test;

class WindowAudioTest : public ::testing::Test {
 protected:
  WindowAudioTest() : rig(SavedSettings{{}, 1, {}, {}, {}}), sounds("window-sounds"), probe(std::make_shared<BackendProbe>()) {
    for (const SoundTableEntry& entry : SOUND_TABLE)
      sounds.writeFile(std::string("sounds/default/") + entry.fileName, tone(0.2));
    rig.window().audio().setFolderSource([this] { return AudioFolders{sounds.utf8(), "", sounds.utf8()}; });
    rig.window().audio().setBackendFactory(
        [this](AudioBackendType) { return std::make_unique<NoDeviceBackend>(probe, "miniaudio"); });
  }
  static std::string tone(double seconds) {
    return wavBytes(sineSamples(seconds, 1000.0, 0.1, 1, NoDeviceBackend::SAMPLE_RATE), 1,
                    NoDeviceBackend::SAMPLE_RATE);
  }
  void send(UINT message, WPARAM id, int times = 1) {
    for (int i = 0; i < times; ++i) SendMessageW(rig.window().handle(), message, id, 0);
  }
  // The next stretch of the mix; reading it also moves the sounds on.
  ChannelLevels heard(double seconds) {
    return measureLevels(
        NoDeviceBackend::render(rig.window().audio().getEngine(), size_t(seconds * NoDeviceBackend::SAMPLE_RATE)));
  }

  WindowTestRig rig;
  ScratchFolder sounds;
  std::shared_ptr<BackendProbe> probe;
};

TEST_F(WindowAudioTest, BothCursorsTickAtTheirPointAndAStartAfterAFailedOnePlays) {
  ASSERT_TRUE(rig.create());
  probe->failInitialize = true;
  send(WM_COMMAND, 200);  // a two-player game, without sound
  send(WM_COMMAND, 209);  // stopped
  probe->failInitialize = false;
  send(WM_COMMAND, 209);  // resumed, with sound
  // Both cursors start on file 4; file 0 is on the left of a red player. Scheme 1: C is left.
  for (const UINT left : {UINT(VK_LEFT), UINT('C')}) {
    send(WM_KEYDOWN, left, 3);
    heard(0.5);
    send(WM_KEYDOWN, left);
    const ChannelLevels levels = heard(0.25);
    ASSERT_GT(levels.peak, 0.01) << left;
    EXPECT_GT(levels.left, 1.5 * levels.right) << left;
  }
}

TEST_F(WindowAudioTest, TheNextTrackStartsWithoutInput) {
  sounds.writeFile("sounds/bg/a.wav", tone(0.1));
  sounds.writeFile("sounds/bg/b.wav", tone(5.0));
  ASSERT_TRUE(rig.create());
  send(WM_COMMAND, 200);
  ASSERT_EQ(rig.window().audio().currentMusicTrack(), sounds.utf8("sounds/bg/a.wav"));
  heard(0.3);  // past the first track's end
  EXPECT_TRUE(
      rig.pumpUntil([&] { return rig.window().audio().currentMusicTrack() == sounds.utf8("sounds/bg/b.wav"); }));
}

TEST_F(WindowAudioTest, SoundSwitchedOnDuringAGameStartsItsAudioAndBringsItsMusicBack) {
  sounds.writeFile("sounds/bg/a.wav", tone(5.0));
  ASSERT_TRUE(rig.create());
  AudioManager& audio = rig.window().audio();
  const std::string track = sounds.utf8("sounds/bg/a.wav");
  send(WM_KEYDOWN, VK_F8);  // sound off with no game: the game starts without audio
  send(WM_COMMAND, 200);
  ASSERT_FALSE(audio.isInitialized());
  send(WM_KEYDOWN, VK_F8);
  EXPECT_EQ(audio.currentMusicTrack(), track);
  // Sound off in a review and on after it; off before the next game and on in it.
  ASSERT_TRUE(rig.window().makeMove(kRedCannon));
  send(WM_COMMAND, 205);
  rig.pumpFor(100);
  send(WM_KEYDOWN, VK_F8);
  send(WM_COMMAND, 205);
  send(WM_KEYDOWN, VK_F8);
  EXPECT_EQ(audio.currentMusicTrack(), track);
  send(WM_COMMAND, 209);
  send(WM_KEYDOWN, VK_F8);
  DialogWatcher dropStopped(L"确认操作", [](HWND box) { DialogWatcher::press(box, IDYES); });
  send(WM_COMMAND, 200);
  send(WM_KEYDOWN, VK_F8);
  EXPECT_EQ(audio.currentMusicTrack(), track);
}

TEST_F(WindowAudioTest, NothingStartsTheGamesMusicInAReviewAndLeavingItDoes) {
  sounds.writeFile("sounds/bg/a.wav", tone(5.0));
  ASSERT_TRUE(rig.create());
  AudioManager& audio = rig.window().audio();
  send(WM_COMMAND, 200);
  ASSERT_TRUE(rig.window().makeMove(kRedCannon));
  send(WM_COMMAND, 205);
  ASSERT_TRUE(rig.pumpUntil([&] { return audio.currentMusicTrack().empty(); }));
  SettingsSession session = rig.window().openSettingsSession();
  ASSERT_TRUE(session.executor);
  const auto set = [&](const char* key, Settings::SettingValue value) {
    EXPECT_TRUE(session.executor->execute(key, value).ok) << key;
  };
  CapturedLog log;
  const std::pair<const char*, std::function<void()>> paths[] = {
      {"F8 off and on", [&] { send(WM_KEYDOWN, VK_F8, 2); }},
      {"music off and on", [&] { set("audio.backgroundMusicEnabled", false), set("audio.backgroundMusicEnabled", true); }},
      {"sound off and on", [&] { set("audio.enabled", false), set("audio.enabled", true); }},
      {"HRTF off", [&] { set("audio.hrtfEnabled", false); }},
      {"back end", [&] { set("audio.backendType", std::string("miniaudio")); }},
      {"effects volume", [&] { set("audio.gameSfxVolumePercent", int64_t{50}); }},
      {"recovery", [&] { audio.recoverBackend("test"); }},
  };
  for (const auto& [name, path] : paths) {
    path();
    EXPECT_EQ(audio.currentMusicTrack(), "") << name;
  }
  send(WM_COMMAND, 205);
  EXPECT_EQ(audio.currentMusicTrack(), sounds.utf8("sounds/bg/a.wav"));
  EXPECT_EQ(log.count("Playing background music"), 1);
}

}  // namespace
}  // namespace Tavrune
