#include "audio/TestSound.h"

namespace Tavrune {

TestSound::~TestSound() { release(); }

ma_result TestSound::start(ma_engine* engine, const std::filesystem::path& file, Vec3 place) {
  stop();
  if (engine == nullptr) return MA_INVALID_ARGS;
  auto sound = std::make_unique<ma_sound>();
  // The wide form: the program folder may hold characters outside the ANSI code page.
  const ma_result result = ma_sound_init_from_file_w(engine, file.c_str(), 0, nullptr, nullptr, sound.get());
  if (result != MA_SUCCESS) return result;
  sound_ = std::move(sound);
  file_ = file;
  place_ = place;
  wanted_ = true;
  ma_sound_set_looping(sound_.get(), MA_TRUE);
  ma_sound_set_position(sound_.get(), place.x, place.y, place.z);
  ma_sound_set_volume(sound_.get(), 1.0f);
  ma_sound_start(sound_.get());
  return MA_SUCCESS;
}

void TestSound::place(Vec3 place) {
  place_ = place;
  if (sound_) ma_sound_set_position(sound_.get(), place.x, place.y, place.z);
}

void TestSound::stop() {
  release();
  wanted_ = false;
}

void TestSound::suspend() { release(); }

ma_result TestSound::resume(ma_engine* engine) {
  if (!wanted_ || sound_) return MA_SUCCESS;
  const std::filesystem::path file = file_;
  const ma_result result = start(engine, file, place_);
  // A failed restart is tried again on the next engine.
  if (result != MA_SUCCESS) wanted_ = true;
  return result;
}

bool TestSound::isPlaying() const { return sound_ && ma_sound_is_playing(sound_.get()); }

void TestSound::release() {
  if (!sound_) return;
  ma_sound_stop(sound_.get());
  ma_sound_uninit(sound_.get());
  sound_.reset();
}

}  // namespace Tavrune
