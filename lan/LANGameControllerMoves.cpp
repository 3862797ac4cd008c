// Acknowledged moves, their resends and the resynchronisation of the two boards.
#include "lan/LANGameController.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "game/Board.h"
#include "game/GameEngine.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"

namespace Tavrune {

using State = LANSessionState;

void LANGameController::sendMove(const Move& move) {
  std::lock_guard<std::mutex> guard(mutex);
  if (state != State::PLAYING) return;
  ++moveSeq;
  pendingMove = PendingMove{move, moveSeq, 0, now()};
  send(LanProtocol::makeMove(moveSeq, move));
  state = State::WAITING_ACK;
  logInfo("LANGameController: 发送走棋 seq=" + std::to_string(moveSeq));
}

void LANGameController::onMove(const LanMessage& message) {
  const int32_t seq = message.seq;
  const Move& move = message.move;
  const auto refuse = [&](const char* reason) {
    send(LanProtocol::makeMoveAck(seq, false, reason));
  };
  if (staleResend(message)) {
    // Acknowledged before the undo: this copy is answered as the first was, and not played.
    send(LanProtocol::makeMoveAck(seq, true, ""));
    logInfo("LANGameController: 悔棋前走棋的重发 seq=" + std::to_string(seq) + "，确认，不再走");
    return;
  }
  if (state != State::PLAYING || gameOver()) {
    refuse("game_not_playing");
    return;
  }
  if (!engineReady) {
    refuse("game_not_playing");
    logWarning("LANGameController: 引擎尚未就绪，拒绝走棋 seq=" + std::to_string(seq));
    return;
  }
  const int64_t expected = static_cast<int64_t>(moveSeq) + 1;
  if (seq != expected) {
    refuse("wrong_seq");
    sendSyncState();
    logWarning("LANGameController: 序号不匹配，期望 " + std::to_string(expected) + " 收到 " +
               std::to_string(seq));
    return;
  }
  if (game->getCurrentPlayer() == localColor) {
    refuse("not_your_turn");
    logWarning("LANGameController: 收到对方走棋但当前是我的回合");
    return;
  }
  const Board& board = game->getBoard();
  logInfo("LANGameController: 验证对方走棋 from=(" + std::to_string(move.from.x) + "," +
          std::to_string(move.from.y) + ") to=(" + std::to_string(move.to.x) + "," +
          std::to_string(move.to.y) + ") piece=" + std::to_string(move.piece) +
          " captured=" + std::to_string(move.captured));
  logInfo("LANGameController: 当前棋盘状态 - " + board.toFEN());
  // With the turn test: after the check above the side to move is the peer's, so this also
  // refuses a move of one of the local player's pieces.
  if (!board.isValidMove(move)) {
    refuse("illegal_move");
    sendSyncState();
    logWarning("LANGameController: 对方走法不合法，起点棋子=" +
               std::to_string(board.getPiece(move.from)));
    return;
  }
  moveSeq = seq;
  if (!applyPeerMove(move)) {
    --moveSeq;
    refuse("internal_error");
    logWarning("LANGameController: executeForceMove 失败，拒绝 seq=" + std::to_string(seq));
    return;
  }
  send(LanProtocol::makeMoveAck(seq, true, ""));
  logInfo("LANGameController: 对方走棋 seq=" + std::to_string(seq) + " 已确认");
}

bool LANGameController::staleResend(const LanMessage& message) const {
  if (!peerYetToUndo()) return false;
  for (const auto& [seq, move] : link.takenBackPeerPlies) {
    if (seq == message.seq && move.from == message.move.from && move.to == message.move.to) return true;
  }
  return false;
}

bool LANGameController::applyPeerMove(const Move& move) {
  if (!callbacks.validateAndApplyMove || !callbacks.validateAndApplyMove(move)) return false;
  if (gameOver()) closeRoom();
  // The move as the game played it: the wire's piece codes are the peer's word only.
  const std::vector<Move> history = game->getMoveHistory();
  const Move played = history.empty() ? move : history.back();
  fire(callbacks.remoteMoveApplied, played, game->getBoard().isInCheck(localColor));
  return true;
}

void LANGameController::requestSync() {
  send(LanProtocol::makeSyncRequest(moveSeq));
  awaitSync();
}

void LANGameController::awaitSync() {
  state = State::WAITING_SYNC;
  link.syncRequestedAt = now();
  link.syncAwaited = true;
}

namespace {

// The refusing side sends its game right after these refusals.
bool announcesSync(const std::string& reason) { return reason == "illegal_move" || reason == "wrong_seq"; }

}  // namespace

// An answer settles only the move it names: the pending one, one an undo or a SYNC took off
// the board before its answer came, or none (a resend's second answer), which changes
// nothing but the SYNC a refusal announces.
void LANGameController::onMoveAck(const LanMessage& message) {
  if (link.answersToResendsOwed > 0 && message.seq == link.resentSeq) {
    // The answer to a resend of a move already settled: a later move may have the same
    // number (after an undo or a refusal), and this answer is not its. Once the first copy
    // was accepted, a resend's refusal tells nothing new: the SYNC after it is not awaited.
    --link.answersToResendsOwed;
    if (!message.accepted && announcesSync(message.reason) && !link.syncAwaited && !link.resentMoveAccepted) {
      awaitSync();
    }
  } else if (link.takenBackMoveSeq != 0 && message.seq == link.takenBackMoveSeq) {
    // Before a pending move of the same number: the one taken back went first.
    settleTakenBackMove(message);
  } else if (movePending() && message.seq == pendingMove.seq) {
    settlePendingMove(message);
  } else if (!message.accepted && announcesSync(message.reason) && !link.syncAwaited) {
    awaitSync();
  }
}

void LANGameController::settlePendingMove(const LanMessage& answer) {
  const int32_t seq = pendingMove.seq;
  pendingMove.seq = 0;
  expectAnswersToResends(seq, pendingMove.resendCount, answer.accepted);
  // A SYNC due meanwhile still ends the wait it began.
  if (state == State::WAITING_ACK) state = State::PLAYING;
  if (answer.accepted) {
    logInfo("LANGameController: 走棋 seq=" + std::to_string(seq) + " 已被确认");
    if (gameOver()) closeRoom();
    fire(callbacks.moveAcked, seq);
    if (moveSeq >= 1 && moveSeq % 10 == 0 && !link.syncAwaited) {
      requestSync();
      logInfo("LANGameController: 触发周期性同步 seq=" + std::to_string(moveSeq));
    }
    return;
  }
  logWarning("LANGameController: 走棋 seq=" + std::to_string(seq) + " 被拒绝: " + answer.reason);
  if (announcesSync(answer.reason) && !link.syncAwaited) awaitSync();
  fire(callbacks.undoMoves, 1);
  --moveSeq;
  fire(callbacks.moveRejected, seq, answer.reason);
}

void LANGameController::settleTakenBackMove(const LanMessage& answer) {
  const bool byUndo = std::exchange(link.takenBackByUndo, false);
  link.takenBackMoveSeq = 0;
  expectAnswersToResends(answer.seq, link.takenBackResends, answer.accepted);
  if (answer.accepted) {
    // The peer has it on a board that a SYNC replaced here: its game is fetched again.
    if (!byUndo && !link.syncAwaited) requestSync();
    if (!link.syncAwaited) releaseHeldLines(false);
    return;
  }
  logWarning("LANGameController: 已撤回的走棋 seq=" + std::to_string(answer.seq) + " 被拒绝: " + answer.reason);
  if (announcesSync(answer.reason) && !link.syncAwaited) awaitSync();
  if (byUndo) {
    // The undo took back our move and the peer's ply before it; the peer, which never had
    // our move, took back two of its own: the one ply it no longer has goes here too.
    fire(callbacks.undoMoves, 1);
    moveSeq = std::max(0, moveSeq - 1);
  }
  if (!link.syncAwaited) releaseHeldLines(false);
}

void LANGameController::takePendingMoveOff(bool byUndo) {
  link.takenBackMoveSeq = std::exchange(pendingMove.seq, 0);
  link.takenBackByUndo = byUndo;
  link.takenBackResends = pendingMove.resendCount;
  if (state == State::WAITING_ACK) state = State::PLAYING;
}

// The peer answers every copy of a move it gets, in order: the answers to the resends of
// one just settled come before the answer to any later move.
void LANGameController::expectAnswersToResends(int32_t seq, int resends, bool firstAccepted) {
  link.resentSeq = seq;
  link.resentMoveAccepted = firstAccepted;
  link.answersToResendsOwed = std::min(resends, LanTimings::MAX_MOVE_RESENDS);
}

void LANGameController::checkMoveAck() {
  if (now() - pendingMove.sentAt < LanTimings::ACK_TIMEOUT) return;
  ++pendingMove.resendCount;
  if (pendingMove.resendCount <= LanTimings::MAX_MOVE_RESENDS) {
    send(LanProtocol::makeMove(pendingMove.seq, pendingMove.move));
    pendingMove.sentAt = now();
    logInfo("LANGameController: 重发走棋 seq=" + std::to_string(pendingMove.seq) + " 第 " +
            std::to_string(pendingMove.resendCount) + " 次");
    return;
  }
  logWarning("LANGameController: ACK 超时 " + std::to_string(LanTimings::MAX_MOVE_RESENDS) +
             " 次，判定断线");
  handleConnectionLost("走棋确认超时，可等待对方重连");
}

void LANGameController::sendSyncState() {
  send(LanProtocol::makeSync(game->getBoard().toFEN(), game->getMoveHistory()));
}

std::string LANGameController::fenBeforePendingMove() const {
  Board before = game->getBoard();
  before.popState();
  return before.toFEN();
}

void LANGameController::onSyncRequest(const LanMessage& message) {
  // A peer that asks again before it has taken our last answer does not read what it asks
  // for; answering would only pile copies of the game up for it.
  if (link.syncAnswerQueuedThrough != 0 && network->bytesHandedOver() < link.syncAnswerQueuedThrough) {
    refuseBreach("对方重复请求同步却不接收回复");
    return;
  }
  if (movePending()) {
    // The own move awaiting its acknowledgement is left out: the peer, waiting for this
    // SYNC, holds that move and plays it on the board the SYNC leaves.
    std::vector<Move> history = game->getMoveHistory();
    if (!history.empty()) history.pop_back();
    send(LanProtocol::makeSync(fenBeforePendingMove(), history));
  } else {
    sendSyncState();
  }
  link.syncAnswerQueuedThrough = network->bytesQueued();
  logInfo("LANGameController: 回复同步请求 seq=" + std::to_string(message.seq));
}

namespace {

// The SYNC's moves, played in turn from the opening every LAN game starts from, are legal
// and end at its position.
bool syncChecksOut(const LanMessage& message) {
  if (message.moveCount < 0 || static_cast<std::size_t>(message.moveCount) != message.moves.size()) return false;
  Board scratch;
  scratch.setupInitialPosition();
  for (const Move& move : message.moves) {
    if (scratch.getGameState() != PLAYING || !scratch.isValidMove(move)) return false;
    Move played = move;
    played.piece = scratch.getPiece(move.from);
    played.captured = scratch.getPiece(move.to);
    scratch.movePiece(played);
  }
  return scratch.toFEN() == message.fen;
}

bool sameMoves(const std::vector<Move>& a, const std::vector<Move>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].from != b[i].from || a[i].to != b[i].to) return false;
  }
  return true;
}

}  // namespace

