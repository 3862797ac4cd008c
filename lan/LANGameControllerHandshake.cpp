// The handshake that names the players and gives out the sides.
#include "lan/LANGameController.h"

#include <random>

#include "core/Log.h"
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
  // The seat kept during a wait is the returning player's: it is told from a stranger who
  // picks the room by the name and the return it says (not an authentication).
  if (resumed && (message.side != "resume" || LanNickname::fromPeer(message.name) != opponentName)) {
    dropHandshakingPeer("等待重连时收到其他玩家的握手");
    return;
  }
  opponentName = LanNickname::fromPeer(message.name);
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
  }
  resuming = localLeft = peerLeft = false;
}

}  // namespace Tavrune
