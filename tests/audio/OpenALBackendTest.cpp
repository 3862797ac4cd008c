#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "NoDeviceBackend.h"
#include "support/TempFolder.h"
#include "WavFile.h"
#include "audio/AudioManager.h"
#include "audio/OpenALBackend.h"
#include "audio/RuntimeStatus.h"
#include "core/TextConversion.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;

// OpenAL Soft renders into a wave file instead of a device: its own config file, named
// by ALSOFT_CONF, picks the wave writer. OpenAL Soft reads its config once per process,
// so every test shares one output file, rewritten each time a device opens and complete
// once it closes.
class WaveOutput {
 public:
  static WaveOutput& instance() {
    static WaveOutput output;
    return output;
  }

  WavContent read() const {
    std::ifstream input(std::filesystem::path(utf8ToWide(wavePath_)), std::ios::binary);
    std::stringstream bytes;
    bytes << input.rdbuf();
    return readWav16(bytes.str());
  }

 private:
  WaveOutput() : folder_("openal-wave") {
    wavePath_ = folder_.utf8("out.wav");
    const std::string conf =
        "[general]\r\ndrivers = wave\r\nchannels = stereo\r\nfrequency = 48000\r\nsample-type = int16\r\n"
        "[wave]\r\nfile = " + wavePath_ + "\r\n";
    _wputenv_s(L"ALSOFT_CONF", utf8ToWide(folder_.writeFile("alsoft.conf", conf)).c_str());
  }

  TempFolder folder_;
  std::string wavePath_;
};

constexpr uint32_t RATE = 48000;

std::string toneFile(TempFolder& folder, const std::string& name, uint32_t channels, double seconds = 0.3) {
  return folder.writeFile(name, wavBytes(sineSamples(seconds, 1000.0, 0.3, channels, RATE), channels, RATE));
}

OneShotRequest placedAt(Vec3 position) {
  OneShotRequest request;
  request.spatial = true;
  request.position = position;
  request.volume = 1.0f;
  request.minDistance = 0.2f;
  request.maxDistance = 3.0f;
  request.rolloff = 0.2f;
  return request;
}

// The rendered samples from the first sound on, as interleaved stereo.
std::vector<float> fromOnset(const WavContent& wav) {
  size_t at = 0;
  while (at + 1 < wav.samples.size() && std::fabs(wav.samples[at]) < 1e-3f && std::fabs(wav.samples[at + 1]) < 1e-3f) {
    at += 2;
  }
  return std::vector<float>(wav.samples.begin() + static_cast<ptrdiff_t>(at), wav.samples.end());
}

std::vector<float> window(const std::vector<float>& stereo, double fromSeconds, double toSeconds) {
  const size_t from = std::min(stereo.size(), static_cast<size_t>(fromSeconds * RATE) * 2);
  const size_t to = std::min(stereo.size(), static_cast<size_t>(toSeconds * RATE) * 2);
  return std::vector<float>(stereo.begin() + static_cast<ptrdiff_t>(from), stereo.begin() + static_cast<ptrdiff_t>(to));
}

AudioBackendConfig withHrtf(bool enabled, const std::string& preferred = {}) {
  AudioBackendConfig config;
  config.hrtfEnabled = enabled;
  config.hrtfPreferred = preferred;
  return config;
}

TEST(OpenALBackendTest, TheSummaryNamesTheDeviceAndTheHrtfOutcome) {
  struct Case {
    bool hrtf;
    std::string preferred;
    std::string expectedTail;
  };
  const Case cases[] = {
      {false, "", "hrtfExt=1, hrtfRequested=0, hrtfStatus=disabled, mode=openal-oneshot+miniaudio-bg"},
      {true, "", "hrtfExt=1, hrtfRequested=1, hrtfStatus=enabled, mode=openal-oneshot+miniaudio-bg"},
      {true, " \tBuilt-In HRTF\r\n", "hrtfStatus=enabled, hrtfPreferred='Built-In HRTF', mode=openal-oneshot+miniaudio-bg"},
      {true, "built-in hrtf", "hrtfStatus=enabled, hrtfPreferredNotFound='built-in hrtf', mode="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preferred);
    WaveOutput::instance();
    LogCapture log;
    OpenALBackend backend;
    ASSERT_TRUE(backend.initialize(withHrtf(c.hrtf, c.preferred)));
    const std::string status = backend.getRuntimeStatus();
    EXPECT_EQ(status.rfind("device='", 0), 0u) << status;
    EXPECT_NE(status.find(c.expectedTail), std::string::npos) << status;
    EXPECT_TRUE(log.contains("OpenAL backend initialized: " + status));
    EXPECT_STREQ(backend.getName(), "openal_soft");
    EXPECT_NE(backend.getEngine(), nullptr);
  }
}

