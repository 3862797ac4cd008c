#pragma once
// Writes small 16-bit PCM wave files for the tests: tones, constant levels, silence.
#include <cstdint>
#include <string>
#include <vector>

namespace Tavrune::Test {

// The bytes of a PCM wave file holding these interleaved samples.
std::string wavBytes(const std::vector<int16_t>& samples, uint32_t channels, uint32_t sampleRate);
// A sine tone on every channel, amplitude 0..1 of full scale.
std::vector<int16_t> sineSamples(double seconds, double frequency, double amplitude, uint32_t channels,
                                 uint32_t sampleRate);
// A constant level (0..1 of full scale) on every channel.
std::vector<int16_t> levelSamples(double seconds, double level, uint32_t channels, uint32_t sampleRate);

// Reads the samples of a 16-bit PCM wave file as floats (-1..1); empty when unreadable.
struct WavContent {
  uint32_t channels = 0;
  uint32_t sampleRate = 0;
  std::vector<float> samples;
};
WavContent readWav16(const std::string& bytes);

}  // namespace Tavrune::Test
