#pragma once
// One LAN player wired as the window wires it, without a window: its own game, transport
// and session controller. The window's message queue is a PostedQueue that the test thread
// drains; the callbacks that only notify are kept as event texts ("ready:1:name",
// "status:…", "acked:3"), and game ready sets up the game on the queue, as the window does.
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "game/GameEngine.h"
#include "lan/LANGameController.h"
#include "lan/Network.h"
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

  mutable std::mutex lock;
  std::vector<std::string> log;
};

// Runs the players' queued work until `done` holds; false after the time-out.
bool pumpUntil(std::initializer_list<LanPeer*> peers, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Host creates a room on a free port and the client joins it at `port` (the room's own
// when 0); true once both games are ready.
bool startGame(LanPeer& host, LanPeer& client, const std::string& hostSide = "random",
               const std::string& clientSide = "random", int port = 0);

}  // namespace Tavrune::Test
