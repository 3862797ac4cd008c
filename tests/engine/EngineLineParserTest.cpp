#include <gtest/gtest.h>

#include "engine/EngineLineParser.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {
namespace {

TEST(EngineLineParser, OptionDeclarations) {
  struct Case {
    const char* line;
    bool parsed;
    const char* name;
    int32_t type;
    const char* defaultValue;
    int32_t min;
    int32_t max;
    bool hasMin;
    bool hasMax;
  };
  const Case cases[] = {
      {"option name Hash type spin default 16 min 1 max 512", true, "Hash", OPTION_SPIN, "16", 1, 512, true, true},
      {"option name Skill Level type spin default 20 min 0 max 20", true,
       "Skill Level", OPTION_SPIN, "20", 0, 20, true, true},
      {"option name Ponder type check default false", true, "Ponder", OPTION_CHECK, "false", 0, 0, false, false},
      {"option name Clear Hash type button", true, "Clear Hash", OPTION_BUTTON, "", 0, 0, false, false},
      {"option name Analysis Contempt type combo default Both var Both var Off var White var Black", true,
       "Analysis Contempt", OPTION_COMBO, "Both", 0, 0, false, false},
      {"option name Debug Log File type string default ", true,
       "Debug Log File", OPTION_STRING, "", 0, 0, false, false},
      {"option name SyzygyPath type string default <empty>", true,
       "SyzygyPath", OPTION_STRING, "<empty>", 0, 0, false, false},
      // Any other type word reads as a string; a default of several words keeps its first.
      {"option name Odd type vector default a b c", true, "Odd", OPTION_STRING, "a", 0, 0, false, false},
      {"option name Contempt type spin default 24 min -100 max 100", true,
       "Contempt", OPTION_SPIN, "24", -100, 100, true, true},
      // Each limit is read on its own: one that is not a number leaves the other.
      {"option name Broken type spin default 5 min x max 9", true, "Broken", OPTION_SPIN, "5", 0, 9, false, true},
      {"option name Huge type spin default 1 min 1 max 99999999999", true,
       "Huge", OPTION_SPIN, "1", 1, INT32_MAX, true, true},
      {"option name Huger type spin default 1 min -99999999999999999999 max 1", true, "Huger", OPTION_SPIN, "1",
       INT32_MIN, 1, true, true},
      // Signs and digits alone are no number: the limit stays at its default.
      {"option name Signs type spin default 1 min - max 9", true, "Signs", OPTION_SPIN, "1", 0, 9, false, true},
      {"option name Plus type spin default 1 min 1 max +", true, "Plus", OPTION_SPIN, "1", 1, 0, true, false},
      {"option name Dash type spin default 1 min 1-2 max 9", true, "Dash", OPTION_SPIN, "1", 0, 9, false, true},
      {"option name NoType default 3", false, "", 0, "", 0, 0, false, false},
      {"option name  type spin", false, "", 0, "", 0, 0, false, false},
      {"option Hash type spin default 16 min 1 max 512", false, "", 0, "", 0, 0, false, false},  // UCCI form
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string name;
    EngineOption option;
    ASSERT_EQ(EngineLineParser::parseOptionDeclaration(c.line, name, option), c.parsed);
    if (!c.parsed) continue;
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(option.type, c.type);
    EXPECT_EQ(option.defaultValue, c.defaultValue);
    EXPECT_EQ(option.min, c.min);
    EXPECT_EQ(option.max, c.max);
    EXPECT_EQ(option.hasMin, c.hasMin);
    EXPECT_EQ(option.hasMax, c.hasMax);
  }
}

TEST(EngineLineParser, LongComboKeepsItsDefaultAndChoices) {
  std::string line = "option name UCI_Variant type combo default chess";
  std::vector<std::string> expected;
  for (int i = 0; line.size() < 1000; ++i) {
    expected.push_back("variant" + std::to_string(i));
    line += " var " + expected.back();
  }
  std::string name;
  EngineOption option;
  ASSERT_TRUE(EngineLineParser::parseOptionDeclaration(line, name, option));
  EXPECT_EQ(name, "UCI_Variant");
  EXPECT_EQ(option.type, OPTION_COMBO);
  EXPECT_EQ(option.defaultValue, "chess");
  EXPECT_EQ(option.choices, expected);
}

TEST(EngineLineParser, InfoLines) {
  EngineInfo mate = EngineLineParser::parseInfo(
      "info depth 12 seldepth 18 multipv 1 score mate -3 wdl 0 10 990 nodes 123 nps 456 hashfull 7 tbhits 0 "
      "time 89 pv h9g7 h0g2");
  EXPECT_EQ(mate.depth, 12);
  EXPECT_EQ(mate.seldepth, 18);
  EXPECT_TRUE(mate.isMate);
  EXPECT_EQ(mate.mateIn, -3);
  EXPECT_EQ(mate.score, -99997);
  EXPECT_EQ(mate.wdl, "0 10 990");
  EXPECT_EQ(mate.nodes, 123);
  EXPECT_EQ(mate.nps, 456);
  EXPECT_EQ(mate.hashfull, 7);
  EXPECT_EQ(mate.time, 89);
  EXPECT_EQ(mate.pv, "h9g7 h0g2");

  EXPECT_EQ(EngineLineParser::parseInfo("info score mate 3").score, 99997);
  EngineInfo cp = EngineLineParser::parseInfo("info depth 5 score cp -41 nodes 3000000000 pv  a0a1");
  EXPECT_FALSE(cp.isMate);
  EXPECT_EQ(cp.score, -41);
  EXPECT_EQ(cp.nodes, INT32_MAX);  // saturates instead of wrapping
  EXPECT_EQ(cp.pv, " a0a1");       // only one space after "pv" is removed
  EXPECT_EQ(cp.line, "info depth 5 score cp -41 nodes 3000000000 pv  a0a1");

  // Missing or broken numbers leave the defaults.
  EngineInfo broken = EngineLineParser::parseInfo("info depth x multipv score lowerbound wdl 1 2");
  EXPECT_EQ(broken.depth, 0);
  EXPECT_EQ(broken.multipv, 1);
  EXPECT_EQ(broken.score, 0);
  EXPECT_EQ(broken.wdl, "");
  EngineInfo signs = EngineLineParser::parseInfo("info depth - seldepth 1-2 score cp +");
  EXPECT_EQ(signs.depth, 0);
  EXPECT_EQ(signs.seldepth, 0);
  EXPECT_EQ(signs.score, 0);
}

TEST(EngineMoveText, ParsesOnlyTwoPointsOnTheBoard) {
  struct Case {
    const char* text;
    bool valid;
    Position from;
    Position to;
  };
  const Case cases[] = {
      {"h9g7", true, {7, 0}, {6, 2}},
      {"h0g2", true, {7, 9}, {6, 7}},
      {"a9i0", true, {0, 0}, {8, 9}},
      {"0000", false, {}, {}},
      {"(none)", false, {}, {}},
      {"none", false, {}, {}},
      {"", false, {}, {}},
      {"h9g", false, {}, {}},
      {"h9g7x", false, {}, {}},
      {"j0a0", false, {}, {}},   // file beyond i
      {"a0a:", false, {}, {}},   // rank beyond 9 reads as y = -1
      {"A0a1", false, {}, {}},
      {"a10a9", false, {}, {}},  // 1-based ranks are not this dialect
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<Move> move = EngineMoveText::parse(c.text);
    ASSERT_EQ(move.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(move->from, c.from);
    EXPECT_EQ(move->to, c.to);
    EXPECT_EQ(EngineMoveText::format(*move), c.text);
  }
  EXPECT_EQ(EngineMoveText::format(Move{{9, 0}, {0, 0}}), "");
}

TEST(EngineLineParser, SplitsAtSpacesAndTabs) {
  EXPECT_EQ(EngineLineParser::splitWords("  bestmove\th9g7  ponder h0g2 "),
            (std::vector<std::string>{"bestmove", "h9g7", "ponder", "h0g2"}));
  EXPECT_TRUE(EngineLineParser::splitWords("   ").empty());
}

}  // namespace
}  // namespace Tavrune
