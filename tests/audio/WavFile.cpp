#include "WavFile.h"

#include <cmath>
#include <cstring>

namespace Tavrune::Test {

namespace {

void put32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void put16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}
uint32_t get32(const std::string& in, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<size_t>(i)]);
  return value;
}
uint16_t get16(const std::string& in, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8));
}

}  // namespace

std::string wavBytes(const std::vector<int16_t>& samples, uint32_t channels, uint32_t sampleRate) {
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
  std::string out = "RIFF";
  put32(out, 36 + dataSize);
  out += "WAVEfmt ";
  put32(out, 16);
  put16(out, 1);
  put16(out, static_cast<uint16_t>(channels));
  put32(out, sampleRate);
  put32(out, sampleRate * channels * 2);
  put16(out, static_cast<uint16_t>(channels * 2));
  put16(out, 16);
  out += "data";
  put32(out, dataSize);
  for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
  return out;
}

std::vector<int16_t> sineSamples(double seconds, double frequency, double amplitude, uint32_t channels,
                                 uint32_t sampleRate) {
  const size_t frames = static_cast<size_t>(seconds * sampleRate);
  std::vector<int16_t> samples;
  samples.reserve(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    const double value = amplitude * std::sin(2.0 * 3.14159265358979 * frequency * static_cast<double>(i) / sampleRate);
    for (uint32_t c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(std::lround(value * 32767.0)));
  }
  return samples;
}

std::vector<int16_t> levelSamples(double seconds, double level, uint32_t channels, uint32_t sampleRate) {
  const size_t frames = static_cast<size_t>(seconds * sampleRate);
  return std::vector<int16_t>(frames * channels, static_cast<int16_t>(std::lround(level * 32767.0)));
}

WavContent readWav16(const std::string& bytes) {
  WavContent content;
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    return content;
  }
  size_t at = 12;
  uint16_t bits = 0;
  while (at + 8 <= bytes.size()) {
    const std::string id = bytes.substr(at, 4);
    uint32_t size = get32(bytes, at + 4);
    const size_t body = at + 8;
    if (id == "fmt " && body + 16 <= bytes.size()) {
      content.channels = get16(bytes, body + 2);
      content.sampleRate = get32(bytes, body + 4);
      bits = get16(bytes, body + 14);
    } else if (id == "data") {
      // A writer that was not closed cleanly may leave the size unset: take what is there.
      if (size == 0 || body + size > bytes.size()) size = static_cast<uint32_t>(bytes.size() - body);
      if (bits != 16) return {};
      for (size_t i = 0; i + 1 < size; i += 2) {
        content.samples.push_back(static_cast<int16_t>(get16(bytes, body + i)) / 32768.0f);
      }
      return content;
    }
    at = body + size + (size & 1);
  }
  return {};
}

}  // namespace Tavrune::Test
