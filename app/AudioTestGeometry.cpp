#include "app/AudioTestGeometry.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "app/VirtualKeys.h"

namespace Tavrune {

namespace {

constexpr int32_t kPlaceStepCm = 20;
constexpr int32_t kScaleStep = 5;  // hundredths
constexpr int32_t kScaleMin = 1;
constexpr int32_t kScaleMax = 100;
constexpr int32_t kHeightStep = 10;
constexpr int32_t kHeightMin = 10;
constexpr int32_t kHeightMax = 200;

int32_t hundredthsOf(float value, int32_t fallback) {
  return std::isfinite(value) ? static_cast<int32_t>(std::lround(value * 100.0f)) : fallback;
}

void step(int32_t& value, int32_t by, int32_t low, int32_t high) { value = std::clamp(value + by, low, high); }

std::wstring metres(int32_t hundredths) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%f", static_cast<double>(hundredths) / 100.0);
  return text;
}

}  // namespace

void AudioTestGeometry::takeMapping(float scaleX, float scaleY, float listenerHeight) {
  scaleXHundredths = hundredthsOf(scaleX, scaleXHundredths);
  scaleYHundredths = hundredthsOf(scaleY, scaleYHundredths);
  listenerHeightHundredths = hundredthsOf(listenerHeight, listenerHeightHundredths);
}

AudioTestKeyResult applyAudioTestKey(AudioTestGeometry& g, uint32_t key, bool ctrl, bool shift) {
  if (key == VirtualKey::Escape) return AudioTestKeyResult::Close;
  if (key == VirtualKey::Space) return AudioTestKeyResult::Copy;
  const bool left = key == VirtualKey::Left;
  const bool right = key == VirtualKey::Right;
  const bool up = key == VirtualKey::Up;
  const bool down = key == VirtualKey::Down;
  if (!left && !right && !up && !down) return AudioTestKeyResult::None;
  const int32_t sign = (right || up) ? 1 : -1;
  if (ctrl && shift) {
    if (left || right) return AudioTestKeyResult::None;
    step(g.listenerHeightHundredths, sign * kHeightStep, kHeightMin, kHeightMax);
  } else if (shift) {
    step(left || right ? g.scaleXHundredths : g.scaleYHundredths, sign * kScaleStep, kScaleMin, kScaleMax);
  } else if (ctrl) {
    if (left || right) return AudioTestKeyResult::None;
    g.yCm += sign * kPlaceStepCm;
  } else if (left || right) {
    g.xCm += sign * kPlaceStepCm;
  } else {
    g.zCm += sign * kPlaceStepCm;
  }
  return AudioTestKeyResult::Changed;
}

std::wstring audioTestPositionLabel(wchar_t axis, int32_t centimetres) {
  return std::wstring(1, axis) + L": " + std::to_wstring(centimetres) + L"cm";
}

std::wstring audioTestMappingLabel(const wchar_t* name, int32_t hundredths) {
  return std::wstring(name) + L": " + metres(hundredths) + L"m";
}

std::wstring audioTestParametersText(const AudioTestGeometry& g) {
  return L"boardScaleX=" + metres(g.scaleXHundredths) + L"\nboardScaleY=" + metres(g.scaleYHundredths) +
         L"\nlistenerHeight=" + metres(g.listenerHeightHundredths);
}

std::wstring audioTestSummaryText(const AudioTestGeometry& g) {
  return audioTestParametersText(g) + L"\n\n当前音效位置:\nX: " + metres(g.xCm) + L"m\nY: " + metres(g.yCm) +
         L"m\nZ: " + metres(g.zCm) + L"m";
}

}  // namespace Tavrune
