#include "records/AtomicRecordWriter.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

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

bool writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) return false;
  out.close();
  return !out.fail();
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
