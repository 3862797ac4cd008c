#include "audio/SoundFileLoader.h"

#include "core/TextConversion.h"

namespace Tavrune {

ma_result loadSoundFile(ma_engine* engine, const std::string& path, ma_sound* sound) {
  const std::wstring widePath = utf8ToWide(path);
  return ma_sound_init_from_file_w(engine, widePath.c_str(), 0, nullptr, nullptr, sound);
}

}  // namespace Tavrune
