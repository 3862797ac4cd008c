#include "app/EngineAvailability.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Log.h"

namespace Tavrune {

namespace {

namespace fs = std::filesystem;

fs::path pathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string megabytesText(double megabytes) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.6f", megabytes);
  return buffer;
}

}  // namespace

std::vector<std::wstring> EngineAvailability::check(const std::string& programFolder, const std::string& enginePath) {
  logInfo("Checking engine availability...");
  if (programFolder.empty()) {
    logError("checkEngineAvailability: GetModuleFileName failed");
    return {L"引擎检测失败：无法获取程序路径"};
  }
  // Settings write Windows separators; the check also runs where only "/" separates.
  std::string engineText = enginePath.empty() ? std::string(kBuiltInEngine) : enginePath;
  std::replace(engineText.begin(), engineText.end(), '\\', '/');
  const fs::path engineFile = (pathFromUtf8(programFolder) / pathFromUtf8(engineText)).make_preferred();
  // The engine reads its network from its own folder.
  const fs::path networkPath = engineFile.parent_path() / "pikafish.nnue";
  std::error_code error;
  const bool engineExists = fs::exists(engineFile, error);
  const bool networkExists = fs::exists(networkPath, error);
  logInfo("Engine path: " + utf8FromPath(engineFile));
  logInfo(std::string("Engine exists: ") + (engineExists ? "YES" : "NO"));
  logInfo("NNUE path: " + utf8FromPath(networkPath));
  logInfo(std::string("NNUE exists: ") + (networkExists ? "YES" : "NO"));

  std::vector<std::wstring> notices;
  if (!engineExists) {
    notices.push_back(L"错误：未找到内置引擎文件");
    logError("Engine file not found: " + utf8FromPath(engineFile));
    if (networkExists) return notices;
  }
  if (!networkExists) {
    notices.push_back(L"错误：未找到神经网络模型文件");
    logError("NNUE file not found: " + utf8FromPath(networkPath));
    return notices;
  }

  std::ifstream engineStream(engineFile, std::ios::binary);
  if (!engineStream) {
    logError("Failed to open engine file");
    return {L"引擎文件访问失败"};
  }
  engineStream.seekg(0, std::ios::end);
  const std::streamoff bytes = engineStream.tellg();
  engineStream.close();
  if (bytes < 0) {
    // Without a size there is nothing to judge; the check ends here.
    logError("Failed to get engine file size");
    return {L"引擎文件读取失败"};
  }
  const double megabytes = static_cast<double>(bytes) / 1048576.0;
  logInfo("Engine file size: " + megabytesText(megabytes) + " MB");
  if (megabytes > kMinimumEngineMegabytes) {
    logInfo("Engine availability check: SUCCESS");
    return {L"内置Pikafish引擎加载成功"};
  }
  logWarning("Engine file size too small: " + megabytesText(megabytes) + " MB");
  return {L"警告：引擎文件大小异常"};
}

}  // namespace Tavrune