void LANGameController::onSync(const LanMessage& message) {
  // Only the answer this side waits for, or the host's game it sends first as the client
  // returns: an unasked game would rewrite the board.
  const bool awaited = std::exchange(link.syncAwaited, false);
  const bool resume = std::exchange(link.resumeSyncDue, false);
  if (!awaited && !resume) {
    ignoreLine(LanMessageType::SYNC, "未请求同步");
    return;
  }
  if (peerYetToUndo()) {
    // Sent before the peer had our agreement to an undo, so it still has the plies taken
    // back here: its game is asked for again once it has the agreement.
    link.syncAfterAgreedUndo = true;
    logInfo("LANGameController: 同步早于对方得知悔棋，不采用，稍后再次请求");
    endSyncWait();
    releaseHeldLines(false);
    return;
  }
  // Checked whole before any of it touches the game or is announced.
  if (!syncChecksOut(message)) {
    logWarning("LANGameController: 同步内容不成立，棋局保持不变");
    endSyncWait();
    logInfo("LANGameController: 同步校验 不通过");
    fire(callbacks.syncResult, false);
    releaseHeldLines(false);
    return;
  }
  bool ownMoveLost = false;
  if (resume) {
    const ResumeSync settled = settleResumeSync(message);
    if (settled == ResumeSync::Settled) {
      releaseHeldLines(true);
      return;
    }
    ownMoveLost = settled == ResumeSync::OwnMoveLost;
  }
  if (movePending()) {
    // Our move awaiting its answer is in the peer's game, or not yet: either way it is the
    // same game, and the move's answer settles it.
    std::vector<Move> before = game->getMoveHistory();
    if (!before.empty()) before.pop_back();
    const bool withIt = game->getBoard().toFEN() == message.fen && sameMoves(game->getMoveHistory(), message.moves);
    const bool withoutIt = fenBeforePendingMove() == message.fen && sameMoves(before, message.moves);
    if (withIt || withoutIt) {
      endSyncWait();
      logInfo("LANGameController: 同步校验 通过");
      fire(callbacks.syncResult, true);
      releaseHeldLines(true);
      return;
    }
  }
  const auto samePosition = [&] { return game->getBoard().toFEN() == message.fen; };
  const auto sameLength = [&] {
    return game->getMoveHistory().size() == static_cast<std::size_t>(message.moveCount);
  };
  bool positionMatches = samePosition();
  bool lengthMatches = sameLength();
  bool consistent = positionMatches && lengthMatches;
  if (!consistent && callbacks.applySyncState &&
      callbacks.applySyncState(message.fen, message.moves, true)) {
    positionMatches = samePosition();
    lengthMatches = sameLength();
    consistent = positionMatches && lengthMatches;
    if (movePending()) {
      // The peer's game replaced ours without our move: its answer says whether it has it.
      takePendingMoveOff(false);
    }
    if (consistent) {
      fire(callbacks.statusText, std::string("检测到棋局偏差，已自动同步"));
      // Taken back with the rest: the player has to play it again.
      if (ownMoveLost) fire(callbacks.statusText, std::string("你的上一步未送达，请重新走棋"));
    }
  }
  endSyncWait();
  if (positionMatches) {
    moveSeq = message.moveCount;
    if (!lengthMatches) logWarning("LANGameController: FEN 一致但历史步数不一致");
  }
  logInfo(std::string("LANGameController: 同步校验 ") + (consistent ? "通过" : "不通过"));
  fire(callbacks.syncResult, consistent);
  releaseHeldLines(consistent);
}

