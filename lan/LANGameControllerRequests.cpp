// Draw, undo, resignation and leaving, asked for and answered by either player.
#include "lan/LANGameController.h"

#include <algorithm>
#include <utility>

#include "core/Log.h"
#include "game/GameEngine.h"
#include "lan/LanNickname.h"

namespace Tavrune {

using State = LANSessionState;

bool LANGameController::gameOver() const { return game->getGameState() != PLAYING; }

// Sent before our agreement: the peer's lines before its answer to this heartbeat were all
// sent before it heard of the undo, so a MOVE among them equal to one of its plies taken
// back is a resend sent before our acknowledgement of it arrived, not its next move. When
// our agreement settles a crossing, the peer took its plies back as it agreed to ours, so
// its acceptance marks that moment too.
void LANGameController::fenceStaleResends(bool crossing) {
  const std::vector<Move> history = game->getMoveHistory();
  link.takenBackPeerPlies.clear();
  for (std::size_t i = 0; i < 2 && i < history.size(); ++i) {
    link.takenBackPeerPlies.emplace_back(moveSeq - static_cast<int32_t>(i), history[history.size() - 1 - i]);
  }
  sendHeartbeat();
  link.resendFenceLiftsAt = link.heartbeatsSent;
  link.resendFenceLiftsOnAcceptance = crossing;
}

// The peer's acceptance that settles a crossing is sent as it takes its plies back.
void LANGameController::liftResendFenceOn(const LanMessage& undoAnswer) {
  if (undoAnswer.accepted && std::exchange(link.resendFenceLiftsOnAcceptance, false)) link.resendFenceLiftsAt = 0;
}

void LANGameController::takeBackTwoPlies() {
  if (movePending()) {
    // Our move awaiting its answer is the last of the two: it is not resent, and its
    // answer, still on its way, settles it.
    takePendingMoveOff(true);
  }
  fire(callbacks.undoMoves, 2);
  moveSeq = std::max(0, moveSeq - 2);
}

void LANGameController::endInDraw() {
  state = State::ENDED;
  closeRoom();
  fire(callbacks.setGameState, DRAW);
}

LanRequestResult LANGameController::requestDraw() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  if (link.localDrawRequested) return LanRequestResult::StillWaiting;
  link.localDrawRequested = true;
  send(LanProtocol::makeDrawRequest());
  logInfo("LANGameController: 发送和棋请求");
  return LanRequestResult::Sent;
}

// The player is asked once: a peer that repeats its request while the question is open
// would otherwise put one question after another before the player.
bool LANGameController::ignoreRepeatedRequest(bool requestOpen, bool& repeated, const char* kind) {
  if (!requestOpen) return false;
  if (!std::exchange(repeated, true)) {
    logWarning(std::string("LANGameController: 对方重复") + kind + "请求，忽略，直到回应为止");
  }
  return true;
}

void LANGameController::onDrawRequest() {
  if (ignoreRepeatedRequest(link.remoteDrawRequested, link.remoteDrawRepeated, "和棋")) return;
  if (gameOver()) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已结束，拒绝对方和棋请求");
  } else if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeDrawAck(false));
  } else if (!link.localDrawRequested) {
    link.remoteDrawRequested = true;
    logInfo("LANGameController: 收到和棋请求");
    fire(callbacks.drawRequested);
  } else {
    link.localDrawRequested = false;
    logInfo("LANGameController: 双方同时请求和棋，自动同意");
    send(LanProtocol::makeDrawAck(true));
    endInDraw();
    fire(callbacks.drawResponse, true);
  }
}

LanRequestResult LANGameController::respondDraw(bool accept) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!link.remoteDrawRequested) return LanRequestResult::NotNow;
  link.remoteDrawRequested = link.remoteDrawRepeated = false;
  if (gameOver()) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已结束，自动拒绝和棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  // After a loss or the peer's BYE an agreed draw would end one board alone.
  if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已中断，自动拒绝和棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  send(LanProtocol::makeDrawAck(accept));
  logInfo(std::string("LANGameController: 和棋请求回应 ") + (accept ? "同意" : "拒绝"));
  if (accept) {
    // Agreed: an offer of ours that crossed the peer's is settled too, so the peer's
    // automatic acceptance of it, on its way, finds nothing open.
    link.localDrawRequested = false;
    endInDraw();
  }
  return LanRequestResult::Sent;
}

void LANGameController::onDrawAck(const LanMessage& message) {
  // Only an answer to the own open offer: otherwise a peer could end the game alone.
  if (!link.localDrawRequested) {
    ignoreLine(LanMessageType::DRAW_ACK, "没有待回应的和棋请求");
    return;
  }
  link.localDrawRequested = false;
  logInfo(std::string("LANGameController: 收到和棋回应 ") + (message.accepted ? "同意" : "拒绝"));
  if (message.accepted) {
    // The agreement also answers an offer of the peer's that crossed ours: no question
    // about it is left to put.
    link.remoteDrawRequested = link.remoteDrawRepeated = false;
    endInDraw();
  }
  fire(callbacks.drawResponse, message.accepted);
}

