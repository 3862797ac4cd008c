#include "core/Log.h"

#include <gtest/gtest.h>


#include "core/LogFiles.h"
#include "core/LogTestSeam.h"

namespace Tavrune {
namespace {

// The whole process: the banner comes with the first switch-on and never again.
TEST(LogBanner, WrittenOncePerProcessOnFirstSwitchOn) {
  const std::filesystem::path folder = ::Tavrune::Test::freshTempFolder("banner");
  setLogFolderForTesting(::Tavrune::Test::utf8FromPath(folder));
  std::vector<std::string> debuggerTexts;
  setDebuggerSinkForTesting([&](const std::string& text) { debuggerTexts.push_back(text); });

  logInfo("before");
  setDebugLogEnabled(true);
  EXPECT_TRUE(isDebugLogEnabled());
  setDebugLogEnabled(false);
  EXPECT_FALSE(isDebugLogEnabled());
  setDebugLogEnabled(true);
  setDebugLogEnabled(true);
  logInfo("after");

  std::vector<std::string> messages;
  for (const std::string& line : ::Tavrune::Test::readLogLines(folder / "tavrune_debug.log")) {
    std::string message;
    ASSERT_TRUE(::Tavrune::Test::splitTimeStamp(line, message)) << line;
    messages.push_back(message);
  }

  // The version line needs a version resource, which a test program may lack.
  const bool hasVersion = messages.size() > 1 && messages[1].rfind("[INFO] 程序版本: ", 0) == 0;
  // Each banner line with the shapes it may take (see matchesShape).
  const std::vector<std::vector<std::string>> shapes = {
      {"[INFO] ========== 日志系统启动 =========="},
      {"[INFO] 程序版本: *"},
      {"[INFO] 系统版本: Windows %.% (Build %)", "[WARNING] 系统版本: 无法获取 Windows 版本号"},
      {"[INFO] 系统架构: x64", "[INFO] 系统架构: x86", "[INFO] 系统架构: Unknown"},
      {"[INFO] 内存信息: 总计 % MB / 可用 % MB"},
      {"[INFO] 启动时间: ####-##-## ##:##:##"},
      {"[INFO] 日志文件: *"},
      {"[INFO] =================================="},
      {"[INFO] after"},
  };
  std::vector<std::vector<std::string>> expected;
  for (size_t i = 0; i < shapes.size(); ++i) {
    if (i != 1 || hasVersion) expected.push_back(shapes[i]);
  }
  ASSERT_EQ(messages.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    bool matched = false;
    for (const std::string& shape : expected[i]) {
      matched = matched || ::Tavrune::Test::matchesShape(messages[i], shape);
    }
    EXPECT_TRUE(matched) << messages[i];
  }
  const size_t after = messages.size() - 1;
  EXPECT_EQ(messages[after - 2], "[INFO] 日志文件: " + getDebugLogPath());
#if defined(_WIN32) && defined(__x86_64__)
  EXPECT_EQ(messages[after - 5], "[INFO] 系统架构: x64");
#endif

  ASSERT_EQ(debuggerTexts.size(), messages.size());
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(debuggerTexts[i], messages[i] + "\n");
  }

  setDebugLogEnabled(false);
  setDebuggerSinkForTesting({});
  setLogFolderForTesting({});
  std::filesystem::remove_all(folder.parent_path());
}

}  // namespace
}  // namespace Tavrune
