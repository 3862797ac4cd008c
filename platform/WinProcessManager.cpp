#include "platform/WinProcessManager.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "core/Log.h"
#include "core/TextConversion.h"
#include "platform/PlatformBase.h"

namespace Tavrune {

namespace {

constexpr DWORD PIPE_BUFFER_BYTES = 64 * 1024;

// Inheritable handles exist only inside this lock, so a child started on another
// thread cannot inherit (and keep open) the pipe ends of this one.
std::mutex& creationMutex() {
  static std::mutex mutex;
  return mutex;
}

std::wstring uniquePipeName(const wchar_t* role) {
  static std::atomic<unsigned> counter{0};
  return L"\\\\.\\pipe\\tavrune-engine-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++) + L"-" + role;
}

// Our end is overlapped (so waits can be cancelled); the child's end is an ordinary
// synchronous handle, which is what its C runtime expects.
bool createPipe(bool childReads, HANDLE& ours, HANDLE& childs) {
  const std::wstring name = uniquePipeName(childReads ? L"in" : L"out");
  const DWORD access = (childReads ? PIPE_ACCESS_OUTBOUND : PIPE_ACCESS_INBOUND) | FILE_FLAG_OVERLAPPED |
                       FILE_FLAG_FIRST_PIPE_INSTANCE;
  ours = CreateNamedPipeW(name.c_str(), access, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                          PIPE_BUFFER_BYTES, PIPE_BUFFER_BYTES, 0, nullptr);
  if (ours == INVALID_HANDLE_VALUE) {
    ours = nullptr;
    return false;
  }
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  childs = CreateFileW(name.c_str(), childReads ? GENERIC_READ : GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (childs == INVALID_HANDLE_VALUE) {
    childs = nullptr;
    CloseHandle(ours);
    ours = nullptr;
    return false;
  }
  return true;
}

void closeIfHeld(HANDLE& handle) {
  if (handle) {
    CloseHandle(handle);
    handle = nullptr;
  }
}

bool isRelativePath(const std::wstring& path) {
  if (path.empty()) return false;
  if (path[0] == L'\\' || path[0] == L'/') return false;
  return !(path.size() >= 2 && path[1] == L':');
}

bool isExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring programFolder() {
  const std::wstring program = PlatformBase::programPath();
  const size_t slash = program.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : program.substr(0, slash);
}

}  // namespace

WinProcessManager::WinProcessManager() = default;

WinProcessManager::~WinProcessManager() {
  terminate();
}

bool WinProcessManager::start(const std::string& commandLine) {
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    if (processHandle) {
      logError("WinProcessManager: Process already started");
      return false;
    }
  }
  const std::wstring wide = utf8ToWide(commandLine);
  std::wstring candidate = wide;
  if (isRelativePath(wide)) {
    const std::wstring folder = programFolder();
    if (!folder.empty()) candidate = folder + L"\\" + wide;
  }
  const bool isFile = !wide.empty() && isExistingFile(candidate);
  std::wstring applicationName = isFile ? candidate : std::wstring();
  std::wstring commandText = isFile ? L"\"" + candidate + L"\"" : wide;
  std::vector<wchar_t> commandBuffer(commandText.begin(), commandText.end());
  commandBuffer.push_back(L'\0');

  std::lock_guard<std::mutex> creation(creationMutex());
  HANDLE inputOurs = nullptr, inputChild = nullptr, outputOurs = nullptr, outputChild = nullptr;
  if (!createPipe(true, inputOurs, inputChild)) {
    logError("WinProcessManager: Failed to create stdin pipe");
    return false;
  }
  if (!createPipe(false, outputOurs, outputChild)) {
    logError("WinProcessManager: Failed to create stdout pipe");
    closeIfHeld(inputOurs);
    closeIfHeld(inputChild);
    return false;
  }

  // Hand the child exactly its two pipe ends, not every inheritable handle of ours.
  HANDLE inherited[2] = {inputChild, outputChild};
  SIZE_T attributeBytes = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeBytes);
  std::vector<unsigned char> attributeStorage(attributeBytes);
  auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeStorage.data());
  const bool haveList = attributeBytes != 0 && InitializeProcThreadAttributeList(attributes, 1, 0, &attributeBytes) &&
                        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                                  sizeof(inherited), nullptr, nullptr);

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = haveList ? sizeof(STARTUPINFOEXW) : sizeof(STARTUPINFOW);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inputChild;
  startup.StartupInfo.hStdOutput = outputChild;
  startup.StartupInfo.hStdError = outputChild;
  startup.lpAttributeList = haveList ? attributes : nullptr;
  PROCESS_INFORMATION info{};
  const DWORD flags = CREATE_NO_WINDOW | (haveList ? EXTENDED_STARTUPINFO_PRESENT : 0);
  const BOOL created = CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(),
                                      commandBuffer.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                      &startup.StartupInfo, &info);
  if (haveList) DeleteProcThreadAttributeList(attributes);
  closeIfHeld(inputChild);
  closeIfHeld(outputChild);
  if (!created) {
    logError("WinProcessManager: CreateProcess failed");
    closeIfHeld(inputOurs);
    closeIfHeld(outputOurs);
    return false;
  }
  CloseHandle(info.hThread);

  std::lock_guard<std::mutex> lock(ioMutex);
  processHandle = info.hProcess;
  inputWrite = inputOurs;
  outputRead = outputOurs;
  readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  cancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return true;
}

