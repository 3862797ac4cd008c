// The session's life cycle and what it tells about itself. The rest of the class is split by
// concern: LANGameControllerTransport, -Rooms, -Handshake, -Moves, -Liveness, -Requests and
// -Discovery.
#include "lan/LANGameController.h"

#include <utility>

#include "core/Log.h"
#include "game/GameEngine.h"

namespace Tavrune {

using State = LANSessionState;

LANGameController::LANGameController(GameEngine* gameEngine, Network* transport,
                                     Executor runner, Clock timeSource, int32_t gamePortToSearch,
                                     int32_t discoveryUdpPort)
    : game(gameEngine),
      network(transport),
      executor(std::move(runner)),
      clock(timeSource ? std::move(timeSource) : Clock([] { return std::chrono::steady_clock::now(); })),
      searchGamePort(gamePortToSearch),
      discoveryPort(discoveryUdpPort) {
  if (!executor) executor = [](Task work) { work(); };
  gamePort = searchGamePort;
  bindNetworkCallbacks();
}

LANGameController::~LANGameController() {
  leaveRoom();
  // Work still queued for this controller finds it gone.
  lifetime.reset();
}

void LANGameController::setCallbacks(const LANCallbacks& table) {
  std::lock_guard<std::mutex> guard(mutex);
  callbacks = table;
}

// ---- Queries ---------------------------------------------------------------------------

LANSessionState LANGameController::getState() const {
  std::lock_guard<std::mutex> guard(mutex);
  return state;
}

bool LANGameController::canResume() const {
  std::lock_guard<std::mutex> guard(mutex);
  return resumable;
}

bool LANGameController::isMyTurn() const {
  // Read without the lock: localColor only changes on the thread that owns the game.
  return game->getCurrentPlayer() == localColor;
}

bool LANGameController::canSendMove() const {
  std::lock_guard<std::mutex> guard(mutex);
  return state == State::PLAYING && localColor != NONE && game->getCurrentPlayer() == localColor;
}

void LANGameController::onEngineReady() {
  std::lock_guard<std::mutex> guard(mutex);
  engineReady = true;
  logInfo("LANGameController: 游戏引擎已就绪");
  rejoinFromHeldSync();
}

int32_t LANGameController::getMoveSeq() const {
  std::lock_guard<std::mutex> guard(mutex);
  return moveSeq;
}

bool LANGameController::peerRequestOpen(LanRequestKind kind) const {
  std::lock_guard<std::mutex> guard(mutex);
  return kind == LanRequestKind::Undo ? link.remoteUndoRequested : link.remoteDrawRequested;
}

bool LANGameController::holdsPeerLines() const {
  std::lock_guard<std::mutex> guard(mutex);
  return !link.heldLines.empty();
}

bool LANGameController::inGame() const {
  return state == State::PLAYING || state == State::WAITING_ACK || state == State::WAITING_SYNC;
}

}  // namespace Tavrune
