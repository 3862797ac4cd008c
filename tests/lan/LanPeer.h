#pragma once
// One LAN player wired as the window wires it, without a window: its own game, transport
// and session controller. The window's message queue is a PostedQueue that the test thread
// drains; the callbacks that only notify are kept as event texts ("ready:1:name",
// "status:…", "acked:3"), and game ready sets up the game on the queue, as the window does.
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "game/GameEngine.h"
#include "lan/FaultyRelay.h"
#include "lan/LANGameController.h"
#include "lan/Network.h"
#include "lan/ScriptedPeer.h"
#include "support/PostedQueue.h"

namespace Tavrune::Test {

// A steady clock that only moves when told, shared by both players of a test.
class ManualClock {
 public:
  std::chrono::steady_clock::time_point now() const {
    return base + std::chrono::nanoseconds(offset.load());
  }
  void advance(std::chrono::steady_clock::duration step) { offset += step.count(); }
  LANGameController::Clock source() {
    return [this] { return now(); };
  }

 private:
  const std::chrono::steady_clock::time_point base = std::chrono::steady_clock::now();
  std::atomic<std::chrono::nanoseconds::rep> offset{0};
};

class LanPeer {
  // First, so that the controller's threads can still record while it is destroyed.
  mutable std::mutex lock;
  std::vector<std::string> log;

 public:
  explicit LanPeer(ManualClock& clock);

  std::vector<std::string> events() const;
  // Events that begin with this text.
  int count(const std::string& prefix) const;
  void clearEvents();
  std::string fen() const { return game.getBoard().toFEN(); }
  std::size_t plies() const { return game.getMoveHistory().size(); }
  // Plays the move on the local game and sends it, as the window does on Enter.
  bool play(const Move& move);

  GameEngine game;
  Network network;
  PostedQueue queue;
  LANGameController controller;

 private:
  void record(const std::string& event);
  LANCallbacks windowCallbacks();
};

// Runs the players' queued work until `done` holds; false after the time-out.
bool pumpUntil(std::initializer_list<LanPeer*> peers, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Host creates a room on a free port and the client joins it at `port` (the room's own
// when 0); true once both games are ready.
bool startGame(LanPeer& host, LanPeer& client, const std::string& hostSide = "random",
               const std::string& clientSide = "random", int port = 0);

// Host creates a room on a free port, the scripted guest connects and says `hello`; true
// once the host's game is set up.
bool hostScriptedGuest(LanPeer& host, ScriptedPeer& guest, const std::string& hello);

// Red and Black knights out, then the same with the other knights.
inline const Move OPENING[] = {{{1, 9}, {2, 7}}, {{1, 0}, {2, 2}}, {{7, 9}, {6, 7}}, {{7, 0}, {6, 2}}};

// A game between a host playing Red and a client playing Black whose every line passes
// the relay.
struct RelayedGame {
  ManualClock clock;
  LanPeer host{clock};
  LanPeer client{clock};
  std::unique_ptr<FaultyRelay> relay;

  // True once both games are set up.
  bool start();
  // Plays the first `plies` of OPENING, each acknowledged and on both boards.
  bool playOpening(int plies);
  // Moves the clock one second at a time, ticking the host and then the client after each
  // step and running what that brings: every line either sent has been handled (or lost
  // on the way) before the clock moves on.
  void tickFor(int seconds);
  // Runs both players until every line they sent has passed the relay and every line the
  // relay forwarded has been handled; false when that does not happen in time.
  bool settle();
  bool pumpUntil(const std::function<bool()>& done) { return Test::pumpUntil({&host, &client}, done); }
};

}  // namespace Tavrune::Test
