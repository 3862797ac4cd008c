#include "core/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <cstdio>
#include <thread>

#include "core/LogFiles.h"
#include "core/LogTestSeam.h"

namespace Tavrune {
namespace {

using ::Tavrune::Test::pathFromUtf8;
using ::Tavrune::Test::readLogLines;
using ::Tavrune::Test::splitTimeStamp;
using ::Tavrune::Test::utf8FromPath;

// Each test logs into its own fresh folder and watches the debugger output. The first
// switch-on of this process writes the banner too, so checks skip lines they do not own.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useFolder(::Tavrune::Test::freshTempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    setDebuggerSinkForTesting([this](const std::string& text) { debuggerTexts.push_back(text); });
    setDebugLogEnabled(false);
  }

  void TearDown() override {
    setDebugLogEnabled(false);
    setDebuggerSinkForTesting({});
    setLogFolderForTesting({});
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void useFolder(const std::filesystem::path& newFolder) {
    folder = newFolder;
    setLogFolderForTesting(utf8FromPath(folder));
  }

  std::filesystem::path logFile() const { return folder / "tavrune_debug.log"; }

  // The messages of the file's lines after the banner, all of which must be time-stamped.
  std::vector<std::string> messagesAfterBanner() const {
    std::vector<std::string> messages;
    for (const std::string& line : readLogLines(logFile())) {
      std::string message;
      EXPECT_TRUE(splitTimeStamp(line, message)) << line;
      if (!isBannerLine(message)) messages.push_back(message);
    }
    return messages;
  }

  // The file's lines after the banner and the debugger texts carry exactly these messages.
  void expectMessages(const std::vector<std::string>& expected) const {
    const std::vector<std::string> messages = messagesAfterBanner();
    ASSERT_EQ(messages.size(), expected.size());
    ASSERT_EQ(debuggerTexts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(messages[i], expected[i]) << "case " << i;
      EXPECT_EQ(debuggerTexts[i], expected[i] + "\n") << "case " << i;
    }
  }

  static bool isBannerLine(const std::string& message) {
    for (const char* start : {"[INFO] =====", "[INFO] 程序版本: ", "[INFO] 系统版本: ", "[WARNING] 系统版本: ",
                              "[INFO] 系统架构: ", "[INFO] 内存信息: ", "[INFO] 启动时间: ", "[INFO] 日志文件: "}) {
      if (message.rfind(start, 0) == 0) return true;
    }
    return false;
  }

  std::filesystem::path folder;
  std::vector<std::string> debuggerTexts;
};

TEST_F(LogTest, WritesNothingWhileOff) {
  writeLogLine("line");
  logInfo("info");
  logWarning("warning");
  logError("error");
  logMove("tag", 1, 2, 3, 4);
  EXPECT_FALSE(isDebugLogEnabled());
  EXPECT_FALSE(std::filesystem::exists(folder)) << "not even the folder is created";
  EXPECT_TRUE(debuggerTexts.empty());

  setDebugLogEnabled(true);
  setDebugLogEnabled(false);
  debuggerTexts.clear();
  logInfo("after switching off");
  EXPECT_TRUE(debuggerTexts.empty());
  if (std::filesystem::exists(logFile())) {
    for (const std::string& message : messagesAfterBanner()) {
      ADD_FAILURE() << "written while off: " << message;
    }
  }
}

TEST_F(LogTest, LinesCarryTimeStampAndMessageByteForByte) {
  struct Case {
    std::function<void()> write;
    std::string expected;
  };
  const std::string longTag(300, 't');
  const Case cases[] = {
      {[] { writeLogLine(""); }, ""},
      {[] { writeLogLine("[Own] tag"); }, "[Own] tag"},
      {[] { logInfo("信息 text"); }, "[INFO] 信息 text"},
      {[] { logWarning("w"); }, "[WARNING] w"},
      {[] { logError("e"); }, "[ERROR] e"},
      {[] { logMove("MainWindow::onAIMove START", 1, 9, 1, 7); },
       "[MainWindow::onAIMove START] Move: (1,9) -> (1,7)"},
      {[] { logMove("", -1, -2, 2147483647, -2147483647 - 1); },
       "[] Move: (-1,-2) -> (2147483647,-2147483648)"},
      // "[" + tag + "] Move: (0,0) -> (0,0)" is 23 bytes besides the tag; the text is cut to 255.
      {[] { logMove(std::string(232, 'a'), 0, 0, 0, 0); }, "[" + std::string(232, 'a') + "] Move: (0,0) -> (0,0)"},
      {[] { logMove(std::string(233, 'a'), 0, 0, 0, 0); }, "[" + std::string(233, 'a') + "] Move: (0,0) -> (0,0"},
      {[&] { logMove(longTag, 5, 6, 7, 8); }, "[" + longTag.substr(0, 254)},
  };
  setDebugLogEnabled(true);
  debuggerTexts.clear();
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    c.write();
    expected.push_back(c.expected);
  }
  expectMessages(expected);
  for (const std::string& message : messagesAfterBanner()) {
    EXPECT_LE(message.size(), 255u);
  }
}