bool WinProcessManager::write(const std::string& text) {
  std::lock_guard<std::mutex> writer(writeMutex);
  HANDLE pipe = nullptr;
  HANDLE done = nullptr;
  HANDLE cancel = nullptr;
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    if (!inputWrite) return false;
    pipe = inputWrite;
    done = writeEvent;
    cancel = cancelEvent;
    ++activeIo;
  }
  bool ok = true;
  size_t offset = 0;
  while (ok && offset < text.size()) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = done;
    ResetEvent(done);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - offset, 1u << 30));
    if (!WriteFile(pipe, text.data() + offset, chunk, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
      ok = false;
      break;
    }
    // An engine that stops reading its input fills the pipe; the wait is bounded.
    HANDLE waits[2] = {done, cancel};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(timeouts.write.count()));
    DWORD written = 0;
    if (waited != WAIT_OBJECT_0) {
      CancelIoEx(pipe, &overlapped);
      GetOverlappedResult(pipe, &overlapped, &written, TRUE);
      ok = false;
      break;
    }
    if (!GetOverlappedResult(pipe, &overlapped, &written, FALSE)) {
      ok = false;
      break;
    }
    offset += written;
  }
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    --activeIo;
  }
  ioIdle.notify_all();
  if (!ok) logError("WinProcessManager: Failed to write to stdin");
  return ok;
}

int32_t WinProcessManager::read(char* buffer, int32_t maxBytes) {
  HANDLE pipe = nullptr;
  HANDLE done = nullptr;
  HANDLE cancel = nullptr;
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    if (!outputRead || maxBytes <= 0) return -1;
    if (WaitForSingleObject(cancelEvent, 0) == WAIT_OBJECT_0) return -1;
    pipe = outputRead;
    done = readEvent;
    cancel = cancelEvent;
    ++activeIo;
  }
  int32_t result = -1;
  OVERLAPPED overlapped{};
  overlapped.hEvent = done;
  ResetEvent(done);
  const BOOL immediate = ReadFile(pipe, buffer, static_cast<DWORD>(maxBytes), nullptr, &overlapped);
  if (immediate || GetLastError() == ERROR_IO_PENDING) {
    HANDLE waits[2] = {done, cancel};
    const DWORD waited = immediate ? WAIT_OBJECT_0 : WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    DWORD got = 0;
    if (waited == WAIT_OBJECT_0) {
      if (GetOverlappedResult(pipe, &overlapped, &got, FALSE)) result = static_cast<int32_t>(got);
    } else {
      // Cancelled by terminate: wait for the cancellation so the buffer is no longer used.
      CancelIoEx(pipe, &overlapped);
      GetOverlappedResult(pipe, &overlapped, &got, TRUE);
    }
  }
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    --activeIo;
  }
  ioIdle.notify_all();
  return result;
}

bool WinProcessManager::isRunning() {
  std::lock_guard<std::mutex> lock(ioMutex);
  DWORD exitCode = 0;
  if (!processHandle || !GetExitCodeProcess(processHandle, &exitCode)) return false;
  return exitCode == STILL_ACTIVE;
}

void WinProcessManager::terminate() {
  std::unique_lock<std::mutex> lock(ioMutex);
  if (cancelEvent) SetEvent(cancelEvent);
  // Released reads and writes leave at once; the bound only guards against a broken pipe.
  if (!ioIdle.wait_for(lock, timeouts.processExit, [this] { return activeIo == 0; })) {
    logError("WinProcessManager: A read or write did not end; leaving its handles open");
    inputWrite = outputRead = readEvent = writeEvent = cancelEvent = nullptr;
  }
  closeHandles();
}

void WinProcessManager::closeHandles() {
  HANDLE input = inputWrite, output = outputRead;
  closeIfHeld(input);
  closeIfHeld(output);
  inputWrite = outputRead = nullptr;
  if (processHandle) {
    DWORD exitCode = 0;
    if (GetExitCodeProcess(processHandle, &exitCode) && exitCode == STILL_ACTIVE) {
      TerminateProcess(processHandle, 0);
      WaitForSingleObject(processHandle, static_cast<DWORD>(timeouts.processExit.count()));
    }
    HANDLE process = processHandle;
    closeIfHeld(process);
    processHandle = nullptr;
  }
  HANDLE events[3] = {readEvent, writeEvent, cancelEvent};
  for (HANDLE& event : events) closeIfHeld(event);
  readEvent = writeEvent = cancelEvent = nullptr;
}

}  // namespace Tavrune
