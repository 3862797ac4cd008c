#include "records/AtomicRecordWriter.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Tavrune {

namespace {

namespace fs = std::filesystem;

// Tries a few names so that a left-over or concurrent temporary file is never reused.
constexpr int temporaryNameAttempts = 16;

fs::path freshSiblingName(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  fs::path name = target.filename();
  name += ".";
  name += std::to_string(ticks % 1000000007ULL) + "-" + std::to_string(counter.fetch_add(1));
  name += ".tmp";
  return target.parent_path() / name;
}

#ifdef _WIN32
FILE* openForWriting(const fs::path& file) { return _wfopen(file.c_str(), L"wb"); }
// _commit is FlushFileBuffers on the file's handle.
bool forceToDisk(FILE* stream) { return _commit(_fileno(stream)) == 0; }
#else
FILE* openForWriting(const fs::path& file) { return std::fopen(file.c_str(), "wb"); }
bool forceToDisk(FILE* stream) { return fsync(fileno(stream)) == 0; }
#endif

// The bytes reach the disk before the rename makes them the record: after a power cut
// the target is the old file or the new one, never a renamed empty one.
bool writeFile(const fs::path& file, const std::string& bytes) {
  FILE* stream = openForWriting(file);
  if (stream == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() &&
                       std::fflush(stream) == 0 && forceToDisk(stream);
  const bool closed = std::fclose(stream) == 0;
  return written && closed;
}

}  // namespace

bool AtomicRecordWriter::write(const fs::path& target, const std::string& bytes, std::string& reason) {
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    reason = "the target is a folder";
    return false;
  }

  fs::path temporary;
  for (int attempt = 0; attempt < temporaryNameAttempts && temporary.empty(); ++attempt) {
    const fs::path candidate = freshSiblingName(target);
    if (!fs::exists(candidate, ec) && !ec) temporary = candidate;
  }
  if (temporary.empty()) {
    reason = "no free temporary file name beside the target";
    return false;
  }

  if (!writeFile(temporary, bytes)) {
    fs::remove(temporary, ec);
    reason = "the temporary file could not be written";
    return false;
  }

  // One step: rename(2) on POSIX; on Windows libstdc++ calls MoveFileExW with
  // MOVEFILE_REPLACE_EXISTING, which fails while another handle holds the target
  // without delete sharing.
  fs::rename(temporary, target, ec);
  if (ec) {
    reason = "the target could not be replaced: " + ec.message();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace Tavrune
