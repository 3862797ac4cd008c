#pragma once
// Typing a whole move in traditional notation on the numeric keypad (and, when enabled,
// on the main keyboard's digit row): piece, start file or front/rear, action, target,
// e.g. 6 2 . 5 for the cannon on file two across to file five. The window offers it
// every key before the board keys and carries out each answer: the notices to announce,
// what to do with its time-out timer, and the move that was played.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

class GameEngine;

struct NotationSettings {
  bool numpadEnabled = true;
  bool mainKeyboardEnabled = false;
  bool frontBackAlias82 = true;  // an unmatched start of 8 or 2 is retried as front or rear
  int32_t timeoutMs = 0;         // 0 or less: an entry never expires
};

// What the window knows about whose turn it is.
struct NotationTurn {
  bool gameActive = false;
  bool reviewOpen = false;
  GameMode mode = MODE_PVP;
  PieceColor humanSide = RED;
  bool lanLocalTurn = false;      // LAN: a controller exists and it is the local turn
  PieceColor viewerSide = RED;    // the side the typed files are counted from
  std::wstring lanRefusal;        // LAN: the session cannot take a move now; said instead
  bool engineUnavailable = false; // engine game: the engine has given up, so its turn never ends
};

// The window's time-out timer after a key: leave it, kill it, or (re)start it.
struct NotationTimerRequest {
  enum Kind : int32_t { Keep, Stop, Start };
  Kind kind = Keep;
  uint32_t periodMs = 0;  // Start only
};

struct NotationOutcome {
  bool consumed = false;              // false: the board keys get the key
  std::vector<std::wstring> notices;  // to announce, in order
  NotationTimerRequest timer;
  std::optional<Move> playedMove;     // the game played this move
  bool mainCursorFollows = true;      // the move was the human side's: the main cursor goes to its target
};

// The entry as typed so far; cleared as one block.
struct NotationFields {
  int32_t step = 0;     // 0 piece, 1 start, 2 action, 3 target
  wchar_t piece = 0;    // '1'..'7' in keypad order (1 king .. 7 pawn)
  wchar_t start = 0;    // '1'..'9', '+' front or '-' rear
  wchar_t action = 0;   // '+' advance, '-' retreat, '.' traverse
  wchar_t target = 0;   // '1'..'9'
  bool active = false;
};

class NotationEntry {
 public:
  static constexpr int32_t kMaxTimeoutMs = 10000;

  // Returns what the timer needs under the new time-out (the settings applier re-arms it).
  NotationTimerRequest setSettings(const NotationSettings& settings);
  const NotationSettings& settings() const { return settings_; }

  // Every key the window does not handle itself, before the board keys. numLockOn is the
  // toggle state of NumLock when the key arrived.
  NotationOutcome handleKey(uint32_t virtualKey, bool numLockOn, const NotationTurn& turn,
                            GameEngine& game);
  // The time-out timer fired.
  NotationOutcome onTimeout();
  // Silent reset for focus loss, deactivation and an opening menu; Stop when an entry was
  // under way, Keep otherwise.
  NotationTimerRequest cancel();

  bool isActive() const { return fields_.active; }
  const NotationFields& fields() const { return fields_; }

  // The timer period for a time-out setting: capped at 10000 ms, 0 for no timer.
  static uint32_t timerPeriodMs(int32_t timeoutSetting);
  // The character a key types, or none when the key takes no part in an entry.
  static std::optional<wchar_t> characterFor(uint32_t virtualKey, const NotationSettings& settings);
  static bool isKeypadDigit(uint32_t virtualKey);
  // The keypad's own notation keys: digits, +, - and the decimal point.
  static bool isKeypadKey(uint32_t virtualKey);
  // The notice that refuses an entry now, or none when it is the local player's turn.
  static std::optional<std::wstring> turnRefusal(const NotationTurn& turn, const GameEngine& game);
  // What the step just reached repeats back; what a refused character is told.
  static std::wstring promptFor(const NotationFields& fields);
  static std::wstring hintFor(wchar_t typed, int32_t step);

 private:
  void reset(NotationOutcome& out);
  NotationTimerRequest armRequest() const;
  void stepBack(NotationOutcome& out);
  void accept(wchar_t typed, const NotationTurn& turn, GameEngine& game, NotationOutcome& out);
  void advanceTo(int32_t step, NotationOutcome& out);
  // False only for an ambiguous entry, which keeps its fields.
  bool submit(const NotationTurn& turn, GameEngine& game, NotationOutcome& out);

  NotationSettings settings_;
  NotationFields fields_;
};

}  // namespace Tavrune
