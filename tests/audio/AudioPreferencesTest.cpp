#include <windows.h>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "ManagerTestRig.h"
#include "audio/LegacySoundPathFile.h"
#include "audio/Utf8Path.h"
#include "core/TextConversion.h"

namespace Tavrune {
namespace {

using Test::LogCapture;
using Test::ManagerTestRig;
using Test::TempFolder;

void writeIni(const std::string& path, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  std::filesystem::create_directories(pathFromUtf8(path).parent_path());
  ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, utf8ToWide(path).c_str()));
}

TEST(AudioPreferencesTest, LegacyIniWrittenByTheProfileFunctionsIsReadBack) {
  TempFolder folder("ini");
  const std::string ascii = folder.utf8("a/audio.ini");
  writeIni(ascii, L"SoundPaths", L"SoundPackPath", L"sounds\\classic");
  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(ascii), "sounds/classic");

  // The profile functions keep Unicode only in a file that starts as UTF-16.
  const std::string unicode = folder.writeFile("u/audio.ini", std::string("\xFF\xFE", 2));
  writeIni(unicode, L"SoundPaths", L"SoundPackPath", L"sounds\\古典");
  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(unicode), "sounds/古典");

  const std::string otherSection = folder.utf8("b/audio.ini");
  writeIni(otherSection, L"Other", L"SoundPackPath", L"sounds/x");
  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(otherSection), "sounds/default");  // found, default value

  const std::string emptyValue = folder.utf8("c/audio.ini");
  writeIni(emptyValue, L"SoundPaths", L"SoundPackPath", L"");
  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(emptyValue), "sounds/default");

  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(folder.utf8("missing/audio.ini")), std::nullopt);
  EXPECT_EQ(LegacySoundPathFile::readSoundPackPathFromIni(""), std::nullopt);
}

TEST(AudioPreferencesTest, ThePackComesFromConfigThenTheFirstIniThenTheDefault) {
  ManagerTestRig rig(R"({"BackendType": "miniaudio"})");
  rig.folder().writeFile("app/sounds/from_ini/move.wav", "x");
  rig.folder().writeFile("data/sounds/from_json/move.wav", "x");
  writeIni(rig.folder().utf8("app/config/audio.ini"), L"SoundPaths", L"SoundPackPath", L"sounds\\from_ini");
  writeIni(rig.folder().utf8("install/config/audio.ini"), L"SoundPaths", L"SoundPackPath", L"sounds\\unused");
  const auto packFolderOf = [&] {
    return utf8FromPath(pathFromUtf8(rig.manager().soundConfig(SOUND_MOVE)->filePath).parent_path().filename());
  };
  {
    LogCapture log;
    ASSERT_TRUE(rig.initialize());
    EXPECT_TRUE(log.contains("Audio sound pack loaded from audio.ini fallback: sounds/from_ini"));
    EXPECT_EQ(packFolderOf(), "from_ini");
    EXPECT_TRUE(log.contains("Sound validation failed: 12 sound file(s) missing"));
    rig.manager().shutdown();
  }
  {
    rig.writeConfig(R"({"BackendType": "miniaudio", "SoundPackPath": "sounds\\from_json"})");
    LogCapture log;
    ASSERT_TRUE(rig.initialize());
    EXPECT_TRUE(log.contains("Audio sound pack loaded from config.json: sounds/from_json"));
    EXPECT_EQ(packFolderOf(), "from_json");
    rig.manager().shutdown();
  }
  {
    rig.writeConfig(R"({"BackendType": "miniaudio", "SoundPackPath": "sounds/nowhere"})");
    LogCapture log;
    ASSERT_TRUE(rig.initialize());
    EXPECT_EQ(packFolderOf(), "default");  // the data folder's default pack
    EXPECT_TRUE(log.contains("All sound files validated successfully"));
  }
}

