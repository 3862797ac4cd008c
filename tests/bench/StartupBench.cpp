// How soon the program a user starts is there: from CreateProcess to its shown, titled
// main window answering a message posted to it, next to a bare window built the same way, launched
// in turn so both see the same machine. Further programs (an older build, say) given on
// the command line join the same rounds. Also the resident memory of each, as it answers
// and once it has run for a while. Prints figures only.
//   startup_bench.exe [--launches N] [other\tavrune.exe ...]   (Unix paths are taken too)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultLaunches = 20;
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kSettleMs = 2000;

struct Launch {
  double milliseconds = 0;
  double residentMb = 0;
};

struct Program {
  fs::path path;
  std::vector<double> milliseconds;
  std::vector<double> residentMb;
  double settledMb = 0;
  int failures = 0;
};

struct WindowSearch {
  DWORD processId;
  HWND found;
};

// A shown, titled top-level window of the process that is not a message box.
BOOL CALLBACK matchMainWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window) || GetWindowTextLengthW(window) == 0) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wcscmp(className, L"#32770") == 0) return TRUE;
  search->found = window;
  return FALSE;
}

double residentMbOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
  return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

double millisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A sent message is answered before the messages already posted, and so before the
// player's first key would be: the probe is posted and counts once the window has
// handled it, behind them. Switching redrawing off takes the visible flag off the
// window's style, which is read without a message; switching it back on restores it.
bool answersPostedMessage(HWND window, const LARGE_INTEGER& started) {
  if (!PostMessageW(window, WM_SETREDRAW, FALSE, 0)) return false;
  bool handled = false;
  while (!(handled = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) == 0) &&
         millisecondsSince(started) < kWindowTimeoutMs && IsWindow(window)) {
    Sleep(1);
  }
  PostMessageW(window, WM_SETREDRAW, TRUE, 0);
  return handled;
}

// Starts the program in its own folder, times it until its window answers, reads its
// memory (after `settleMs` more), and ends it.
std::optional<Launch> launchOnce(const fs::path& program, DWORD settleMs) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  const std::wstring folder = program.parent_path().wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info)) {
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  std::optional<Launch> result;
  WindowSearch search{info.dwProcessId, nullptr};
  while (!search.found && millisecondsSince(started) < kWindowTimeoutMs &&
         WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
    EnumWindows(&matchMainWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  if (search.found && answersPostedMessage(search.found, started)) {
    Launch launch;
    launch.milliseconds = millisecondsSince(started);
    if (settleMs > 0) Sleep(settleMs);
    launch.residentMb = residentMbOf(info.hProcess);
    result = launch;
  }
  // Ended, not closed: an orderly exit under Wine takes seconds that tell nothing here.
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 10000);
  CloseHandle(info.hProcess);
  return result;
}

double percentile(std::vector<double> values, int percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

fs::path windowsPath(const std::wstring& argument) {
  // Wine shows the Unix root as drive Z:.
  if (!argument.empty() && argument[0] == L'/') return fs::path(L"Z:" + argument).make_preferred();
  return fs::path(argument);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path benchFolder = fs::path(self).parent_path();
  // This program sits in <build>/tests/bench; the program in <build>/app, as run.sh starts it.
  std::vector<Program> programs(2);
  programs[0].path = benchFolder / L"bare_window.exe";
  programs[1].path = (benchFolder / L".." / L".." / L"app" / L"tavrune.exe").lexically_normal();
  int launches = kDefaultLaunches;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--launches") == 0 && i + 1 < argc) {
      launches = std::max(1, _wtoi(argv[++i]));
    } else {
      programs.push_back(Program{windowsPath(argv[i]), {}, {}, 0, 0});
    }
  }

  // One unmeasured start each: first-run work and a cold file cache are not start-up.
  for (Program& program : programs) launchOnce(program.path, 0);
  for (int round = 0; round < launches; ++round) {
    // Every other round in reverse order, so no program always follows the same one.
    for (size_t i = 0; i < programs.size(); ++i) {
      Program& program = programs[round % 2 == 0 ? i : programs.size() - 1 - i];
      if (const std::optional<Launch> launch = launchOnce(program.path, 0)) {
        program.milliseconds.push_back(launch->milliseconds);
        program.residentMb.push_back(launch->residentMb);
      } else {
        ++program.failures;
      }
    }
  }
  for (Program& program : programs) {
    if (const std::optional<Launch> launch = launchOnce(program.path, kSettleMs)) program.settledMb = launch->residentMb;
  }

  std::printf("[bench] CreateProcess to the shown main window answering a posted message, %d launches each, interleaved\n", launches);
  const double floor = percentile(programs[0].milliseconds, 50);
  for (const Program& program : programs) {
    const double median = percentile(program.milliseconds, 50);
    std::printf("[bench] %ls\n", program.path.wstring().c_str());
    std::printf(
        "[bench]   median %.1f ms, p90 %.1f ms, %.2f x the bare window; resident %.1f MB as it answers, "
        "%.1f MB after %.0f s%s\n",
        median, percentile(program.milliseconds, 90), floor > 0 ? median / floor : 0.0,
        percentile(program.residentMb, 50), program.settledMb, kSettleMs / 1000.0,
        program.failures ? " (some launches showed no window)" : "");
  }
  return std::any_of(programs.begin(), programs.end(), [](const Program& p) { return p.failures > 0; }) ? 1 : 0;
}
