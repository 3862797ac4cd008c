// The engine services a user meets: the start-up check of the engine files and the
// texts of the engine-build chooser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CapturedLog.h"
#include "app/EngineAvailability.h"
#include "app/EngineChoiceTexts.h"
#include "app/ScratchFolder.h"

namespace Tavrune {
namespace {

using Test::CapturedLog;
using Test::ScratchFolder;

const std::string kDefaultEngine = "engines\\pikafish.exe";

TEST(EngineAvailabilityTest, NoticesForEachFolderState) {
  struct Case {
    const char* name;
    long engineBytes;   // -1: no file
    long networkBytes;  // -1: no file
    std::vector<std::wstring> notices;
  };
  const Case cases[] = {
      {"both missing", -1, -1, {L"错误：未找到内置引擎文件", L"错误：未找到神经网络模型文件"}},
      {"engine missing", -1, 10, {L"错误：未找到内置引擎文件"}},
      {"network missing", 200000, -1, {L"错误：未找到神经网络模型文件"}},
      {"too small", 104857, 10, {L"警告：引擎文件大小异常"}},  // 0.1 MB is 104,857.6 bytes
      {"empty", 0, 10, {L"警告：引擎文件大小异常"}},
      {"just enough", 104858, 10, {L"内置Pikafish引擎加载成功"}},
      {"real size", 3 * 1048576, 10, {L"内置Pikafish引擎加载成功"}},
  };
  for (const Case& c : cases) {
    ScratchFolder program("引擎");
    program.makeFolder("engines");
    if (c.engineBytes >= 0) program.writeFileOfSize("engines/pikafish.exe", static_cast<size_t>(c.engineBytes));
    if (c.networkBytes >= 0) program.writeFileOfSize("engines/pikafish.nnue", static_cast<size_t>(c.networkBytes));
    EXPECT_EQ(EngineAvailability::check(program.utf8(), kDefaultEngine), c.notices) << c.name;
  }
}

TEST(EngineAvailabilityTest, UnknownProgramFolder) {
  EXPECT_EQ(EngineAvailability::check("", kDefaultEngine), std::vector<std::wstring>{L"引擎检测失败：无法获取程序路径"});
}

TEST(EngineAvailabilityTest, LogsSizesWithSixDecimals) {
  ScratchFolder program("size");
  program.writeFileOfSize("engines/pikafish.exe", 104857);
  program.writeFileOfSize("engines/pikafish.nnue", 1);
  CapturedLog log;
  EngineAvailability::check(program.utf8(), kDefaultEngine);
  EXPECT_TRUE(log.contains("[INFO] Engine file size: 0.099999 MB"));
  EXPECT_TRUE(log.contains("[WARNING] Engine file size too small: 0.099999 MB"));
  EXPECT_TRUE(log.contains("[INFO] Engine exists: YES"));
  EXPECT_TRUE(log.contains("[INFO] NNUE exists: YES"));
}

TEST(EngineAvailabilityTest, BothMissingLogsTwoErrors) {
  ScratchFolder program("missing");
  CapturedLog log;
  EngineAvailability::check(program.utf8(), kDefaultEngine);
  EXPECT_EQ(log.count("[ERROR] Engine file not found: "), 1);
  EXPECT_EQ(log.count("[ERROR] NNUE file not found: "), 1);
}

EngineVariantInfo build(const std::string& file, const std::string& description, bool supported, bool present) {
  EngineVariantInfo info;
  info.fileName = file;
  info.description = description;
  info.supported = supported;
  info.present = present;
  return info;
}

TEST(EngineChoiceTextsTest, ListLinesMarkTheFirstUsableBuild) {
  const std::vector<EngineVariantInfo> builds = {
      build("a.exe", "AVX-512", false, true),
      build("b.exe", "AVX2", true, false),
      build("c.exe", "BMI2", true, true),
      build("d.exe", "SSE4.1", true, true),
      build("e.exe", "Old", false, false),
  };
  const EngineChoiceList list = EngineChoiceTexts::listLines(builds);
  const std::vector<std::wstring> expected = {
      L"AVX-512 [当前CPU不支持]",
      L"AVX2 [文件不存在]",
      L"★ 推荐 - BMI2",
      L"SSE4.1",
      L"Old [文件不存在]",
  };
  EXPECT_EQ(list.lines, expected);
  EXPECT_EQ(list.recommended, 2);
}

TEST(EngineChoiceTextsTest, NoUsableBuildIsRecommended) {
  const EngineChoiceList list =
      EngineChoiceTexts::listLines({build("a.exe", "A", false, true), build("b.exe", "B", true, false)});
  EXPECT_EQ(list.recommended, -1);
  for (const std::wstring& line : list.lines) EXPECT_EQ(line.find(L"★"), std::wstring::npos);
}

TEST(EngineChoiceTextsTest, RefusalNamesTheReason) {
  EXPECT_EQ(EngineChoiceTexts::refusal(build("b.exe", "AVX2", true, false)),
            L"无法选择该引擎：\n\nAVX2\n\n原因：引擎文件不存在");
  EXPECT_EQ(EngineChoiceTexts::refusal(build("a.exe", "AVX-512", false, true)),
            L"无法选择该引擎：\n\nAVX-512\n\n原因：当前 CPU 不支持此引擎所需的指令集");
  // Missing and unsupported: the missing file is what the user can act on.
  EXPECT_EQ(EngineChoiceTexts::refusal(build("e.exe", "Old", false, false)),
            L"无法选择该引擎：\n\nOld\n\n原因：引擎文件不存在");
}

TEST(EngineChoiceTextsTest, ConfirmationComparesWithTheBestBuild) {
  const EngineVariantInfo best = build("pikafish-bmi2.exe", "BMI2 版", true, true);
  EXPECT_EQ(EngineChoiceTexts::confirmation(best, best), L"您选择了：BMI2 版\n\n这正是当前 CPU 的最优推荐！");
  EXPECT_EQ(EngineChoiceTexts::confirmation(build("pikafish-sse41.exe", "SSE4.1 版", true, true), best),
            L"您选择了：SSE4.1 版\n\n当前 CPU 的最优推荐是：\nBMI2 版\n如需最佳性能，建议选择最优推荐。");
}

}  // namespace
}  // namespace Tavrune
