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

AudioTestField audioTestFieldOfKey(uint32_t key, bool ctrl, bool shift) {
  const bool across = key == VirtualKey::Left || key == VirtualKey::Right;
  const bool along = key == VirtualKey::Up || key == VirtualKey::Down;
  if (!across && !along) return AudioTestField::None;
  if (ctrl && shift) return along ? AudioTestField::Height : AudioTestField::None;
  if (shift) return across ? AudioTestField::ScaleX : AudioTestField::ScaleY;
  if (ctrl) return along ? AudioTestField::Y : AudioTestField::None;
  return across ? AudioTestField::X : AudioTestField::Z;
}

AudioTestKeyResult applyAudioTestKey(AudioTestGeometry& g, uint32_t key, bool ctrl, bool shift,
                                     AudioTestField* stepped) {
  if (stepped) *stepped = AudioTestField::None;
  if (key == VirtualKey::Escape) return AudioTestKeyResult::Close;
  if (key == VirtualKey::Space) return AudioTestKeyResult::Copy;
  const int32_t sign = (key == VirtualKey::Right || key == VirtualKey::Up) ? 1 : -1;
  const AudioTestField field = audioTestFieldOfKey(key, ctrl, shift);
  if (stepped) *stepped = field;
  switch (field) {
    case AudioTestField::None:
      return AudioTestKeyResult::None;
    case AudioTestField::X:
      g.xCm += sign * kPlaceStepCm;
      break;
    case AudioTestField::Y:
      g.yCm += sign * kPlaceStepCm;
      break;
    case AudioTestField::Z:
      g.zCm += sign * kPlaceStepCm;
      break;
    case AudioTestField::ScaleX:
      step(g.scaleXHundredths, sign * kScaleStep, kScaleMin, kScaleMax);
      break;
    case AudioTestField::ScaleY:
      step(g.scaleYHundredths, sign * kScaleStep, kScaleMin, kScaleMax);
      break;
    case AudioTestField::Height:
      step(g.listenerHeightHundredths, sign * kHeightStep, kHeightMin, kHeightMax);
      break;
  }
  return AudioTestKeyResult::Changed;
}

std::wstring audioTestPositionLabel(wchar_t axis, int32_t centimetres) {
  return std::wstring(1, axis) + L": " + std::to_wstring(centimetres) + L"cm";
}

std::wstring audioTestMappingLabel(const wchar_t* name, int32_t hundredths) {
  return std::wstring(name) + L": " + metres(hundredths) + L"m";
}

std::wstring audioTestFieldLabel(const AudioTestGeometry& g, AudioTestField field) {
  switch (field) {
    case AudioTestField::X:
      return audioTestPositionLabel(L'X', g.xCm);
    case AudioTestField::Y:
      return audioTestPositionLabel(L'Y', g.yCm);
    case AudioTestField::Z:
      return audioTestPositionLabel(L'Z', g.zCm);
    case AudioTestField::ScaleX:
      return audioTestMappingLabel(L"ScaleX", g.scaleXHundredths);
    case AudioTestField::ScaleY:
      return audioTestMappingLabel(L"ScaleY", g.scaleYHundredths);
    case AudioTestField::Height:
      return audioTestMappingLabel(L"Height", g.listenerHeightHundredths);
    case AudioTestField::None:
      break;
  }
  return {};
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
