#include "lan/LanPeer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <thread>

namespace Tavrune::Test {

LanPeer::LanPeer(ManualClock& clock)
    : controller(&game, &network, [this](LANGameController::Task work) { queue.post(std::move(work)); },
                 clock.source()) {
  controller.setCallbacks(windowCallbacks());
}

LANCallbacks LanPeer::windowCallbacks() {
  LANCallbacks c;
  c.opponentConnected = [this] { record("connected"); };
  c.connectionLost = [this] { record("lost"); };
  c.connectFailed = [this] { record("connectFailed"); };
  c.gameReady = [this](PieceColor side, const std::string& name) {
    record("ready:" + std::to_string(side) + ":" + name);
    queue.post([this] {
      game.newGame(MODE_LAN);
      controller.onEngineReady();
    });
  };
  c.remoteMoveApplied = [this](const Move& m, bool check) {
    record("applied:" + LanProtocol::moveToText(m) + (check ? ":check" : ""));
  };
  c.moveAcked = [this](int32_t seq) { record("acked:" + std::to_string(seq)); };
  c.moveRejected = [this](int32_t seq, const std::string& reason) {
    record("rejected:" + std::to_string(seq) + ":" + reason);
  };
  c.opponentResigned = [this] { record("resigned"); };
  c.undoRequested = [this] { record("undoRequested"); };
  c.undoResponse = [this](bool ok) { record(std::string("undoResponse:") + (ok ? "1" : "0")); };
  c.drawRequested = [this] { record("drawRequested"); };
  c.drawResponse = [this](bool ok) { record(std::string("drawResponse:") + (ok ? "1" : "0")); };
  c.syncResult = [this](bool ok) { record(std::string("sync:") + (ok ? "1" : "0")); };
  c.roomFound = [this](const std::string& name, const std::string& address, int32_t port) {
    record("room:" + name + ":" + address + ":" + std::to_string(port));
  };
  c.statusText = [this](const std::string& text) { record("status:" + text); };
  c.validateAndApplyMove = [this](const Move& m) { return game.forceMove(m); };
  c.undoMoves = [this](int32_t n) {
    for (int32_t i = 0; i < n; ++i) game.undoMove();
  };
  c.setGameState = [this](GameState s) { game.setGameState(s); };
  c.applySyncState = [this](const std::string& f, const std::vector<Move>& m, bool force) {
    return game.applyNetworkSyncState(f, m, force);
  };
  return c;
}

void LanPeer::record(const std::string& event) {
  std::lock_guard<std::mutex> guard(lock);
  log.push_back(event);
}

std::vector<std::string> LanPeer::events() const {
  std::lock_guard<std::mutex> guard(lock);
  return log;
}

int LanPeer::count(const std::string& prefix) const {
  int n = 0;
  for (const std::string& e : events()) n += e.compare(0, prefix.size(), prefix) == 0;
  return n;
}

void LanPeer::clearEvents() {
  std::lock_guard<std::mutex> guard(lock);
  log.clear();
}

bool LanPeer::play(const Move& move) {
  if (!controller.canSendMove() || !game.makeMove(move)) return false;
  controller.sendMove(game.getMoveHistory().back());
  return true;
}

bool pumpUntil(std::initializer_list<LanPeer*> peers, const std::function<bool()>& done,
               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (LanPeer* peer : peers) peer->queue.runPending();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool startGame(LanPeer& host, LanPeer& client, const std::string& hostSide,
               const std::string& clientSide, int port) {
  if (!host.controller.createRoom("host", hostSide, 0)) return false;
  const int target = port != 0 ? port : host.network.listeningPort();
  if (!client.controller.joinRoom("client", clientSide, "127.0.0.1", target)) return false;
  const bool ready = pumpUntil({&host, &client}, [&] {
    return host.count("ready:") == 1 && client.count("ready:") == 1;
  });
  // Game ready posted the game's set-up; run it before anyone moves.
  host.queue.runPending();
  client.queue.runPending();
  return ready;
}

bool hostScriptedGuest(LanPeer& host, ScriptedPeer& guest, const std::string& hello) {
  if (!host.controller.createRoom("host", "red", 0) || !guest.connectTo(host.network.listeningPort())) return false;
  guest.send(hello);
  const bool ready = pumpUntil({&host}, [&] { return host.count("ready:") == 1; });
  host.queue.runPending();
  return ready;
}

bool RelayedGame::start() {
  if (!host.controller.createRoom("host", "red", 0)) return false;
  relay = std::make_unique<FaultyRelay>(host.network.listeningPort());
  if (!client.controller.joinRoom("guest", "black", "127.0.0.1", relay->port())) return false;
  const bool ready = pumpUntil([&] { return host.count("ready:") == 1 && client.count("ready:") == 1; });
  host.queue.runPending();
  client.queue.runPending();
  return ready;
}

bool RelayedGame::playOpening(int plies) {
  for (int i = 0; i < plies; ++i) {
    LanPeer& mover = i % 2 == 0 ? host : client;
    LanPeer& other = i % 2 == 0 ? client : host;
    if (!mover.play(OPENING[i])) return false;
    if (!pumpUntil([&] {
          return other.plies() == static_cast<std::size_t>(i + 1) &&
                 mover.controller.getState() == LANSessionState::PLAYING;
        })) {
      return false;
    }
  }
  return true;
}

void RelayedGame::tickFor(int seconds) {
  // What the test has set going is handled in the second it belongs to, too.
  if (!settle()) ADD_FAILURE() << "lines still in flight before the ticks";
  for (int i = 0; i < seconds; ++i) {
    clock.advance(std::chrono::seconds(1));
    host.controller.tick();
    client.controller.tick();
    if (!settle()) ADD_FAILURE() << "lines still in flight after a tick";
  }
}

bool RelayedGame::settle() {
  using Direction = FaultyRelay::Direction;
  // A player's lines have reached the relay once it has read every byte handed to that
  // player's current connection (a side the relay has no socket to sends it nothing).
  const auto reachedRelay = [&](LanPeer& peer, Direction way) {
    const std::optional<std::uint64_t> read = relay->bytesRead(way);
    return !read || !peer.network.isConnected() || *read == peer.network.bytesQueued();
  };
  for (;;) {
    if (!pumpUntil([&] {
          return reachedRelay(host, Direction::ToClient) && reachedRelay(client, Direction::ToHost);
        })) {
      return false;
    }
    // A player without a connection (its side of the link waits in a listen queue) reads
    // nothing until it has one: there is nothing to wait for.
    const int toHost = host.network.isConnected() ? relay->probe(Direction::ToHost) : 0;
    const int toClient = client.network.isConnected() ? relay->probe(Direction::ToClient) : 0;
    if (toHost == 0 && toClient == 0) return true;
    // What the answers to those lines send goes round again.
    if (!pumpUntil([&] {
          return relay->probeSettled(Direction::ToHost, toHost) &&
                 relay->probeSettled(Direction::ToClient, toClient);
        })) {
      return false;
    }
  }
}

}  // namespace Tavrune::Test