void LANGameController::endSyncWait() {
  link.syncAwaited = false;
  if (state == State::WAITING_SYNC) state = movePending() ? State::WAITING_ACK : State::PLAYING;
}

bool LANGameController::holdWhileSyncDue(const LanMessage& message) {
  // Also while our move taken back has no answer yet: until it comes the two boards may
  // differ by that ply, and a request put to the player meanwhile would be agreed on one
  // board and carried out on the other.
  if (state != State::WAITING_SYNC && link.takenBackMoveSeq == 0) return false;
  const LanMessageType type = message.type;
  const bool question = type == LanMessageType::MOVE || type == LanMessageType::UNDO_REQ || type == LanMessageType::DRAW_REQ;
  // Behind a held line, what means something only in its order waits too: the answer to
  // our undo request, and the heartbeat answers that lift a fence. (A draw or a resignation
  // ends the game in whatever order it comes.)
  const bool behindHeld = !link.heldLines.empty() &&
                          (type == LanMessageType::UNDO_ACK || type == LanMessageType::HEARTBEAT_ACK);
  if (!question && !behindHeld) return false;
  // An honest peer has a move and a request or two in flight; more is not kept.
  constexpr std::size_t MAX_HELD_LINES = 16;
  if (link.heldLines.size() >= MAX_HELD_LINES) {
    ignoreLine(type, "等待同步时积压过多");
    return true;
  }
  link.heldLines.push_back(message);
  logInfo(std::string("LANGameController: 等待同步，暂存对方的 ") + LanProtocol::keyText(type));
  return true;
}

