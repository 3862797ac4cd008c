#include "core/AtomicFileWriter.h"

#include <windows.h>

#include <atomic>

#include "core/SystemErrorText.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace {

// A virus scanner or indexer may hold a freshly closed file for a moment; the replace is
// retried briefly before it counts as failed.
constexpr int replaceAttempts = 10;
constexpr DWORD replaceRetryDelayMs = 10;
constexpr int temporaryNameAttempts = 16;

std::string lastErrorText() { return SystemErrorText::fromCode(GetLastError()); }

bool writeAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// A name of its own for every save, made only if nothing has it yet: a file or folder
// left behind by an interrupted save, or one held by another process, cannot block it.
HANDLE createTemporarySibling(const std::wstring& target, std::wstring& temporary) {
  static std::atomic<unsigned> counter{0};
  const std::wstring stem = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < temporaryNameAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = stem + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter.fetch_add(1)) + L".tmp";
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    }
  }
  return file;
}

}  // namespace

AtomicFileWriter::Outcome AtomicFileWriter::write(const std::string& path, const std::string& bytes,
                                                  std::string& reason) {
  const std::wstring target = utf8ToWide(path);
  std::wstring temporary;
  HANDLE file = createTemporarySibling(target, temporary);
  if (file == INVALID_HANDLE_VALUE) {
    reason = lastErrorText();
    return Outcome::OpenFailed;
  }
  const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
  const std::string writeError = written ? std::string() : lastErrorText();
  const bool closed = CloseHandle(file) != 0;
  if (!written || !closed) {
    reason = written ? lastErrorText() : writeError;
    DeleteFileW(temporary.c_str());
    return Outcome::WriteFailed;
  }

  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return Outcome::Written;
    }
    const DWORD error = GetLastError();
    const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                           error == ERROR_LOCK_VIOLATION;
    if (!transient || attempt >= replaceAttempts) {
      reason = SystemErrorText::fromCode(error);
      DeleteFileW(temporary.c_str());
      return Outcome::ReplaceFailed;
    }
    Sleep(replaceRetryDelayMs);
  }
}

}  // namespace Tavrune
