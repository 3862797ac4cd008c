// Test relay between the engine driver and Fairy-Stockfish (see RelayFilter.h).
// Usage: engine_relay <ucci|uci> <engine.exe>. Ends when the engine's output ends; the
// engine ends with the relay (its input closes, and a job object kills it).
// Started without arguments (as the program starts its engine), the mode and the engine
// come from TAVRUNE_RELAY_MODE and TAVRUNE_RELAY_ENGINE, or else from the side file named
// after the relay (see RelaySettings.h), and when TAVRUNE_RELAY_TRANSCRIPT names a file,
// every line the driver wrote is appended to it. Faults on demand, for the program's
// recovery: while the file TAVRUNE_RELAY_CRASH_ON_GO names exists, a search deletes it
// and the relay dies at once (so one crash per file); while the file
// TAVRUNE_RELAY_ILLEGAL names exists, every best move becomes "a0a5", which the opening
// position refuses (the rook through its own pawn).
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "RelayFilter.h"
#include "RelaySettings.h"

namespace {

using Tavrune::Test::RelayFilter;
using Tavrune::Test::RelayMode;
using Tavrune::Test::RelaySettings;
namespace fs = std::filesystem;

std::mutex filterMutex;
std::mutex transcriptMutex;
HANDLE transcript = INVALID_HANDLE_VALUE;
std::mutex driverOutMutex;
std::mutex engineInMutex;
HANDLE driverOut = nullptr;
HANDLE engineIn = nullptr;

// The handle is read under its lock: the engine's input may be closed meanwhile.
void writeAll(HANDLE& handle, std::mutex& guard, const std::string& bytes) {
  std::lock_guard<std::mutex> lock(guard);
  if (!handle) return;
  size_t offset = 0;
  while (offset < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &written, nullptr)) {
      return;
    }
    offset += written;
  }
}

void route(const RelayFilter::Routing& routing) {
  for (const std::string& line : routing.toEngine) writeAll(engineIn, engineInMutex, line + "\n");
  for (const std::string& line : routing.toDriver) writeAll(driverOut, driverOutMutex, line + "\n");
}

std::wstring environmentText(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// Mode names are plain ASCII.
std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// "pikafish.exe" reads "pikafish.relay" in its own folder and fills in what the
// environment left unsaid. A relative engine path is taken from that folder, so the
// folder can be moved or copied whole.
void fillFromSideFile(std::string& mode, std::wstring& engine) {
  std::wstring self(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (length == 0 || length >= self.size()) return;
  self.resize(length);
  const fs::path relay(self);
  std::ifstream in(fs::path(relay).replace_extension(L".relay"), std::ios::binary);
  if (!in) return;
  const RelaySettings side = RelaySettings::parse(std::string((std::istreambuf_iterator<char>(in)), {}));
  if (mode.empty()) mode = side.mode;
  if (engine.empty() && !side.engine.empty()) {
    const fs::path named(std::u8string(side.engine.begin(), side.engine.end()));
    engine = (named.is_absolute() ? named : relay.parent_path() / named).wstring();
  }
}

bool fileExists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void recordDriverLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(transcriptMutex);
  if (transcript == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(transcript, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Reads lines from a handle until it ends; each complete line goes to onLine.
template <typename OnLine>
void pumpLines(HANDLE from, OnLine onLine) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buffer, sizeof(buffer), &got, nullptr) || got == 0) return;
    pending.append(buffer, got);
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      onLine(line);
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string modeText = narrow(argc >= 3 ? std::wstring(argv[1]) : environmentText(L"TAVRUNE_RELAY_MODE"));
  std::wstring enginePath = argc >= 3 ? std::wstring(argv[2]) : environmentText(L"TAVRUNE_RELAY_ENGINE");
  if (argc < 3) fillFromSideFile(modeText, enginePath);
  if (enginePath.empty()) return 2;
  RelayMode mode;
  if (!RelayFilter::parseMode(modeText, mode)) return 2;
  if (const std::wstring transcriptPath = environmentText(L"TAVRUNE_RELAY_TRANSCRIPT"); !transcriptPath.empty()) {
    transcript = CreateFileW(transcriptPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  RelayFilter filter(mode);

  HANDLE driverIn = GetStdHandle(STD_INPUT_HANDLE);
  driverOut = GetStdHandle(STD_OUTPUT_HANDLE);
  // The engine must not inherit our own pipe ends, or they would outlive us.
  SetHandleInformation(driverIn, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(driverOut, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(GetStdHandle(STD_ERROR_HANDLE), HANDLE_FLAG_INHERIT, 0);

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childIn = nullptr, childOut = nullptr, engineOut = nullptr;
  if (!CreatePipe(&childIn, &engineIn, &inheritable, 0) || !CreatePipe(&engineOut, &childOut, &inheritable, 0)) {
    return 3;
  }
  SetHandleInformation(engineIn, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(engineOut, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = childOut;
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + enginePath + L"\"";
  if (!CreateProcessW(enginePath.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info)) {
    return 4;
  }
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    AssignProcessToJobObject(job, info.hProcess);
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  CloseHandle(childIn);
  CloseHandle(childOut);

  const std::wstring crashFlag = environmentText(L"TAVRUNE_RELAY_CRASH_ON_GO");
  const std::wstring illegalFlag = environmentText(L"TAVRUNE_RELAY_ILLEGAL");
  std::thread toEngine([&] {
    pumpLines(driverIn, [&](const std::string& line) {
      recordDriverLine(line);
      if (line.rfind("go ", 0) == 0 && fileExists(crashFlag) && DeleteFileW(crashFlag.c_str())) ExitProcess(9);
      RelayFilter::Routing routing;
      {
        std::lock_guard<std::mutex> lock(filterMutex);
        routing = filter.fromDriver(line);
      }
      route(routing);
    });
    // Our input ended: the engine reads the end of its input as "quit".
    std::lock_guard<std::mutex> lock(engineInMutex);
    CloseHandle(engineIn);
    engineIn = nullptr;
  });
  toEngine.detach();

  pumpLines(engineOut, [&](const std::string& line) {
    RelayFilter::Routing routing;
    {
      std::lock_guard<std::mutex> lock(filterMutex);
      routing = filter.fromEngine(line);
    }
    if (fileExists(illegalFlag)) {
      for (std::string& out : routing.toDriver) {
        if (out.rfind("bestmove ", 0) == 0) out = "bestmove a0a5";
      }
    }
    route(routing);
  });
  WaitForSingleObject(info.hProcess, 2000);
  ExitProcess(0);
}
