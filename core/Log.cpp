#include "core/Log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "core/LogTestSeam.h"
#include "core/TextConversion.h"
#include "platform/PlatformBase.h"

namespace Tavrune {

namespace {

constexpr const char* logFileName = "tavrune_debug.log";

std::atomic<bool> debugLogEnabled{false};
std::atomic<bool> logBannerWritten{false};

// Serialises each line's open, write, close and debugger copy across threads.
std::mutex& logLock() {
  static std::mutex lock;
  return lock;
}

// Tests only: the program never sets these, so a line pays one flag test for them.
std::atomic<bool> testHooksSet{false};

struct TestHooks {
  std::mutex lock;
  std::string folder;
  std::function<void(const std::string&)> debuggerSink;
};

TestHooks& testHooks() {
  static TestHooks hooks;
  return hooks;
}

std::string folderOverride() {
  if (!testHooksSet.load()) {
    return {};
  }
  TestHooks& hooks = testHooks();
  std::lock_guard<std::mutex> guard(hooks.lock);
  return hooks.folder;
}

// The folder with "\Tavrune\logs" appended, once it exists; empty otherwise.
std::string createdLogFolderUnder(std::wstring base) {
  if (base.empty()) {
    return {};
  }
  base += L"\\Tavrune\\logs";
  if (!PlatformBase::createFolderChain(base)) {
    return {};
  }
  return wideToUtf8Path(base);
}

std::FILE* openLogFile(const std::string& path) { return PlatformBase::openForAppend(utf8ToWide(path)); }

void sendToDebugger(const std::string& text) {
  if (!testHooksSet.load()) {
    PlatformBase::debuggerOutput(text.c_str());
    return;
  }
  TestHooks& hooks = testHooks();
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard<std::mutex> guard(hooks.lock);
    sink = hooks.debuggerSink;
  }
  if (sink) {
    sink(text);
  } else {
    PlatformBase::debuggerOutput(text.c_str());
  }
}

// At most `limit` bytes of the text, not ending inside a UTF-8 sequence, and its size.
std::string cutTo(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t kept = limit;
  while (kept > 0 && (static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80) --kept;
  return text.substr(0, kept) + "... (" + std::to_string(text.size()) + " bytes)";
}

}  // namespace

std::string loggedLine(const std::string& text) { return cutTo(text, LOGGED_TEXT_LIMIT); }

void setLogFolderForTesting(const std::string& folder) {
  TestHooks& hooks = testHooks();
  std::lock_guard<std::mutex> guard(hooks.lock);
  hooks.folder = folder;
  testHooksSet.store(true);
}

void setDebuggerSinkForTesting(std::function<void(const std::string&)> sink) {
  TestHooks& hooks = testHooks();
  std::lock_guard<std::mutex> guard(hooks.lock);
  hooks.debuggerSink = std::move(sink);
  testHooksSet.store(true);
}

void writeLogLine(const std::string& message) {
  if (!debugLogEnabled.load(std::memory_order_relaxed)) {
    return;
  }
  // Cut before the lock: the copy of a huge message must not hold up other threads.
  const std::string line = cutTo(message, LOGGED_LINE_LIMIT);
  std::lock_guard<std::mutex> guard(logLock());

  // The file is opened for every line, so the user may move or delete it at any time;
  // when the open fails the folder is looked up (and created) once more.
  std::FILE* file = openLogFile(getDebugLogPath());
  if (file == nullptr) {
    const std::string folder = logDirectory();
    if (!folder.empty()) {
      file = openLogFile(joinPath(folder, logFileName));
    }
  }
  if (file != nullptr) {
    const PlatformBase::LocalTime now = PlatformBase::localTime();
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "[%02d:%02d:%02d.%03d] ", now.hour, now.minute, now.second,
                  now.millisecond);
    std::fputs(stamp, file);
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fflush(file);
    std::fclose(file);
  }
  sendToDebugger(line + "\n");
}

void logInfo(const std::string& message) { writeLogLine("[INFO] " + message); }

void logWarning(const std::string& message) { writeLogLine("[WARNING] " + message); }

void logError(const std::string& message) { writeLogLine("[ERROR] " + message); }

void logMove(const std::string& tag, int fromX, int fromY, int toX, int toY) {
  char line[256];
  std::snprintf(line, sizeof(line), "[%s] Move: (%d,%d) -> (%d,%d)", tag.c_str(), fromX, fromY, toX, toY);
  writeLogLine(line);
}

std::string getDebugLogPath() {
  const std::string folder = logDirectory();
  if (folder.empty()) {
    return logFileName;
  }
  return joinPath(folder, logFileName);
}

std::string logDirectory() {
  if (std::string folder = folderOverride(); !folder.empty()) {
    PlatformBase::createFolderChain(utf8ToWide(folder));
    return folder;
  }
  // The log always lives under the user's local application data, even in portable mode.
  if (std::string folder = createdLogFolderUnder(PlatformBase::localAppDataFolder()); !folder.empty()) {
    return folder;
  }
  if (std::string folder = createdLogFolderUnder(PlatformBase::localAppDataFolderLegacy()); !folder.empty()) {
    return folder;
  }
  const std::wstring program = PlatformBase::programPath();
  const size_t separator = program.find_last_of(L"\\/");
  if (separator == std::wstring::npos) {
    return {};
  }
  return wideToUtf8Path(program.substr(0, separator));
}

std::string joinPath(const std::string& folder, const std::string& fileName) {
  if (folder.empty()) {
    return fileName;
  }
  const char last = folder.back();
  if (last == '\\' || last == '/') {
    return folder + fileName;
  }
  return folder + "\\" + fileName;
}

void writeLogBanner() {
  logInfo("========== 日志系统启动 ==========");

  if (const std::wstring version = PlatformBase::productVersion(); !version.empty()) {
    logInfo("程序版本: " + wideToUtf8(version));
  }

  if (const auto os = PlatformBase::windowsVersion()) {
    char line[256];
    std::snprintf(line, sizeof(line), "系统版本: Windows %lu.%lu (Build %lu)", os->major, os->minor, os->build);
    logInfo(line);
  } else {
    logWarning("系统版本: 无法获取 Windows 版本号");
  }

  const unsigned architecture = PlatformBase::processorArchitecture();
  logInfo(std::string("系统架构: ") + (architecture == 9 ? "x64" : architecture == 0 ? "x86" : "Unknown"));

  const PlatformBase::MemoryStatus memory = PlatformBase::physicalMemory();
  char memoryLine[256];
  std::snprintf(memoryLine, sizeof(memoryLine), "内存信息: 总计 %llu MB / 可用 %llu MB",
                static_cast<unsigned long long>(memory.totalBytes >> 20),
                static_cast<unsigned long long>(memory.availableBytes >> 20));
  logInfo(memoryLine);

  const PlatformBase::LocalTime now = PlatformBase::localTime();
  char timeLine[128];
  std::snprintf(timeLine, sizeof(timeLine), "启动时间: %04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
                now.day, now.hour, now.minute, now.second);
  logInfo(timeLine);

  logInfo("日志文件: " + getDebugLogPath());
  logInfo("==================================");
}

void setDebugLogEnabled(bool on) {
  debugLogEnabled.store(on);
  // exchange() makes the banner once-only even if two threads switch the log on together.
  if (on && !logBannerWritten.exchange(true)) {
    writeLogBanner();
  }
}

bool isDebugLogEnabled() { return debugLogEnabled.load(); }

}  // namespace Tavrune
