#pragma once
// Finds the background-music tracks: audio files directly inside the "sounds/bg"
// folders of the data folder, the program folder and the install root, in byte order
// of their paths folder by folder, a file name already found earlier being skipped.
#include <string>
#include <vector>

#include "audio/AudioFolders.h"

namespace Tavrune {

class MusicPlaylist {
 public:
  // The existing "sounds/bg" folders, each listed once (compared without letter case).
  static std::vector<std::string> collectMusicFolders(const AudioFolders& folders);
  // The tracks of these folders; empty (with a warning) when a folder cannot be read.
  static std::vector<std::string> scan(const std::vector<std::string>& musicFolders);
  // ".wav", ".mp3", ".ogg" or ".flac" in any letter case; a leading dot starts no extension.
  static bool isMusicFileName(const std::string& fileName);
};

}  // namespace Tavrune