TEST_F(LogTest, LongLinesKeepTheirBeginningAndNameTheirSize) {
  const std::string full(LOGGED_LINE_LIMIT, 'a');
  const std::string almost(LOGGED_LINE_LIMIT - 1, 'c');
  setDebugLogEnabled(true);
  debuggerTexts.clear();
  writeLogLine(full);
  writeLogLine(full + "b");
  // A character across the cap is left out whole, not cut into a broken sequence.
  writeLogLine(almost + "象棋");
  writeLogLine("[INFO] FEN: " + std::string(16 << 20, '1'));
  expectMessages({full, full + "... (1025 bytes)", almost + "... (1029 bytes)",
                  "[INFO] FEN: " + std::string(LOGGED_LINE_LIMIT - 12, '1') + "... (16777228 bytes)"});
}

TEST_F(LogTest, ManyThreadsWriteWholeLines) {
  constexpr int threadCount = 8;
  constexpr int linesPerThread = 300;
  const std::string padding(100, 'x');
  setDebugLogEnabled(true);
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([t, &padding] {
      for (int n = 0; n < linesPerThread; ++n) {
        logInfo("worker " + std::to_string(t) + " line " + std::to_string(n) + " " + padding + " end");
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }

  std::map<int, int> nextLineOfThread;
  int workerLines = 0;
  for (const std::string& message : messagesAfterBanner()) {
    int t = -1;
    int n = -1;
    ASSERT_EQ(std::sscanf(message.c_str(), "[INFO] worker %d line %d", &t, &n), 2) << "torn line: " << message;
    ASSERT_EQ(message, "[INFO] worker " + std::to_string(t) + " line " + std::to_string(n) + " " + padding + " end")
        << "torn line";
    EXPECT_EQ(n, nextLineOfThread[t]) << "thread " << t << " lost or reordered a line";
    nextLineOfThread[t] = n + 1;
    ++workerLines;
  }
  EXPECT_EQ(workerLines, threadCount * linesPerThread);
  int debuggerWorkerTexts = 0;
  for (const std::string& text : debuggerTexts) {
    debuggerWorkerTexts += text.rfind("[INFO] worker ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(debuggerWorkerTexts, threadCount * linesPerThread);
}

TEST_F(LogTest, ChineseFolderReceivesTheLog) {
  useFolder(::Tavrune::Test::freshTempFolder("用户 王小明") / pathFromUtf8("日志"));
  setDebugLogEnabled(true);
  logInfo("中文目录");
  ASSERT_TRUE(std::filesystem::exists(logFile()));
  const std::vector<std::string> messages = messagesAfterBanner();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "[INFO] 中文目录");
  EXPECT_EQ(getDebugLogPath(), joinPath(utf8FromPath(folder), "tavrune_debug.log"));
}

TEST_F(LogTest, DeletedFolderIsCreatedAgainByTheNextLine) {
  setDebugLogEnabled(true);
  logInfo("first");
  ASSERT_TRUE(std::filesystem::exists(logFile()));
  std::filesystem::remove_all(folder);
  logInfo("second");
  const std::vector<std::string> messages = messagesAfterBanner();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "[INFO] second");
}

TEST(LogPath, JoinPathPutsExactlyOneSeparator) {
  struct Case {
    const char* folder;
    const char* fileName;
    const char* expected;
  };
  const Case cases[] = {
      {"", "tavrune_debug.log", "tavrune_debug.log"},
      {"C:\\logs", "a.log", "C:\\logs\\a.log"},
      {"C:\\logs\\", "a.log", "C:\\logs\\a.log"},
      {"C:/logs/", "a.log", "C:/logs/a.log"},
      {"/tmp/logs", "a.log", "/tmp/logs\\a.log"},
      {"D:\\用户\\日志", "棋谱.log", "D:\\用户\\日志\\棋谱.log"},
      {"C:\\", "", "C:\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(joinPath(c.folder, c.fileName), c.expected) << c.folder << " + " << c.fileName;
  }
}

#ifdef _WIN32
TEST(LogPath, FolderIsUnderLocalApplicationData) {
  const std::string folder = logDirectory();
  const std::string ending = "\\Tavrune\\logs";
  ASSERT_GT(folder.size(), ending.size());
  EXPECT_EQ(folder.substr(folder.size() - ending.size()), ending);
  EXPECT_TRUE(std::filesystem::is_directory(pathFromUtf8(folder)));
  EXPECT_EQ(getDebugLogPath(), folder + "\\tavrune_debug.log");
}
#else
// The host twin takes the application-data folder from LOCALAPPDATA, which lets the
// fallback to the program's own folder be exercised here.
TEST(LogPath, FallsBackToTheProgramFolder) {
  const std::filesystem::path base = ::Tavrune::Test::freshTempFolder("appdata");
  ASSERT_EQ(setenv("LOCALAPPDATA", base.c_str(), 1), 0);
  EXPECT_EQ(logDirectory(), base.string() + "\\Tavrune\\logs");
  EXPECT_TRUE(std::filesystem::is_directory(base / "Tavrune" / "logs"));

  ASSERT_EQ(unsetenv("LOCALAPPDATA"), 0);
  const std::string programFolder = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  EXPECT_EQ(logDirectory(), programFolder);
  EXPECT_EQ(getDebugLogPath(), programFolder + "\\tavrune_debug.log");
  std::filesystem::remove_all(base);
}
#endif

}  // namespace
}  // namespace Tavrune
