// Test relay between the engine driver and Fairy-Stockfish (see RelayFilter.h).
// Usage: engine_relay <ucci|uci> <engine.exe>. Ends when the engine's output ends; the
// engine ends with the relay (its input closes, and a job object kills it).
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>

#include "RelayFilter.h"

namespace {

using Tavrune::Test::RelayFilter;
using Tavrune::Test::RelayMode;

std::mutex filterMutex;
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
  if (argc < 3) return 2;
  RelayMode mode;
  std::wstring modeText = argv[1];
  if (!RelayFilter::parseMode(std::string(modeText.begin(), modeText.end()), mode)) return 2;
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
  std::wstring command = L"\"" + std::wstring(argv[2]) + L"\"";
  if (!CreateProcessW(argv[2], command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info)) {
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

  std::thread toEngine([&] {
    pumpLines(driverIn, [&](const std::string& line) {
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
    route(routing);
  });
  WaitForSingleObject(info.hProcess, 2000);
  ExitProcess(0);
}
