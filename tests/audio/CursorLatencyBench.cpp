// Benchmark (figures printed, nothing asserted): how soon the cursor sound is heard.
// From the call of playCursorSound to the first non-silent frame the engine mixes, with
// the pooled sound already loaded, read in blocks of 32 frames (0.67 ms at 48 kHz).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "ManagerTestRig.h"

namespace Tavrune::Test {
namespace {

using Clock = std::chrono::steady_clock;

bool hasSound(const std::vector<float>& block) {
  return std::any_of(block.begin(), block.end(), [](float s) { return std::fabs(s) > 1e-4f; });
}

TEST(CursorLatencyBench, FromKeyToFirstAudibleFrame) {
  ManagerTestRig rig;
  ASSERT_TRUE(rig.initialize());
  rig.manager().updateListener(RED);
  ma_engine* engine = rig.manager().getEngine();
  constexpr size_t blockFrames = 32;
  constexpr int rounds = 400;

  rig.manager().playCursorSound({4, 4}, RED);  // loads the pooled sound
  rig.render(0.3);

  std::vector<double> micros;
  std::vector<size_t> frameOffsets;
  for (int i = 0; i < rounds; ++i) {
    const Position square{i % 9, (i / 9) % 10};
    const auto start = Clock::now();
    rig.manager().playCursorSound(square, RED);
    size_t frames = 0;
    while (frames < NoDeviceBackend::SAMPLE_RATE) {
      const std::vector<float> block = NoDeviceBackend::render(engine, blockFrames);
      if (hasSound(block)) break;
      frames += blockFrames;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    frameOffsets.push_back(frames);
    rig.render(0.25);  // let the tick finish before the next key
  }
  std::sort(micros.begin(), micros.end());
  const auto at = [&](double q) { return micros[std::min(micros.size() - 1, static_cast<size_t>(q * micros.size()))]; };
  const size_t maxOffset = *std::max_element(frameOffsets.begin(), frameOffsets.end());
  std::printf("[bench] playCursorSound -> first non-silent frame (pooled sound warm, %d keys): "
              "median %.1f us, p99 %.1f us, max %.1f us; sound begins within %zu frames of the call\n",
              rounds, at(0.5), at(0.99), micros.back(), maxOffset);
}

}  // namespace
}  // namespace Tavrune::Test
