#pragma once
// One sound pack found under a "sounds" folder, with what its "soundpack.json" says.
#include <string>

namespace Tavrune {

struct SoundPack {
  std::string folderName;
  std::string displayName;
  std::wstring path;
  bool valid = false;  // the folder holds "move.wav"
  std::string author;
  std::string version;
  std::string website;  // only an http:// or https:// address, since the dialog opens it
  std::string qq;
  std::string description;
  bool hasMetadata = false;
};

}  // namespace Tavrune