LanRequestResult LANGameController::requestUndo() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  // Asked already, or an answer to a request a crossing settled may still be on its way:
  // a second question now would take that answer for its own.
  if (link.localUndoRequested || undoFenced()) return LanRequestResult::StillWaiting;
  if (moveSeq < 2) {
    logInfo("LANGameController: 步数不足，无法悔棋");
    return LanRequestResult::TooFewPlies;
  }
  if (game->getMoveHistory().size() < 2) {
    logWarning("LANGameController: 本地历史不足，拒绝发送悔棋请求");
    return LanRequestResult::TooFewPlies;
  }
  link.localUndoRequested = true;
  send(LanProtocol::makeUndoRequest());
  logInfo("LANGameController: 发送悔棋请求");
  return LanRequestResult::Sent;
}

void LANGameController::onUndoRequest() {
  if (ignoreRepeatedRequest(link.remoteUndoRequested, link.remoteUndoRepeated, "悔棋")) return;
  if (gameOver()) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已结束，拒绝对方悔棋请求");
  } else if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeUndoAck(false));
  } else if (game->getMoveHistory().size() < 2) {
    send(LanProtocol::makeUndoAck(false));
    logWarning("LANGameController: 本地历史不足，拒绝对方悔棋请求");
  } else if (!link.localUndoRequested) {
    link.remoteUndoRequested = true;
    logInfo("LANGameController: 收到悔棋请求");
    fire(callbacks.undoRequested);
  } else {
    // Both asked: each side takes back its two plies here, and the peer's acceptance of
    // the own request, which follows, finds no open request and is dropped.
    link.localUndoRequested = false;
    logInfo("LANGameController: 双方同时请求悔棋，自动同意");
    fenceStaleResends(true);
    send(LanProtocol::makeUndoAck(true));
    takeBackTwoPlies();
    fenceUndoAnswers();
    fire(callbacks.undoResponse, true);
  }
}

LanRequestResult LANGameController::respondUndo(bool accept) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!link.remoteUndoRequested) return LanRequestResult::NotNow;
  link.remoteUndoRequested = link.remoteUndoRepeated = false;
  if (gameOver()) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已结束，自动拒绝悔棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  // After a loss or the peer's BYE taking moves back would change one board alone.
  if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已中断，自动拒绝悔棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  const bool tooFewPlies = accept && game->getMoveHistory().size() < 2;
  if (tooFewPlies) {
    logWarning("LANGameController: 本地历史不足，自动拒绝悔棋请求");
    accept = false;
  }
  const bool crossed = accept && link.localUndoRequested;
  if (accept) fenceStaleResends(crossed);
  send(LanProtocol::makeUndoAck(accept));
  logInfo(std::string("LANGameController: 悔棋请求回应 ") + (accept ? "同意" : "拒绝"));
  if (accept) {
    // As with a draw: our own crossing request is settled by this agreement, so the
    // peer's automatic acceptance of it does not take two more plies back.
    link.localUndoRequested = false;
    takeBackTwoPlies();
    if (crossed) fenceUndoAnswers();
  }
  return tooFewPlies ? LanRequestResult::TooFewPlies : LanRequestResult::Sent;
}

void LANGameController::onUndoAck(const LanMessage& message) {
  liftResendFenceOn(message);
  // Only an answer to the own open request: otherwise a peer could take moves back alone.
  if (!link.localUndoRequested || undoFenced()) {
    ignoreLine(LanMessageType::UNDO_ACK, "没有待回应的悔棋请求");
    return;
  }
  link.localUndoRequested = false;
  logInfo(std::string("LANGameController: 收到悔棋回应 ") + (message.accepted ? "同意" : "拒绝"));
  if (message.accepted) {
    // The boards go back once: a request of the peer's that crossed ours is answered by
    // this agreement.
    link.remoteUndoRequested = link.remoteUndoRepeated = false;
    if (game->getMoveHistory().size() < 2) {
      logWarning("LANGameController: 悔棋回应同意，但本地历史不足，触发同步");
      requestSync();
      fire(callbacks.undoResponse, false);
      return;
    }
    takeBackTwoPlies();
  }
  fire(callbacks.undoResponse, message.accepted);
}

// Any acceptance the peer still owes for a request of ours that a crossing settled left
// it before its answer to this heartbeat, sent after our agreement.
void LANGameController::fenceUndoAnswers() {
  sendHeartbeat();
  link.undoFenceLiftsAt = link.heartbeatsSent;
}

LanRequestResult LANGameController::resign() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  send(LanProtocol::makeResign());
  state = State::ENDED;
  closeRoom();
  fire(callbacks.setGameState, localColor == RED ? BLACK_WIN : RED_WIN);
  logInfo("LANGameController: 认输");
  return LanRequestResult::Sent;
}

void LANGameController::onResign() {
  state = State::ENDED;
  closeRoom();
  logInfo("LANGameController: 对方认输");
  fire(callbacks.setGameState, localColor == RED ? RED_WIN : BLACK_WIN);
  fire(callbacks.opponentResigned);
}

// Acted on once: the connection it came on is retired here and closed once the lock is
// released, so nothing more from it reaches the game.
void LANGameController::onBye(const LanMessage& message) {
  peerLeft = true;
  resumable = waitingReconnect = resuming = moveInDoubt = false;
  state = State::ENDED;
  retireConnection();
  closeRoom();
  // The reason is the peer's text and is spoken: bounded like a nickname.
  fire(callbacks.statusText, "对方主动离开(" + LanNickname::fromPeer(message.reason) + ")");
  fire(callbacks.connectionLost);
}

}  // namespace Tavrune
