#include "audio/MusicPlaylist.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "audio/Utf8Path.h"
#include "core/Log.h"

namespace Tavrune {

namespace {

namespace fs = std::filesystem;

std::string asciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// The regular files directly inside a folder, as UTF-8 paths; throws on any error.
std::vector<std::string> regularFilesIn(const std::string& folder) {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(pathFromUtf8(folder))) {
    if (entry.is_regular_file()) {
      files.push_back(utf8FromPath(entry.path()));
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<std::string> MusicPlaylist::collectMusicFolders(const AudioFolders& folders) {
  std::vector<std::string> result;
  std::vector<std::string> keys;
  const std::string roots[] = {folders.dataDirectory, folders.appDirectory, folders.installRoot};
  for (const std::string& root : roots) {
    if (root.empty()) {
      continue;
    }
    const std::string candidate = utf8FromPath(pathFromUtf8(root) / "sounds" / "bg");
    const std::string key = asciiLower(candidate);
    if (!isExistingFolder(candidate) || std::find(keys.begin(), keys.end(), key) != keys.end()) {
      continue;
    }
    keys.push_back(key);
    result.push_back(candidate);
  }
  return result;
}

std::vector<std::string> MusicPlaylist::scan(const std::vector<std::string>& musicFolders) {
  if (musicFolders.empty()) {
    logInfo("Background music directory not found in user/legacy/install roots");
    return {};
  }
  std::vector<std::string> playlist;
  try {
    std::set<std::string> takenNames;
    for (const std::string& folder : musicFolders) {
      for (const std::string& file : regularFilesIn(folder)) {
        const std::string name = utf8FromPath(pathFromUtf8(file).filename());
        if (!isMusicFileName(name) || !takenNames.insert(asciiLower(name)).second) {
          continue;
        }
        playlist.push_back(file);
        logInfo("Found background music: " + file);
      }
    }
  } catch (const std::exception& error) {
    logWarning(std::string("Failed to scan background music directories: ") + error.what());
    return {};
  }
  logInfo("Background music scan complete: " + std::to_string(playlist.size()) + " files found");
  return playlist;
}

bool MusicPlaylist::isMusicFileName(const std::string& fileName) {
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || dot == 0) {
    return false;
  }
  const std::string extension = asciiLower(fileName.substr(dot));
  return extension == ".wav" || extension == ".mp3" || extension == ".ogg" || extension == ".flac";
}

}  // namespace Tavrune
