// The window's input decisions as pure functions: command-line switches, the key table,
// the board click mapping and the installer's request guard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/BoardHitTest.h"
#include "app/CommandLineOptions.h"
#include "app/InstallerRequest.h"
#include "app/KeyRouter.h"

namespace Tavrune {
namespace {

TEST(CommandLineOptionsTest, DataFolderSwitches) {
  struct Case {
    std::vector<std::wstring> arguments;
    DataFolderChoice expected;
  };
  const Case cases[] = {
      {{}, DataFolderChoice::Unspecified},
      {{L"--portable"}, DataFolderChoice::Portable},
      {{L"--installed"}, DataFolderChoice::Installed},
      {{L"--PORTABLE"}, DataFolderChoice::Portable},
      {{L"--InStAlLeD"}, DataFolderChoice::Installed},
      {{L"--installed", L"--portable"}, DataFolderChoice::Portable},
      {{L"--portable", L"--installed"}, DataFolderChoice::Portable},
      {{L"game.pgn", L"-portable", L"--portables", L"portable"}, DataFolderChoice::Unspecified},
      {{L"--portable="}, DataFolderChoice::Unspecified},
      {{L"x", L"--Installed", L"y"}, DataFolderChoice::Installed},
      // Non-ASCII letters are not folded, so look-alikes do not count.
      {{L"--ＰＯＲＴＡＢＬＥ"}, DataFolderChoice::Unspecified},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineOptions::dataFolderChoice(c.arguments), c.expected)
        << (c.arguments.empty() ? std::string("(none)") : std::string(c.arguments[0].begin(), c.arguments[0].end()));
  }
}

TEST(KeyRouterTest, TableOrderAndGuards) {
  struct Case {
    uint32_t key;
    bool ctrl;
    bool hotkeys;
    KeyAction action;
    int32_t file;
  };
  constexpr uint32_t F1 = KeyRouter::kF1;
  const Case cases[] = {
      {F1, true, true, KeyAction::ReadBoardFile, 1},
      {F1 + 4, true, true, KeyAction::ReadBoardFile, 5},  // Ctrl+F5 reads, leaves the volume alone
      {KeyRouter::kF9, true, true, KeyAction::ReadBoardFile, 9},
      {F1, true, false, KeyAction::BoardKey, 0},
      {KeyRouter::kF9, true, false, KeyAction::BoardKey, 0},
      {KeyRouter::kF5, true, false, KeyAction::VolumeDown, 0},  // hot keys off: Ctrl+F5 is volume
      {KeyRouter::kF6, true, false, KeyAction::VolumeUp, 0},
      {KeyRouter::kF7, true, false, KeyAction::ResetVolumeChannel, 0},
      {KeyRouter::kF8, true, false, KeyAction::ToggleAudioChannel, 0},
      {KeyRouter::kF5, false, true, KeyAction::VolumeDown, 0},
      {KeyRouter::kF6, false, true, KeyAction::VolumeUp, 0},
      {KeyRouter::kF7, false, true, KeyAction::ResetVolumeChannel, 0},
      {KeyRouter::kF8, false, true, KeyAction::ToggleAudioChannel, 0},
      {F1, false, true, KeyAction::BoardKey, 0},
      {'P', true, true, KeyAction::OpenSettings, 0},
      {'P', false, true, KeyAction::BoardKey, 0},
      {'H', true, true, KeyAction::ToggleDebugLog, 0},
      {'H', false, true, KeyAction::BoardKey, 0},
      {'R', false, true, KeyAction::RepeatLatestNotice, 0},
      {'R', true, true, KeyAction::RepeatLatestNotice, 0},
      {'E', false, false, KeyAction::OlderNotice, 0},
      {'E', true, true, KeyAction::OlderNotice, 0},
      {'T', false, true, KeyAction::NewerNotice, 0},
      {'T', true, false, KeyAction::NewerNotice, 0},
      {'M', true, true, KeyAction::NextVolumeChannel, 0},
      {'M', false, true, KeyAction::BoardKey, 0},
      {0x0D, false, true, KeyAction::BoardKey, 0},  // Enter
      {0x26, true, true, KeyAction::BoardKey, 0},   // Ctrl+Up
  };
  for (const Case& c : cases) {
    const KeyRoute route = KeyRouter::route(c.key, c.ctrl, c.hotkeys);
    EXPECT_EQ(route.action, c.action) << "key 0x" << std::hex << c.key << " ctrl " << c.ctrl << " hotkeys " << c.hotkeys;
    EXPECT_EQ(route.fileNumber, c.file) << "key 0x" << std::hex << c.key;
  }
}

TEST(BoardHitTestTest, EdgesAndMirror) {
  struct Case {
    int32_t x;
    int32_t y;
    bool flipped;
    bool hit;
    Position point;
  };
  const Case cases[] = {
      {9, 40, false, false, {}},
      {550, 40, false, false, {}},
      {10, 39, false, false, {}},
      {10, 640, false, false, {}},
      {10, 40, false, true, {0, 0}},
      {10, 40, true, true, {8, 9}},
      {549, 639, false, true, {8, 9}},
      {549, 639, true, true, {0, 0}},
      {69, 99, false, true, {0, 0}},
      {70, 100, false, true, {1, 1}},
      {250, 340, false, true, {4, 5}},
      {250, 340, true, true, {4, 4}},
      {-5, -5, false, false, {}},
      {-32768, 100, false, false, {}},
  };
  for (const Case& c : cases) {
    const std::optional<Position> point = BoardHitTest::pointAt(c.x, c.y, c.flipped);
    ASSERT_EQ(point.has_value(), c.hit) << c.x << "," << c.y;
    if (c.hit) {
      EXPECT_EQ(*point, c.point) << c.x << "," << c.y << " flipped " << c.flipped;
    }
  }
}

TEST(InstallerRequestTest, OnlyTheTaggedQuitRequestPasses) {
  const std::string quit = "TV_INSTALLER_QUIT:";
  const std::string withReason = "TV_INSTALLER_QUIT:update 1.2.11";
  const std::string unterminated = "TV_INSTALLER_QUIT:";  // cbData without the NUL
  const std::string wrongCase = "tv_installer_quit:";
  struct Case {
    uint64_t tag;
    uint64_t size;
    const void* data;
    bool expected;
  };
  const Case cases[] = {
      {InstallerRequest::kTag, quit.size() + 1, quit.c_str(), true},
      {InstallerRequest::kTag, withReason.size(), withReason.c_str(), true},
      {InstallerRequest::kTag, unterminated.size(), unterminated.data(), true},
      {InstallerRequest::kTag, 17, quit.c_str(), false},
      {InstallerRequest::kTag, 0, quit.c_str(), false},
      {InstallerRequest::kTag, 18, nullptr, false},
      {0x51525654, quit.size(), quit.c_str(), false},  // the tag's bytes reversed
      {0, quit.size(), quit.c_str(), false},
      {InstallerRequest::kTag, wrongCase.size(), wrongCase.c_str(), false},
      {InstallerRequest::kTag | (uint64_t{1} << 32), quit.size(), quit.c_str(), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstallerRequest::isQuitRequest(c.tag, c.size, c.data), c.expected)
        << "tag " << std::hex << c.tag << " size " << std::dec << c.size;
  }
}

}  // namespace
}  // namespace Tavrune
