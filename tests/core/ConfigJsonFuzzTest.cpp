// Mutated configuration texts, seeded with real files: parsing never throws, every loaded
// record lies inside its ranges, and save → load gives the same record back. Host build,
// under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "core/ConfigJson.h"
#include "core/ConfigTestRecord.h"

namespace Tavrune {
namespace {

using Record = Tavrune::Test::ConfigTestRecord;

std::string save(const Record& r) {
  return ConfigJson::toFileText(ConfigJson::buildDocument(r.ai, r.scheme, r.accessibility, r.system, r.audio));
}

bool load(const std::string& text, Record& r) {
  std::istringstream input(text);
  nlohmann::json document;
  std::string error;
  if (!ConfigJson::parse(input, document, error)) {
    return false;
  }
  ConfigJson::applyDocument(document, r.ai, r.scheme, r.accessibility, &r.system, &r.audio);
  return true;
}

bool hasControlCharacter(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

void expectInRange(const Record& r, const std::string& text) {
  const AIConfig& ai = r.ai;
  EXPECT_TRUE(ai.difficultyTier >= 0 && ai.difficultyTier <= 6) << text;
  EXPECT_TRUE(ai.searchLimitMode == 0 || ai.searchLimitMode == 1) << text;
  EXPECT_TRUE(ai.playerColor >= 0 && ai.playerColor <= 2) << text;
  EXPECT_TRUE(ai.customElo == 0 || (ai.customElo >= 1280 && ai.customElo <= 3133)) << text;
  EXPECT_TRUE(ai.customSkill >= 1 && ai.customSkill <= 21) << text;
  EXPECT_TRUE(ai.openingBookMode >= 0 && ai.openingBookMode <= 2) << text;
  EXPECT_TRUE(ai.moveOverhead >= 0 && ai.moveOverhead <= 5000) << text;
  EXPECT_TRUE(ai.nodesTime >= 0 && ai.nodesTime <= 10000) << text;
  EXPECT_TRUE(ai.mateThreatDepth >= 0 && ai.mateThreatDepth <= 10) << text;
  EXPECT_TRUE(ai.rule60MaxPly >= 1 && ai.rule60MaxPly <= 150) << text;
  EXPECT_TRUE(r.scheme >= 0 && r.scheme <= 2) << text;
  EXPECT_TRUE(r.accessibility.windowsNumpadInputTimeoutMs >= 0 && r.accessibility.windowsNumpadInputTimeoutMs <= 10000)
      << text;
  for (const std::string* engineText : {&ai.debugLogFile, &ai.numaPolicy, &ai.repetitionRule, &ai.drawRule,
                                        &ai.scoreType}) {
    EXPECT_FALSE(hasControlCharacter(*engineText)) << text;
  }
}

std::vector<std::string> seeds() {
  Record custom;
  custom.scheme = 2;
  custom.ai.enginePath = "D:\\象棋\\引擎.exe";
  custom.ai.difficultyTier = 6;
  custom.audio.soundPackPath = "sounds/水墨";
  return {
      save(Record{}),
      save(custom),
      "\xEF\xBB\xBF{\"AI\": {\"DifficultyTier\": 3.0, \"SkillLevel\": 8, \"TimeLimit\": \"5000\"},\n"
      " \"Audio\": {\"MasterVolume\": 0.8, \"BoardScaleY\": 1e-05, \"SoundPackPath\": \"sounds/\\u6c34\"},\n"
      " \"Input\": {\"Player2Scheme\": 2}, \"Unknown\": [1, {\"x\": null}]}\n# trailing text\n",
      R"({"AI":{"CustomElo":1000,"CustomSkill":30,"Rule60MaxPly":0,"MoveOverhead":-3,"PlayerColor":3,)"
      R"("DebugLogFile":"a\nb","OpeningBookMode":7},"Accessibility":{"WindowsNumpadInputTimeoutMs":99999}})",
  };
}

const char* const tokens[] = {
    "\"DifficultyTier\":", "\"SkillLevel\":", "\"AI\":", "\"Audio\":", "\"Input\":", "1e999", "-1e999", "1e-400",
    "-0", "-0.0", "18446744073709551616", "18446744073709551615", "4294967299", "-2147483649", "2147483648",
    "3.4028236e38", "\"\\u0000\"", "\"\\n\"", "\"\\ud800\"", "\"\\ud83d\\ude00\"", "\xEF\xBB\xBF", "null",
    "true", "[", "]", "{", "}", ",", ":", "\"", "\\", "\xff", "\xe8\xb1\xa1", "1e300", "-1e39", "0.15",
    "7", "-5", "200", "\"text\"", "{}", "[1,2]", "2.5e-3",
};

std::string mutate(std::string text, std::mt19937& random) {
  const int steps = 1 + static_cast<int>(random() % 4);
  for (int step = 0; step < steps; ++step) {
    const size_t at = text.empty() ? 0 : random() % (text.size() + 1);
    switch (random() % 7) {
      case 0:
        if (!text.empty() && at < text.size()) text[at] = static_cast<char>(random() & 0xFF);
        break;
      case 1:
        text.insert(at, 1, static_cast<char>(random() & 0xFF));
        break;
      case 2:
        text.erase(at, random() % 16);
        break;
      case 3: {
        const size_t length = random() % 32;
        if (at < text.size()) text.insert(at, text.substr(at, length));
        break;
      }
      case 4:
        text.insert(at, tokens[random() % std::size(tokens)]);
        break;
      default: {
        // Swap one member's value for a token, so keys meet values of every type.
        const size_t colon = text.find(':', at);
        if (colon == std::string::npos) break;
        const size_t end = text.find_first_of(",}\r\n", colon);
        text.replace(colon + 1, (end == std::string::npos ? text.size() : end) - colon - 1,
                     tokens[random() % std::size(tokens)]);
        break;
      }
    }
  }
  return text;
}

TEST(ConfigJsonFuzzTest, MutatedTextsLoadIntoRangeAndRoundTrip) {
  std::mt19937 random(20240611);
  const std::vector<std::string> corpus = seeds();
  constexpr int iterations = 40000;
  int parsed = 0;
  for (int i = 0; i < iterations; ++i) {
    const std::string text = mutate(corpus[random() % corpus.size()], random);
    Record loaded;
    bool ok = false;
    ASSERT_NO_THROW(ok = load(text, loaded));
    if (!ok) continue;
    ++parsed;
    expectInRange(loaded, text);

    std::string saved;
    ASSERT_NO_THROW(saved = save(loaded));
    Record again;
    ASSERT_TRUE(load(saved, again)) << saved;
    ASSERT_EQ(again, loaded) << text;
    if (HasFailure()) break;
  }
  std::printf("config fuzz: %d texts, %d parsed\n", iterations, parsed);
  EXPECT_GT(parsed, iterations / 20);
}

}  // namespace
}  // namespace Tavrune