TEST(OpenALBackendTest, OneShotsAreRenderedWhereTheyArePlaced) {
  struct Case {
    const char* name;
    uint32_t channels;
    bool spatial;
    float x;
    const char* status;
    int louder;  // -1 left, 0 even, +1 right
  };
  const Case cases[] = {
      {"mono left", 1, true, -1.0f, "play-ok-3d", -1},
      {"mono right", 1, true, 1.0f, "play-ok-3d", +1},
      {"mono flat", 1, false, -1.0f, "play-ok-2d", 0},
      {"stereo placed", 2, true, -1.0f, "play-ok-3d", -1},  // downmixed: OpenAL places mono only
      {"stereo flat", 2, false, 1.0f, "play-ok-2d", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder("openal-play");
    WaveOutput& output = WaveOutput::instance();
    const std::string file = toneFile(folder, "tone.wav", c.channels);
    LogCapture log;
    OpenALBackend backend;
    ASSERT_TRUE(backend.initialize(withHrtf(false)));
    OneShotRequest request = placedAt({c.x, 0.0f, -0.5f});
    request.spatial = c.spatial;
    EXPECT_TRUE(backend.playOneShot(file, request));
    EXPECT_NE(backend.getRuntimeStatus().find(std::string("runtimeStatus=") + c.status), std::string::npos);
    EXPECT_EQ(log.contains("OpenAL 3D source downmixed stereo->mono: " + file), c.channels == 2 && c.spatial);
    std::this_thread::sleep_for(400ms);
    backend.shutdown();
    const ChannelLevels levels = measureLevels(output.read().samples);
    ASSERT_GT(levels.peak, 0.05);
    if (c.louder < 0) {
      EXPECT_GT(levels.left, 3.0 * levels.right);
    } else if (c.louder > 0) {
      EXPECT_GT(levels.right, 3.0 * levels.left);
    } else {
      EXPECT_NEAR(levels.left / levels.right, 1.0, 0.05);
    }
  }
}

TEST(OpenALBackendTest, WithHrtfAPlacedSoundStillLeansToItsSide) {
  TempFolder folder("openal-hrtf");
  WaveOutput& output = WaveOutput::instance();
  const std::string file = toneFile(folder, "tone.wav", 1);
  OpenALBackend backend;
  ASSERT_TRUE(backend.initialize(withHrtf(true)));
  EXPECT_TRUE(backend.playOneShot(file, placedAt({1.0f, 0.0f, -0.5f})));
  std::this_thread::sleep_for(400ms);
  backend.shutdown();
  const ChannelLevels levels = measureLevels(output.read().samples);
  ASSERT_GT(levels.peak, 0.02);
  EXPECT_GT(levels.right, 1.5 * levels.left);
}

TEST(OpenALBackendTest, AGlideMovesTheSourceToItsEndAndStopsThere) {
  TempFolder folder("openal-glide");
  WaveOutput& output = WaveOutput::instance();
  const std::string file = toneFile(folder, "long.wav", 1, 0.6);
  OpenALBackend backend;
  ASSERT_TRUE(backend.initialize(withHrtf(false)));
  OneShotRequest request = placedAt({-1.5f, 0.0f, -0.3f});
  request.moving = true;
  request.endPosition = {1.5f, 0.0f, -0.3f};
  request.glideMs = 140;
  EXPECT_TRUE(backend.playOneShot(file, request));
  std::this_thread::sleep_for(700ms);
  backend.shutdown();
  const std::vector<float> sound = fromOnset(output.read());
  const ChannelLevels start = measureLevels(window(sound, 0.0, 0.04));
  const ChannelLevels end = measureLevels(window(sound, 0.3, 0.55));
  EXPECT_GT(start.left, 2.0 * start.right);
  EXPECT_GT(end.right, 3.0 * end.left);

  // Without placement a glide request does not move anything.
  TempFolder flatFolder("openal-flat-glide");
  WaveOutput& flatOutput = WaveOutput::instance();
  const std::string flatFile = toneFile(flatFolder, "long.wav", 1, 0.6);
  ASSERT_TRUE(backend.initialize(withHrtf(false)));
  request.spatial = false;
  EXPECT_TRUE(backend.playOneShot(flatFile, request));
  std::this_thread::sleep_for(700ms);
  backend.shutdown();
  const ChannelLevels flat = measureLevels(window(fromOnset(flatOutput.read()), 0.3, 0.55));
  EXPECT_NEAR(flat.left / flat.right, 1.0, 0.05);
}

TEST(OpenALBackendTest, FilesItCannotPlayAreRefusedWithACode) {
  TempFolder folder("openal-refuse");
  WaveOutput::instance();
  const std::string sixChannels = toneFile(folder, "six.wav", 6, 0.05);
  const std::string garbage = folder.writeFile("garbage.wav", "RIFF....WAVEjunk");
  struct Case {
    std::string path;
    std::string code;
    std::string warning;
  };
  const Case cases[] = {
      {sixChannels, "unsupported-channels-6", "OpenAL unsupported channel count, fallback to miniaudio: 6"},
      {garbage, "decode-failed", "OpenAL decode failed, fallback to miniaudio: " + garbage},
      {folder.utf8("missing.wav"), "decode-failed", "OpenAL decode failed, fallback to miniaudio: "},
      {"", "decode-failed", "OpenAL decode failed, fallback to miniaudio: "},
  };
  OpenALBackend backend;
  EXPECT_FALSE(backend.playOneShot(sixChannels, placedAt({})));
  EXPECT_EQ(backend.getRuntimeStatus(), "runtimeStatus=not-initialized");
  EXPECT_EQ(backend.getEngine(), nullptr);
  ASSERT_TRUE(backend.initialize(withHrtf(false)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    LogCapture log;
    EXPECT_FALSE(backend.playOneShot(c.path, placedAt({})));
    EXPECT_EQ(extractRuntimeStatus(backend.getRuntimeStatus()), c.code);
    EXPECT_TRUE(log.contains(c.warning));
  }
  backend.shutdown();
  EXPECT_EQ(backend.getEngine(), nullptr);
  EXPECT_FALSE(backend.isInitialized());
}

TEST(OpenALBackendTest, InitialisingAgainReleasesTheFirstDevice) {
  TempFolder folder("openal-again");
  WaveOutput::instance();
  const std::string file = toneFile(folder, "tone.wav", 1);
  OpenALBackend backend;
  ASSERT_TRUE(backend.initialize(withHrtf(false)));
  ASSERT_TRUE(backend.initialize(withHrtf(true)));  // must not leak the first thread or device
  EXPECT_NE(backend.getRuntimeStatus().find("hrtfRequested=1"), std::string::npos);
  EXPECT_TRUE(backend.playOneShot(file, placedAt({-1.0f, 0.0f, -0.5f})));
  std::this_thread::sleep_for(200ms);
}

TEST(OpenALBackendTest, TheDownmixAveragesPairsAndRefusesOddCounts) {
  std::vector<int16_t> samples = {100, 300, -32768, -32768, 32767, -32768, 1, 2};
  ASSERT_TRUE(OpenALBackend::downmixToMono(samples));
  EXPECT_EQ(samples, (std::vector<int16_t>{200, -32768, 0, 1}));
  std::vector<int16_t> odd = {1, 2, 3};
  EXPECT_FALSE(OpenALBackend::downmixToMono(odd));
  std::vector<int16_t> one = {1};
  EXPECT_FALSE(OpenALBackend::downmixToMono(one));
}

TEST(OpenALBackendTest, TheManagerPrefersOpenALAndPlaysEffectsThroughIt) {
  TempFolder folder("openal-manager");
  WaveOutput& output = WaveOutput::instance();
  for (const SoundTableEntry& entry : SOUND_TABLE) {
    toneFile(folder, std::string("data/sounds/default/") + entry.fileName, 1, 0.2);
  }
  const std::string config = folder.writeFile("data/config/config.json", R"({"Audio": {"HrtfEnabled": false}})");
  LogCapture log;
  {
    AudioManager manager;
    manager.setFolderSource([&] { return AudioFolders{folder.utf8("data"), folder.utf8("app"), folder.utf8("install")}; });
    ASSERT_TRUE(manager.initialize(config));
    EXPECT_EQ(manager.backendName().rfind("openal_soft (device='", 0), 0u) << manager.backendName();
    EXPECT_NE(manager.getEngine(), nullptr);  // the bridge engine
    manager.updateListener(RED);
    manager.playCursorSound({8, 5}, RED);
    EXPECT_FALSE(log.contains("Backend one-shot failed"));
    std::this_thread::sleep_for(300ms);
  }
  const ChannelLevels levels = measureLevels(output.read().samples);
  ASSERT_GT(levels.peak, 0.01);
  EXPECT_GT(levels.right, 1.5 * levels.left);
}

}  // namespace
}  // namespace Tavrune::Test