void LANGameController::releaseHeldLines(bool afterSync) {
  const uint64_t connection = link.number;
  std::vector<LanMessage> held = std::exchange(link.heldLines, {});
  for (std::size_t i = 0; i < held.size(); ++i) {
    const LanMessage& message = held[i];
    // A held line may end the connection or the game; what follows it meets that.
    if (link.number != connection) return;
    if (afterSync && settledBySync(held, i)) continue;
    if (message.type == LanMessageType::MOVE && state == State::PLAYING && message.seq >= 1 &&
        message.seq <= moveSeq) {
      // A move the SYNC already brought (a resend of one we had) is acknowledged, not played again.
      const std::vector<Move> history = game->getMoveHistory();
      const auto at = static_cast<std::size_t>(message.seq) - 1;
      if (at < history.size() && history[at].from == message.move.from && history[at].to == message.move.to) {
        send(LanProtocol::makeMoveAck(message.seq, true, ""));
        logInfo("LANGameController: 同步已含对方走棋 seq=" + std::to_string(message.seq) + "，确认");
        continue;
      }
    }
    handle(message);
  }
}

// The peer sent its SYNC after these lines, so its game already holds what it did on them:
// its answer to our undo request was carried out there, and a request of its own that
// crossed ours was settled by its acceptance of ours. Neither takes plies back again here.
bool LANGameController::settledBySync(const std::vector<LanMessage>& held, std::size_t at) {
  const LanMessage& message = held[at];
  if (!link.localUndoRequested || undoFenced()) return false;
  if (message.type == LanMessageType::UNDO_ACK) {
    liftResendFenceOn(message);
    link.localUndoRequested = false;
    if (message.accepted) link.remoteUndoRequested = link.remoteUndoRepeated = false;
    logInfo(std::string("LANGameController: 收到悔棋回应 ") + (message.accepted ? "同意" : "拒绝") + "，同步已含结果");
    fire(callbacks.undoResponse, message.accepted);
    return true;
  }
  if (message.type != LanMessageType::UNDO_REQ) return false;
  return std::any_of(held.begin() + static_cast<std::ptrdiff_t>(at) + 1, held.end(), [](const LanMessage& later) {
    return later.type == LanMessageType::UNDO_ACK && later.accepted;
  });
}

