// What the 3D audio test window's keys do to its numbers, and the texts it shows and copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AudioTestGeometry.h"
#include "app/VirtualKeys.h"

namespace Tavrune {
namespace {

struct Press {
  uint32_t key;
  bool ctrl = false;
  bool shift = false;
};

TEST(AudioTestGeometryTest, KeysStepThePlaceAndTheMappingWithinTheirLimits) {
  using VK = uint32_t;
  const VK L = VirtualKey::Left, R = VirtualKey::Right, U = VirtualKey::Up, D = VirtualKey::Down;
  struct Case {
    const char* name;
    Press press;
    int times;
    AudioTestGeometry expected;
  };
  auto with = [](auto change) {
    AudioTestGeometry g;
    change(g);
    return g;
  };
  const Case cases[] = {
      {"right twice", {R}, 2, with([](auto& g) { g.xCm = 40; })},
      {"left", {L}, 1, with([](auto& g) { g.xCm = -20; })},
      {"up is to the front", {U}, 1, with([](auto& g) { g.zCm = 20; })},
      {"down", {D}, 3, with([](auto& g) { g.zCm = -60; })},
      // Floats would give 0.099999994 here and the label "Y: 9cm".
      {"ctrl+up twice from -0.3", {U, true}, 2, with([](auto& g) { g.yCm = 10; })},
      {"ctrl+down", {D, true}, 1, with([](auto& g) { g.yCm = -50; })},
      {"shift+left stops at 0.01", {L, false, true}, 10, with([](auto& g) { g.scaleXHundredths = 1; })},
      {"shift+right stops at 1.0", {R, false, true}, 30, with([](auto& g) { g.scaleXHundredths = 100; })},
      {"shift+up scales rows", {U, false, true}, 1, with([](auto& g) { g.scaleYHundredths = 20; })},
      {"shift+down stops at 0.01", {D, false, true}, 10, with([](auto& g) { g.scaleYHundredths = 1; })},
      {"ctrl+shift+up stops at 2.0", {U, true, true}, 30, with([](auto& g) { g.listenerHeightHundredths = 200; })},
      {"ctrl+shift+down stops at 0.1", {D, true, true}, 30, with([](auto& g) { g.listenerHeightHundredths = 10; })},
      {"ctrl+left does nothing", {L, true}, 3, AudioTestGeometry{}},
      {"ctrl+shift+right does nothing", {R, true, true}, 3, AudioTestGeometry{}},
      {"other keys do nothing", {VirtualKey::Return}, 1, AudioTestGeometry{}},
  };
  for (const Case& c : cases) {
    AudioTestGeometry g;
    for (int i = 0; i < c.times; ++i) applyAudioTestKey(g, c.press.key, c.press.ctrl, c.press.shift);
    EXPECT_EQ(std::vector<int32_t>({g.xCm, g.yCm, g.zCm, g.scaleXHundredths, g.scaleYHundredths,
                                    g.listenerHeightHundredths}),
              std::vector<int32_t>({c.expected.xCm, c.expected.yCm, c.expected.zCm, c.expected.scaleXHundredths,
                                    c.expected.scaleYHundredths, c.expected.listenerHeightHundredths}))
        << c.name;
  }

  AudioTestGeometry g;
  EXPECT_EQ(applyAudioTestKey(g, L, true, false), AudioTestKeyResult::None);
  EXPECT_EQ(applyAudioTestKey(g, VirtualKey::Escape, true, true), AudioTestKeyResult::Close);
  EXPECT_EQ(applyAudioTestKey(g, VirtualKey::Space, false, true), AudioTestKeyResult::Copy);
  EXPECT_EQ(applyAudioTestKey(g, L, false, true), AudioTestKeyResult::Changed);
}

TEST(AudioTestGeometryTest, TextsShowTheSteppedValues) {
  AudioTestGeometry g;
  g.takeMapping(0.2f, 0.35f, 1.2f);
  for (int i = 0; i < 2; ++i) applyAudioTestKey(g, VirtualKey::Up, true, false);
  applyAudioTestKey(g, VirtualKey::Left, false, false);
  EXPECT_EQ(audioTestPositionLabel(L'X', g.xCm), L"X: -20cm");
  EXPECT_EQ(audioTestPositionLabel(L'Y', g.yCm), L"Y: 10cm");
  EXPECT_EQ(audioTestMappingLabel(L"ScaleY", g.scaleYHundredths), L"ScaleY: 0.350000m");
  EXPECT_EQ(audioTestParametersText(g), L"boardScaleX=0.200000\nboardScaleY=0.350000\nlistenerHeight=1.200000");
  EXPECT_EQ(audioTestSummaryText(g),
            L"boardScaleX=0.200000\nboardScaleY=0.350000\nlistenerHeight=1.200000\n\n当前音效位置:\n"
            L"X: -0.200000m\nY: 0.100000m\nZ: 0.000000m");
}

}  // namespace
}  // namespace Tavrune
