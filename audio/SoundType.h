#pragma once
// The game's sound effects: the key of the sound table, and each effect's file name,
// base volume and whether it is placed on the board.
#include <array>
#include <cstdint>

namespace Tavrune {

enum SoundType : uint32_t {
  SOUND_MOVE = 0,
  SOUND_CAPTURE = 1,
  SOUND_CHECK = 2,
  SOUND_CHECKMATE = 3,
  SOUND_WIN = 4,
  SOUND_LOSE = 5,
  SOUND_SELECT = 6,
  SOUND_INVALID = 7,
  SOUND_HINT = 9,
  SOUND_CURSOR = 10,
  SOUND_GAME_START = 11,
  SOUND_REVIEW_PREV = 12,
  SOUND_REVIEW_NEXT = 13,
};

struct SoundTableEntry {
  SoundType type;
  const char* fileName;
  float volume;
  bool use3D;
};

inline constexpr std::array<SoundTableEntry, 13> SOUND_TABLE = {{
    {SOUND_MOVE, "move.wav", 1.0f, true},
    {SOUND_CAPTURE, "capture.wav", 1.0f, true},
    {SOUND_CHECK, "check.wav", 1.0f, false},
    {SOUND_CHECKMATE, "checkmate.wav", 1.0f, false},
    {SOUND_WIN, "win.wav", 1.0f, false},
    {SOUND_LOSE, "lose.wav", 1.0f, false},
    {SOUND_SELECT, "select.wav", 0.7f, false},
    {SOUND_INVALID, "invalid.wav", 0.8f, false},
    {SOUND_HINT, "hint.wav", 0.7f, false},
    {SOUND_CURSOR, "cursor.wav", 0.5f, true},
    {SOUND_GAME_START, "game_start.wav", 1.0f, false},
    {SOUND_REVIEW_PREV, "review_prev.wav", 0.7f, false},
    {SOUND_REVIEW_NEXT, "review_next.wav", 0.7f, false},
}};

// The start and review sounds are not game effects: the effects switch leaves them on.
constexpr bool ignoresGameSfxSwitch(SoundType type) {
  return type == SOUND_GAME_START || type == SOUND_REVIEW_PREV || type == SOUND_REVIEW_NEXT;
}

}  // namespace Tavrune