namespace {

// The first moves of `longer` are the moves of `prefix`, point for point.
bool startsWith(const std::vector<Move>& longer, const std::vector<Move>& prefix) {
  if (longer.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (longer[i].from != prefix[i].from || longer[i].to != prefix[i].to) return false;
  }
  return true;
}

}  // namespace

// What a cut caught is in this SYNC, sent by the host as the client returned. The client's
// move that the host never got is played on: the host's game is the position it was made
// from, so it is sent again as the next ply. A move of the host's that never reached the
// client is played here as a move, so that the player hears it.
LANGameController::ResumeSync LANGameController::settleResumeSync(const LanMessage& message) {
  const std::vector<Move> history = game->getMoveHistory();
  const std::size_t count = message.moves.size();
  if (std::exchange(moveInDoubt, false)) {
    if (!history.empty() && count + 1 == history.size() && message.fen == fenBeforePendingMove()) {
      resendMoveInDoubt(message.moveCount + 1);
      return ResumeSync::Settled;
    }
    if (!startsWith(message.moves, history)) return ResumeSync::OwnMoveLost;
  }
  if (count == history.size() + 1 && startsWith(message.moves, history) && playPeerMoveFromSync(message)) {
    return ResumeSync::Settled;
  }
  return ResumeSync::Unsettled;
}

void LANGameController::resendMoveInDoubt(int32_t seq) {
  moveSeq = seq;
  pendingMove = PendingMove{game->getMoveHistory().back(), seq, 0, now()};
  send(LanProtocol::makeMove(seq, pendingMove.move));
  state = State::WAITING_ACK;
  logInfo("LANGameController: 重连后重发走棋 seq=" + std::to_string(seq));
}

bool LANGameController::playPeerMoveFromSync(const LanMessage& message) {
  const Move& move = message.moves.back();
  // Checked as a MOVE is: the peer's turn on this board, and legal here.
  if (game->getCurrentPlayer() == localColor || !game->getBoard().isValidMove(move)) return false;
  // And on a copy first: a move that does not lead to the SYNC's position is not played, and
  // the usual forced sync brings the game to the host's.
  Board after = game->getBoard();
  Move played = move;
  played.piece = after.getPiece(move.from);
  played.captured = after.getPiece(move.to);
  after.movePiece(played);
  if (after.toFEN() != message.fen || !applyPeerMove(move)) return false;
  moveSeq = message.moveCount;
  endSyncWait();
  logInfo("LANGameController: 同步带来对方的走棋 seq=" + std::to_string(moveSeq));
  logInfo("LANGameController: 同步校验 通过");
  fire(callbacks.syncResult, true);
  return true;
}

}  // namespace Tavrune
