// The handshake that names the players and gives out the sides.
#include "lan/LANGameController.h"

#include <random>
#include <utility>

#include "core/Log.h"
#include "game/GameEngine.h"
#include "lan/LanNickname.h"

namespace Tavrune {

using State = LANSessionState;

namespace {

const char* sideName(PieceColor color) { return color == RED ? "红" : "黑"; }

}  // namespace

std::string LANGameController::chooseClientSide(const std::string& host, const std::string& client) {
  if (host == "random" && client == "random") {
    std::random_device device;
    return (device() & 1u) == 0 ? "red" : "black";
  }
  if (host == "random") return client;
  if (client == "random" || host == client) return host == "red" ? "black" : "red";
  return client;
}

void LANGameController::onHello(const LanMessage& message) {
  if (state != State::HANDSHAKING || !isHost) return;
  const bool resumed = resuming && gameStarted;
  const std::string name = LanNickname::fromPeer(message.name);
  // The seat kept during a wait is the returning player's, told from a stranger by the name
  // (not an authentication). Its side text does not count: a player whose program was
  // closed comes back with a fresh join.
  if (resumed && name != opponentName) {
    dropHandshakingPeer("等待重连时收到其他玩家的握手");
    return;
  }
  // A room that has no game to resume (its program was restarted) seats no one who returns
  // to one: the two boards would differ. The returning player's wait runs out instead.
  if (!resumed && message.side == "resume") {
    dropHandshakingPeer("没有可恢复的对局，拒绝重连的握手");
    return;
  }
  opponentName = name;
  logInfo("LANGameController: 收到握手 from " + opponentName);
  // A returning client keeps its side whatever it asks for.
  const std::string clientSide = resumed ? (localColor == RED ? "black" : "red")
                                         : chooseClientSide(sidePreference, message.side);
  localColor = clientSide == "red" ? BLACK : RED;
  send(LanProtocol::makeHelloAck(localName, clientSide));
  state = State::PLAYING;
  resumable = waitingReconnect = false;
  gameStarted = true;
  // Only now has someone arrived: the room stops announcing itself.
  discoveryToStop = true;
  fire(callbacks.opponentConnected);
  logInfo(std::string("LANGameController: 握手完成，本地执") + sideName(localColor));
  if (resumed) {
    fire(callbacks.statusText, std::string("对手已重连，正在同步棋局"));
    sendSyncState();
  } else {
    fire(callbacks.gameReady, localColor, opponentName);
  }
  resuming = localLeft = peerLeft = false;
}

void LANGameController::onHelloAck(const LanMessage& message) {
  if (state != State::HANDSHAKING || isHost) return;
  const bool resumed = resuming;
  opponentName = LanNickname::fromPeer(message.name);
  localColor = message.side == "red" ? RED : BLACK;
  state = State::PLAYING;
  resumable = waitingReconnect = false;
  gameStarted = true;
  // Said once the handshake completes, as the host does: a connection the host drops
  // before it answers (one queued before its wait began) has connected no one.
  fire(callbacks.opponentConnected);
  logInfo(std::string("LANGameController: 握手确认，本地执") + sideName(localColor));
  link.resumeSyncDue = resumed;
  if (resumed) {
    fire(callbacks.statusText, std::string("已重连，正在同步棋局"));
    // The host sends its game right after its answer; asking again would bring a second,
    // older copy that could undo a move the host makes meanwhile.
    awaitSync();
  } else {
    moveInDoubt = false;
    fire(callbacks.gameReady, localColor, opponentName);
    // A host that is not resuming sends nothing unasked: a SYNC that comes first is its game.
    link.rejoinSyncMayFollow = true;
  }
  resuming = localLeft = peerLeft = false;
}

void LANGameController::holdRejoinSync(const LanMessage& sync) {
  logInfo("LANGameController: 对方恢复了中断的对局，等待本地棋局就绪后同步");
  link.heldRejoinSync = sync;
  // The window's new game would wipe a game taken before it.
  if (engineReady) rejoinFromHeldSync();
}

void LANGameController::rejoinFromHeldSync() {
  if (!link.heldRejoinSync) return;
  const LanMessage sync = std::move(*link.heldRejoinSync);
  link.heldRejoinSync.reset();
  // The game checks the host's moves whole on a scratch board before it takes any of them.
  const bool taken = callbacks.applySyncState && callbacks.applySyncState(sync.fen, sync.moves, true) &&
                     game->getBoard().toFEN() == sync.fen &&
                     game->getMoveHistory().size() == static_cast<std::size_t>(sync.moveCount);
  if (taken) {
    if (movePending()) {
      // Played on the fresh board before the host's game came, which replaced it: its
      // answer, still on its way, settles it without taking back a ply of this game.
      takePendingMoveOff(false);
    }
    moveSeq = sync.moveCount;
    logInfo("LANGameController: 已重新加入对局 seq=" + std::to_string(moveSeq));
    fire(callbacks.statusText, std::string("已重新加入对局"));
  } else {
    logWarning("LANGameController: 对方恢复的对局校验不通过");
  }
  fire(callbacks.syncResult, taken);
}

}  // namespace Tavrune
