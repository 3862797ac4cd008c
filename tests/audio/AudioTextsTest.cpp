#include <gtest/gtest.h>

#include "LogCapture.h"
#include "support/TempFolder.h"
#include "audio/AudioBackendType.h"
#include "audio/AudioConfigReader.h"
#include "audio/FallbackCounter.h"
#include "audio/JsonStringField.h"
#include "audio/RuntimeStatus.h"

namespace Tavrune {
namespace {

using Test::LogCapture;
using Test::TempFolder;

TEST(AudioTextsTest, BackendPreferenceTexts) {
  struct Case {
    std::string text;
    AudioBackendType type;
  };
  const Case cases[] = {
      {"miniaudio", AUDIO_BACKEND_MINIAUDIO},  {"MiniAudio", AUDIO_BACKEND_MINIAUDIO},
      {"openal", AUDIO_BACKEND_OPENAL_SOFT},   {"openal_soft", AUDIO_BACKEND_OPENAL_SOFT},
      {"  OpenAL-Soft\r\n", AUDIO_BACKEND_OPENAL_SOFT},
      {"openal soft", AUDIO_BACKEND_AUTO},     {"auto", AUDIO_BACKEND_AUTO},
      {"", AUDIO_BACKEND_AUTO},                {" \t", AUDIO_BACKEND_AUTO},
      {"xaudio2", AUDIO_BACKEND_AUTO},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseBackendType(c.text), c.type) << "'" << c.text << "'";
  }
  EXPECT_EQ(backendTypeName(AUDIO_BACKEND_MINIAUDIO), "miniaudio");
  EXPECT_EQ(backendTypeName(AUDIO_BACKEND_OPENAL_SOFT), "openal_soft");
  EXPECT_EQ(backendTypeName(AUDIO_BACKEND_AUTO), "auto");
}

TEST(AudioTextsTest, RuntimeStatusCodeIsTheItemAfterItsKey) {
  const std::pair<std::string, std::string> cases[] = {
      {"device='x', mode=openal-oneshot+miniaudio-bg, runtimeStatus=play-ok-3d", "play-ok-3d"},
      {"bridge=miniaudio-native", "unknown"},
      {"runtimeStatus=decode-failed, extra=1", "decode-failed"},
      {"a=1, runtimeStatus=", ""},
      {"", "unknown"},
  };
  for (const auto& [text, code] : cases) {
    EXPECT_EQ(extractRuntimeStatus(text), code) << text;
  }
}

TEST(AudioTextsTest, SoundPackPathsUseForwardSlashes) {
  EXPECT_EQ(AudioConfigReader::normalizeSoundPackPath("sounds\\classic"), "sounds/classic");
  EXPECT_EQ(AudioConfigReader::normalizeSoundPackPath("C:\\Packs\\mine"), "C:/Packs/mine");
  EXPECT_EQ(AudioConfigReader::normalizeSoundPackPath(""), "sounds/default");
}

TEST(AudioTextsTest, JsonStringFieldTakesTheRawTextOfTheFirstMatch) {
  struct Case {
    std::string text;
    std::string key;
    std::string value;
  };
  const Case cases[] = {
      {R"({"name": "木鱼", "author": "Li"})", "name", "木鱼"},
      {R"({"name":"a"})", "name", "a"},
      {"{\"name\":\t \"tabbed\"}", "name", "tabbed"},
      {R"({"description": "the \"name\" of it", "name": "real"})", "name", "real"},  // escaped: no match
      {R"({"tag": "name", "author": "x", "name": "y"})", "name", "x"},  // a value "name" matches first
      {R"({"name": "say \"hi\""})", "name", R"(say \"hi\")"},  // escapes kept
      {R"({"name": "back\\slash"})", "name", R"(back\\slash)"},
      {R"({"name": 5})", "name", ""},
      {R"({"name" "x"})", "name", ""},  // no colon anywhere after the key
      {R"({"name": "unterminated)", "name", ""},
      {R"({"name": "ends with \)", "name", ""},
      {R"({"author": "x"})", "name", ""},
      {R"({"names": "x"})", "name", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extractJsonStringField(c.text, c.key), c.value) << c.text;
  }
}

TEST(AudioTextsTest, FallbacksAreLoggedForTheFirstThreeAndEveryTwentieth) {
  LogCapture log;
  FallbackCounter counter;
  std::vector<int> logged;
  for (int i = 1; i <= 60; ++i) {
    const int before = log.count("Audio fallback recorded: reason=unknown, detail=a.wav");
    EXPECT_EQ(counter.record("unknown", "a.wav"), i);
    if (log.count("Audio fallback recorded: reason=unknown, detail=a.wav") > before) logged.push_back(i);
  }
  EXPECT_EQ(logged, (std::vector<int>{1, 2, 3, 20, 40, 60}));
  EXPECT_TRUE(log.contains("detail=a.wav, count=20"));
  // Each reason and file pair counts on its own.
  EXPECT_EQ(counter.record("unknown", "b.wav"), 1);
  EXPECT_EQ(counter.record("decode-failed", "a.wav"), 1);
}

TEST(AudioTextsTest, PreferencesAreReadFromTheAudioSection) {
  TempFolder folder("prefs");
  struct Case {
    std::string json;
    AudioPreferences expected;
  };
  const Case cases[] = {
      {R"({"Audio": {"BackendType": "miniaudio", "HrtfEnabled": false, "HrtfPreferred": " Default HRTF ",
          "ForceAccessibilityChannel": true}})",
       {AUDIO_BACKEND_MINIAUDIO, false, " Default HRTF ", true}},
      {R"({"Audio": {"BackendType": 2, "HrtfEnabled": "no", "ForceAccessibilityChannel": 1}})", {}},
      {"\xEF\xBB\xBF{\"Audio\": {\"BackendType\": \"OpenAL\"}} trailing", {AUDIO_BACKEND_OPENAL_SOFT, true, "", false}},
      {R"({"Audio": "miniaudio"})", {}},
      {R"({"Audio": {"BackendType": "miniaudio",)", {}},  // broken JSON: defaults
      {"[]", {}},
  };
  for (const Case& c : cases) {
    const std::string path = folder.writeFile("config.json", c.json);
    EXPECT_EQ(AudioConfigReader::loadAudioPreferences(path), c.expected) << c.json;
  }
  EXPECT_TRUE(AudioConfigReader::loadAudioPreferences(folder.utf8("missing.json")).isDefault());
  EXPECT_TRUE(AudioConfigReader::loadAudioPreferences("").isDefault());
}

TEST(AudioTextsTest, SoundPackPathIsReadFromConfigWhenItIsAText) {
  TempFolder folder("packpath");
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {R"({"Audio": {"SoundPackPath": "sounds\\wood"}})", "sounds/wood"},
      {R"({"Audio": {"SoundPackPath": ""}})", "sounds/default"},
      {R"({"Audio": {"SoundPackPath": 3}})", std::nullopt},
      {R"({"Audio": {}})", std::nullopt},
      {R"({"System": {"SoundPackPath": "x"}})", std::nullopt},
      {"not json", std::nullopt},
  };
  for (const auto& [json, expected] : cases) {
    EXPECT_EQ(AudioConfigReader::readSoundPackPathFromJson(folder.writeFile("config.json", json)), expected) << json;
  }
  EXPECT_EQ(AudioConfigReader::readSoundPackPathFromJson(folder.utf8("none.json")), std::nullopt);
}

}  // namespace
}  // namespace Tavrune
