#pragma once
// The 3D test window's looping sound, kept by the audio manager so that it never
// outlives the engine it plays on: released before the engine goes away and started
// again, from the same file at the same place, on the next engine.
#include <filesystem>
#include <memory>

#include "audio/Vec3.h"
#include "miniaudio.h"

namespace Tavrune {

class TestSound {
 public:
  TestSound() = default;
  ~TestSound();
  TestSound(const TestSound&) = delete;
  TestSound& operator=(const TestSound&) = delete;

  // Loads the file on the engine and starts it looping at full volume at the place;
  // miniaudio's result code. On failure nothing is kept.
  ma_result start(ma_engine* engine, const std::filesystem::path& file, Vec3 place);
  void place(Vec3 place);
  // Stops it for good.
  void stop();
  // Lets go of the engine's sound but remembers it for `resume`.
  void suspend();
  // Starts a suspended sound again on a new engine; miniaudio's result code, MA_SUCCESS
  // when nothing was suspended.
  ma_result resume(ma_engine* engine);
  bool isPlaying() const;

 private:
  void release();

  std::unique_ptr<ma_sound> sound_;
  std::filesystem::path file_;
  Vec3 place_;
  bool wanted_ = false;
};

}  // namespace Tavrune
