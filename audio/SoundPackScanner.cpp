#include "audio/SoundPackScanner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "audio/JsonStringField.h"
#include "audio/Utf8Path.h"
#include "core/Log.h"
#include "core/TextConversion.h"

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

bool isWebAddress(const std::string& text) {
  const std::string lower = asciiLower(text);
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

SoundPack describePack(const fs::path& folder, const std::string& folderName) {
  SoundPack pack;
  pack.folderName = folderName;
  pack.path = utf8ToWide(utf8FromPath(folder));
  pack.valid = isExistingFile(utf8FromPath(folder / "move.wav"));
  const SoundPackMetadata metadata = SoundPackScanner::readSoundPackMetadata(pack.path);
  const std::string& name = metadata[0];
  pack.author = metadata[1];
  pack.version = metadata[2];
  pack.website = isWebAddress(metadata[3]) ? metadata[3] : std::string();
  pack.qq = metadata[4];
  pack.description = metadata[5];
  pack.hasMetadata = false;
  for (const std::string& value : metadata) {
    pack.hasMetadata = pack.hasMetadata || !value.empty();
  }
  if (!name.empty()) {
    pack.displayName = name;
  } else if (asciiLower(folderName) == "default") {
    pack.displayName = "默认音效包";
  } else {
    pack.displayName = folderName;
  }
  return pack;
}

}  // namespace

std::vector<SoundPack> SoundPackScanner::scanRoots(const std::vector<std::string>& soundsFolders) {
  std::vector<SoundPack> packs;
  std::set<std::string> seenNames;
  for (const std::string& root : soundsFolders) {
    if (!isExistingFolder(root)) {
      continue;
    }
    std::error_code error;
    fs::directory_iterator entries(pathFromUtf8(root), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
      std::error_code statusError;
      if (!entries->is_directory(statusError)) {
        continue;
      }
      const std::string folderName = utf8FromPath(entries->path().filename());
      const std::string key = asciiLower(folderName);
      if (folderName.empty() || key == "bg" || !seenNames.insert(key).second) {
        continue;
      }
      SoundPack pack = describePack(entries->path(), folderName);
      logInfo("Found sound pack: " + folderName + " (valid: " + (pack.valid ? "1" : "0") +
              ", hasMetadata: " + (pack.hasMetadata ? "1" : "0") + ")");
      packs.push_back(std::move(pack));
    }
  }
  return packs;
}

SoundPackMetadata SoundPackScanner::readSoundPackMetadata(const std::wstring& packFolder) {
  SoundPackMetadata metadata;
  const fs::path file = pathFromUtf8(wideToUtf8(packFolder)) / "soundpack.json";
  std::error_code error;
  const auto size = fs::file_size(file, error);
  if (error || size > MAX_METADATA_BYTES) {
    return metadata;
  }
  std::ifstream input(file, std::ios::binary);
  if (!input) {
    return metadata;
  }
  std::string text(static_cast<size_t>(size), '\0');
  input.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (input.gcount() != static_cast<std::streamsize>(text.size())) {
    return {};
  }
  static const char* const keys[] = {"name", "author", "version", "website", "qq", "description"};
  for (size_t i = 0; i < metadata.size(); ++i) {
    metadata[i] = extractJsonStringField(text, keys[i]);
  }
  return metadata;
}

}  // namespace Tavrune
