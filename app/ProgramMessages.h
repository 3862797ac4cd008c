#pragma once
// The window messages and timers of the program. Messages from other threads carry a
// heap payload in lParam that the window frees; the sender frees it when posting fails.
#include <windows.h>

namespace Tavrune {

// LAN event, code 1..13 in wParam.
constexpr UINT WM_LAN_EVENT = WM_USER + 100;
// The engine's move: lParam a heap Move, wParam the stamp of the request it answers.
constexpr UINT WM_AI_MOVE = WM_USER + 101;
// A move the game has played: lParam a heap MoveMadeNotice.
constexpr UINT WM_MOVE_MADE = WM_USER + 102;
// The game's state changed on another thread: wParam the GameState.
constexpr UINT WM_GAME_STATE_CHANGED = WM_USER + 103;
// The engine front end's readiness report: wParam 1 ready, 0 gave up.
constexpr UINT WM_ENGINE_READY = WM_USER + 104;
// The engine's state changed (the status line shows it).
constexpr UINT WM_ENGINE_STATE_CHANGED = WM_USER + 105;
// The action that held notices is over: they are spoken, joined, as one.
constexpr UINT WM_FLUSH_NOTICES = WM_USER + 106;
// Work of the LAN session (a received line, a lost connection) to run on the UI thread,
// where the game lives: lParam a heap std::function<void()>.
constexpr UINT WM_LAN_WORK = WM_USER + 110;

constexpr UINT_PTR TIMER_LAN_POLL = 1001;
constexpr UINT_PTR TIMER_NOTATION_INPUT = 1002;
// Moves the background music on to its next track; runs for the window's life, so a
// track follows the last one with no input, also while a box or dialog is open.
constexpr UINT_PTR TIMER_MUSIC = 1003;
constexpr UINT kMusicCheckMs = 200;
// The gap after the previous notice has passed: the held notices are spoken.
constexpr UINT_PTR TIMER_NOTICE_FLUSH = 1004;
// Start-up work that waits until the window has answered: a timer comes after the
// player's first key and the first painting, which a posted message would come before.
constexpr UINT_PTR TIMER_FINISH_STARTUP = 1005;

}  // namespace Tavrune