TEST(AudioPreferencesTest, TheBackEndIsChosenFromThePreferencesWithFallback) {
  struct Case {
    std::string audioJson;
    std::vector<AudioBackendType> kinds;
  };
  const Case cases[] = {
      {R"({"BackendType": "miniaudio"})", {AUDIO_BACKEND_MINIAUDIO}},
      {R"({"BackendType": "auto"})", {AUDIO_BACKEND_OPENAL_SOFT}},
      {R"({})", {AUDIO_BACKEND_OPENAL_SOFT}},
      {R"({"BackendType": "openal", "ForceAccessibilityChannel": true})", {AUDIO_BACKEND_MINIAUDIO}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.audioJson);
    ManagerTestRig rig(c.audioJson);
    ASSERT_TRUE(rig.initialize());
    EXPECT_EQ(rig.requestedKinds(), c.kinds);
  }

  // Preferences stored by the settings win over the file from then on.
  ManagerTestRig rig(R"({"BackendType": "miniaudio"})");
  ASSERT_TRUE(rig.initialize());
  LogCapture log;
  rig.manager().applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, true, "openal_soft", true, "", false);
  EXPECT_TRUE(log.contains("Audio backend recovery triggered: backend preferences changed"));
  EXPECT_EQ(rig.requestedKinds(), (std::vector<AudioBackendType>{AUDIO_BACKEND_MINIAUDIO, AUDIO_BACKEND_OPENAL_SOFT}));
  EXPECT_EQ(rig.manager().backendName(), "openal_soft (bridge=test-no-device)");
  // The same preferences again rebuild nothing; a new preferred HRTF name rebuilds once.
  rig.manager().applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, true, "OpenAL-Soft", true, "", false);
  EXPECT_EQ(log.count("Audio backend recovery triggered"), 1);
  rig.manager().applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, true, "openal_soft", true, "x", false);
  EXPECT_EQ(log.count("Audio backend recovery triggered"), 2);
  rig.manager().shutdown();
  ASSERT_TRUE(rig.initialize());
  EXPECT_EQ(rig.requestedKinds().size(), 2u);  // the stored openal_soft back end is reused
}

TEST(AudioPreferencesTest, AFailingPrimaryFallsBackToMiniaudioWithOneWarning) {
  ManagerTestRig rig(R"({})");
  {
    std::lock_guard<std::mutex> guard(rig.probe().lock);
    rig.probe().failInitialize = true;
  }
  LogCapture log;
  EXPECT_FALSE(rig.initialize());  // both fail here
  EXPECT_EQ(log.count("Primary audio backend init failed: openal_soft, fallback to miniaudio"), 1);
  EXPECT_TRUE(log.contains("Failed to initialize fallback audio backend: miniaudio"));
  EXPECT_FALSE(rig.manager().isInitialized());
  {
    std::lock_guard<std::mutex> guard(rig.probe().lock);
    rig.probe().failInitialize = false;
  }
  log.clear();
  EXPECT_TRUE(rig.initialize());
  EXPECT_TRUE(log.contains("Audio system initialized successfully with backend: openal_soft (bridge=test-no-device)"));
  log.clear();
  EXPECT_TRUE(rig.initialize());
  EXPECT_EQ(log.lines().size(), 1u);
  EXPECT_TRUE(log.contains("AudioManager already initialized"));
}

TEST(AudioPreferencesTest, TheListenerFacesTheOpponentsSide) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  LogCapture log;
  rig.manager().updateListener(BLACK);
  EXPECT_TRUE(log.contains("Listener updated: position=(0, 0, 0), forward=(0.000000, 0.000000, 1.000000)"));
  EXPECT_FLOAT_EQ(ma_engine_listener_get_direction(rig.manager().getEngine(), 0).z, 1.0f);
  rig.manager().updateListener(RED);
  EXPECT_FLOAT_EQ(ma_engine_listener_get_direction(rig.manager().getEngine(), 0).z, -1.0f);
  EXPECT_FLOAT_EQ(rig.probe().lastForward.z, -1.0f);
}

}  // namespace
}  // namespace Tavrune
