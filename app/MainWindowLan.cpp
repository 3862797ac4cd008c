// LAN play in the window: the LAN game start with its dialogs, the session's reports
// turned into speech, boxes, sound and repaint on the UI thread, and the session's work
// carried over to the UI thread, where the game lives.

#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/CommandTexts.h"
#include "app/LanUiEvent.h"
#include "app/MainWindow.h"
#include "app/PostedPayload.h"
#include "app/ProgramMessages.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "lan/LANGameController.h"
#include "lan/LanDialogs.h"
#include "lan/Network.h"

namespace Tavrune {

namespace {

using LanTask = std::function<void()>;

constexpr UINT kLanTimerMs = 1000;
constexpr int kReconnectWaitSeconds = 45;
constexpr const char* kDefaultNickname = "Player";

template <typename Record>
void postLanEvent(HWND window, LanUiEvent code, std::unique_ptr<Record> record) {
  if (!PostedPayload<Record>::post(window, WM_LAN_EVENT, static_cast<WPARAM>(code), std::move(record))) {
    logWarning("MainWindow: PostMessage WM_LAN_EVENT failed, code " + std::to_string(static_cast<int>(code)));
  }
}

void postLanEvent(HWND window, LanUiEvent code, LPARAM value = 0) {
  if (!PostMessageW(window, WM_LAN_EVENT, static_cast<WPARAM>(code), value)) {
    logWarning("MainWindow: PostMessage WM_LAN_EVENT failed, code " + std::to_string(static_cast<int>(code)));
  }
}

void postLanTask(HWND window, LanTask task) {
  if (!PostedPayload<LanTask>::post(window, WM_LAN_WORK, 0, std::make_unique<LanTask>(std::move(task)))) {
    logWarning("MainWindow: PostMessage WM_LAN_WORK failed, LAN work dropped");
  }
}

std::string sideText(PieceColor side) { return side == BLACK ? "black" : "red"; }

int32_t sideChoiceFromPreference(const std::string& preference) {
  if (preference == "red") return 1;
  if (preference == "black") return 2;
  return 0;
}

std::string preferenceFromSideChoice(int32_t choice) {
  if (choice == 1) return "red";
  if (choice == 2) return "black";
  return "random";
}

int question(HWND owner, const wchar_t* text, const wchar_t* caption, UINT buttons = MB_YESNO) {
  return MessageBoxW(owner, text, caption, buttons | MB_ICONQUESTION);
}

void inform(HWND owner, const wchar_t* text, const wchar_t* caption) {
  MessageBoxW(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

void showError(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, L"错误", MB_OK | MB_ICONERROR); }

LanRequestKind requestKind(LanBox question) {
  return question == LanBox::UndoQuestion ? LanRequestKind::Undo : LanRequestKind::Draw;
}

// The records of events that are not acted on are freed all the same.
void freeLanPayload(LanUiEvent code, LPARAM payload) {
  switch (code) {
    case LanUiEvent::GameReady: PostedPayload<LanGameReadyEvent>::take(payload); break;
    case LanUiEvent::RemoteMoveApplied: PostedPayload<LanRemoteMoveEvent>::take(payload); break;
    case LanUiEvent::MoveRejected: PostedPayload<LanMoveRejectedEvent>::take(payload); break;
    case LanUiEvent::UndoResponse:
    case LanUiEvent::DrawResponse: PostedPayload<LanAnswerEvent>::take(payload); break;
    case LanUiEvent::StatusText: PostedPayload<LanStatusTextEvent>::take(payload); break;
    default: break;
  }
}

// The peer's question on the screen now, a message box of this thread owned by `owner`.
HWND openQuestionBox(HWND owner, const wchar_t* caption) {
  struct Search {
    HWND owner;
    const wchar_t* caption;
    HWND found;
  } search{owner, caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(data);
        wchar_t className[16] = {};
        wchar_t title[32] = {};
        GetClassNameW(window, className, 16);
        GetWindowTextW(window, title, 32);
        if (GetWindow(window, GW_OWNER) != wanted->owner || wcscmp(className, L"#32770") != 0 ||
            wcscmp(title, wanted->caption) != 0) {
          return TRUE;
        }
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void MainWindow::runLanWork(LPARAM payload) {
  if (const std::unique_ptr<LanTask> task = PostedPayload<LanTask>::take(payload); task && *task) (*task)();
}

void MainWindow::startLanTimer() { SetTimer(hwnd, TIMER_LAN_POLL, kLanTimerMs, nullptr); }

void MainWindow::stopLanTimer() { KillTimer(hwnd, TIMER_LAN_POLL); }

void MainWindow::onLanTimer() {
  if (lanController) lanController->tick();
}

bool MainWindow::lanSessionBusy() const {
  return lanController && lanController->getState() != LANSessionState::IDLE;
}

bool MainWindow::lanConnectPending() const {
  if (!lanController) return false;
  const LANSessionState state = lanController->getState();
  // A resumed handshake (the session may still resume) belongs to the LAN game on the board.
  return state == LANSessionState::CONNECTING ||
         (state == LANSessionState::HANDSHAKING && !lanController->canResume());
}

bool MainWindow::lanResignPossible() const {
  // As the session itself decides: only a game being played over a live session.
  if (!lanController || gameEngine->getGameState() != PLAYING) return false;
  const LANSessionState state = lanController->getState();
  return state == LANSessionState::PLAYING || state == LANSessionState::WAITING_ACK;
}

void MainWindow::leaveLanRoom() {
  if (lanController) {
    lanController->leaveRoom();
    // What the session posted before it was left (a connect's failure or game, the peer's
    // leave) must not reach the game that follows: it is passed over up to this mark.
    if (PostMessageW(hwnd, WM_LAN_EVENT, static_cast<WPARAM>(LanUiEvent::LeftSessionMark), 0)) ++lanLeftSessionMarks;
  }
  stopLanTimer();
}

void MainWindow::leaveLanIfActive(bool lanGameWasRunning) {
  if (lanGameWasRunning && lanSessionBusy()) leaveLanRoom();
}

std::optional<std::wstring> MainWindow::lanMoveRefusal() const {
  // Only the local turn of a LAN game being played is gated here; every other case keeps
  // the refusal the board or the notation entry gives.
  if (gameMode != MODE_LAN || !lanController || !gameActive || reviewManager->isActive()) return std::nullopt;
  if (gameEngine->getGameState() != PLAYING || gameEngine->getCurrentPlayer() != humanColor) return std::nullopt;
  if (lanController->canSendMove()) return std::nullopt;
  const LANSessionState state = lanController->getState();
  // A move played now would stay on this board and never reach the peer.
  if (state == LANSessionState::ENDED || state == LANSessionState::IDLE) return L"网络连接已断开";
  return L"正在同步棋局，请稍候再走";
}

void MainWindow::sendMoveToLanPeer(const Move& move) {
  if (gameMode == MODE_LAN && lanController) lanController->sendMove(move);
}

void MainWindow::installLanCallbacks() {
  if (!lanController) return;
  const HWND window = hwnd;
  LANCallbacks table;
  table.opponentConnected = [window] { postLanEvent(window, LanUiEvent::OpponentConnected); };
  table.connectFailed = [window] { postLanEvent(window, LanUiEvent::ConnectFailed); };
  table.connectionLost = [window] { postLanEvent(window, LanUiEvent::ConnectionLost); };
  table.gameReady = [window](PieceColor side, const std::string& opponent) {
    postLanEvent(window, LanUiEvent::GameReady, std::make_unique<LanGameReadyEvent>(LanGameReadyEvent{side, opponent}));
  };
  table.remoteMoveApplied = [window](const Move& move, bool inCheck) {
    postLanEvent(window, LanUiEvent::RemoteMoveApplied, std::make_unique<LanRemoteMoveEvent>(LanRemoteMoveEvent{move, inCheck}));
  };
  table.moveAcked = [window](int32_t seq) { postLanEvent(window, LanUiEvent::MoveAcked, static_cast<LPARAM>(seq)); };
  table.moveRejected = [window](int32_t seq, const std::string& reason) {
    postLanEvent(window, LanUiEvent::MoveRejected, std::make_unique<LanMoveRejectedEvent>(LanMoveRejectedEvent{seq, reason}));
  };
  table.opponentResigned = [window] { postLanEvent(window, LanUiEvent::OpponentResigned); };
  table.undoRequested = [window] { postLanEvent(window, LanUiEvent::UndoRequested); };
  table.undoResponse = [window](bool accepted) {
    postLanEvent(window, LanUiEvent::UndoResponse, std::make_unique<LanAnswerEvent>(LanAnswerEvent{accepted}));
  };
  table.drawRequested = [window] { postLanEvent(window, LanUiEvent::DrawRequested); };
  table.drawResponse = [window](bool accepted) {
    postLanEvent(window, LanUiEvent::DrawResponse, std::make_unique<LanAnswerEvent>(LanAnswerEvent{accepted}));
  };
  table.syncResult = [window](bool consistent) {
    postLanEvent(window, LanUiEvent::SyncResult, consistent ? 1 : 0);
  };
  table.statusText = [window](const std::string& text) {
    postLanEvent(window, LanUiEvent::StatusText, std::make_unique<LanStatusTextEvent>(LanStatusTextEvent{text}));
  };
  // The game slots run on the UI thread (the session's work is posted there) with the
  // session's lock held; the game's own notices are posted, so nothing here re-enters it.
  table.validateAndApplyMove = [this](const Move& move) { return gameEngine->forceMove(move); };
  table.undoMoves = [this](int32_t plies) {
    for (int32_t i = 0; i < plies; ++i) gameEngine->undoMove();
  };
  table.setGameState = [this](GameState state) { gameEngine->setGameState(state); };
  table.applySyncState = [this, window](const std::string& fen, const std::vector<Move>& moves, bool force) {
    const bool applied = gameEngine->applyNetworkSyncState(fen, moves, force);
    if (applied) InvalidateRect(window, nullptr, TRUE);
    return applied;
  };
  lanController->setCallbacks(table);
}

void MainWindow::handleLanEvent(WPARAM code, LPARAM payload) {
  const auto event = static_cast<LanUiEvent>(code);
  if (event == LanUiEvent::LeftSessionMark) {
    if (lanLeftSessionMarks > 0) --lanLeftSessionMarks;
    return;
  }
  if (lanLeftSessionMarks > 0) {
    freeLanPayload(event, payload);
    return;
  }
  switch (event) {
    case LanUiEvent::OpponentConnected:
      // Once per handshake, on both sides: a connection that never completes one, a try
      // the host dropped or a stray, is nobody. The opponent is named once the sides are
      // given, or in the resumed session's notice.
      lanLossTold = false;
      announcer->announce(L"网络连接成功");
      break;
    case LanUiEvent::ConnectionLost:
      stopLanTimer();
      if (lanLossTold) break;  // the same end again
      if (lanBoxes.connectionEnded()) closeOpenLanQuestion();
      showLanBoxes();
      break;
    case LanUiEvent::ConnectFailed:
      stopLanTimer();
      announcer->announce(L"连接失败");
      if (!lanSessionBusy()) endLanStartWithoutGame();
      showLanBox(LanBox::ConnectFailed);
      break;
    case LanUiEvent::GameReady:
      if (const auto ready = PostedPayload<LanGameReadyEvent>::take(payload)) {
        onLanGameReady(ready->localSide, ready->opponentName);
      }
      break;
    case LanUiEvent::RemoteMoveApplied:
      if (const auto applied = PostedPayload<LanRemoteMoveEvent>::take(payload)) {
        // The game's own move notice speaks the move and marks its points.
        player2Cursor = applied->move.to;
        if (audioReady()) audioManager->playMoveSound(applied->move, applied->inCheck, humanColor);
      }
      break;
    case LanUiEvent::MoveAcked:
      onLanMoveAcked(static_cast<int32_t>(payload));
      break;
    case LanUiEvent::MoveRejected:
      if (PostedPayload<LanMoveRejectedEvent>::take(payload)) {
        announcer->announce(L"走棋被拒绝");
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      break;
    case LanUiEvent::OpponentResigned:
      stopLanTimer();
      showLanBox(LanBox::OpponentResigned);
      break;
    case LanUiEvent::UndoRequested:
      showLanBox(LanBox::UndoQuestion);
      break;
    case LanUiEvent::DrawRequested:
      showLanBox(LanBox::DrawQuestion);
      break;
    case LanUiEvent::UndoResponse:
      if (const auto answer = PostedPayload<LanAnswerEvent>::take(payload)) onLanUndoResponse(answer->accepted);
      closeSettledLanQuestion();
      break;
    case LanUiEvent::DrawResponse:
      if (const auto answer = PostedPayload<LanAnswerEvent>::take(payload)) onLanDrawResponse(answer->accepted);
      closeSettledLanQuestion();
      break;
    case LanUiEvent::SyncResult:
      InvalidateRect(hwnd, nullptr, TRUE);
      if (payload == 0) announcer->announce(L"棋局状态校验不一致，请注意");
      break;
    case LanUiEvent::StatusText:
      if (const auto status = PostedPayload<LanStatusTextEvent>::take(payload)) {
        announcer->announce(utf8ToWide(status->text));
      }
      break;
    default:
      break;
  }
}

void MainWindow::showLanBox(LanBox box) {
  if (lanBoxes.add(box)) showLanBoxes();
}

void MainWindow::showLanBoxes() {
  // A box's own message loop brings in the events that queue more: the box that opened
  // first shows them, one after another, once it has closed.
  const auto stillAsked = [this](LanBox question) {
    return lanController && lanController->peerRequestOpen(requestKind(question));
  };
  while (const std::optional<LanBox> box = lanBoxes.openNext(stillAsked)) {
    switch (*box) {
      case LanBox::ConnectFailed: showError(hwnd, lanConnectFailureText); break;
      case LanBox::ConnectionLost: onLanConnectionLost(); break;
      case LanBox::OpponentResigned: inform(hwnd, L"对方认输，你赢了！", L"游戏结束"); break;
      case LanBox::UndoQuestion:
      case LanBox::DrawQuestion: askLanPeerQuestion(*box); break;
      case LanBox::UndoRefused: inform(hwnd, L"对方拒绝悔棋", L"悔棋被拒绝"); break;
      case LanBox::DrawAgreed: inform(hwnd, L"对方同意和棋", L"和棋"); break;
      case LanBox::DrawRefused: inform(hwnd, L"对方拒绝和棋", L"和棋被拒绝"); break;
    }
    lanBoxes.closed();
  }
}

void MainWindow::closeOpenLanQuestion() {
  lanQuestionOutdated = true;
  if (HWND box = openQuestionBox(hwnd, lanQuestionCaption)) EndDialog(box, IDCANCEL);
}

void MainWindow::closeSettledLanQuestion() {
  const std::optional<LanBox> open = lanBoxes.openBox();
  if (!open || (*open != LanBox::UndoQuestion && *open != LanBox::DrawQuestion)) return;
  if (!lanController || !lanController->peerRequestOpen(requestKind(*open))) closeOpenLanQuestion();
}

void MainWindow::onLanConnectionLost() {
  stopLanTimer();
  if (lanController && lanController->canResume()) {
    const int answer = question(hwnd,
                                L"检测到异常断线，是否等待对手重连？\n\n选择“是”将保持会话并继续等待 45 秒。",
                                L"连接中断");
    if (answer == IDYES) {
      if (lanController->enterReconnectWait(kReconnectWaitSeconds)) {
        startLanTimer();  // the session says that it waits
        return;
      }
    } else {
      lanController->declineReconnect();
    }
  }
  lanLossTold = true;
  announcer->announce(L"网络连接已断开");
  MessageBoxW(hwnd, L"与对手的连接已断开", L"连接断开", MB_OK | MB_ICONWARNING);
}

void MainWindow::onLanGameReady(PieceColor side, const std::string& opponent) {
  dropEngineWork();
  if (reviewManager->isActive()) reviewManager->exitReviewMode();
  gameMode = MODE_LAN;
  const bool flipped = side == BLACK;
  setSide(side, flipped);
  gameEngine->newGame(MODE_LAN);
  gameActive = true;
  gameStopped = false;
  loadedPositionPending = false;
  selected = Position{-1, -1};
  player2Selected = Position{-1, -1};
  player2Cursor = Position{4, 5};
  lanController->onEngineReady();
  // The king's file on the player's own back rank.
  cursor = flipped ? Position{4, 0} : Position{4, 9};
  accessibility->setViewSide(side);
  accessibility->syncFocus(cursor);
  if (initAudio()) {
    audioManager->updateListener(side);
    audioManager->playSound(SOUND_GAME_START);
  }
  wantGameMusic();
  updateMenuState();
  InvalidateRect(hwnd, nullptr, TRUE);
  announcer->announce(L"对手 " + utf8ToWide(opponent) + L" 已连接，你执" + (side == BLACK ? L"黑方" : L"红方"));
  logInfo("LAN game ready: local=" + sideText(side) + " opponent=" + opponent);
}

void MainWindow::onLanMoveAcked(int32_t seq) {
  // A move that ended the game was already heard with its result, when it was played.
  logInfo("LAN move acked: seq=" + std::to_string(seq));
}

void MainWindow::askLanPeerQuestion(LanBox box) {
  const bool undo = box == LanBox::UndoQuestion;
  lanQuestionCaption = undo ? L"悔棋请求" : L"和棋请求";
  lanQuestionOutdated = false;
  const int answer = question(hwnd, undo ? L"对方请求悔棋，是否同意？" : L"对方请求和棋，是否同意？", lanQuestionCaption);
  // Closed by the connection's end, or overtaken by an agreement: nothing to send or say.
  if (lanQuestionOutdated || !lanController || !lanController->peerRequestOpen(requestKind(box))) return;
  if (undo) {
    onLanUndoRequest(answer == IDYES);
  } else {
    onLanDrawRequest(answer == IDYES);
  }
}

void MainWindow::onLanUndoRequest(bool accept) {
  const LanRequestResult result = lanController->respondUndo(accept);
  const bool sent = result == LanRequestResult::Sent;
  if (sent && accept) {
    announcer->announce(L"同意悔棋，双方各退一步");
    InvalidateRect(hwnd, nullptr, TRUE);
  } else if (sent) {
    announcer->announce(L"已拒绝悔棋请求");
  } else if (accept) {
    announcer->announce(CommandTexts::undoRefusal(result));
  }
}

void MainWindow::onLanUndoResponse(bool accepted) {
  if (accepted) {
    announcer->announce(L"对方同意悔棋，双方各退一步");
    InvalidateRect(hwnd, nullptr, TRUE);
    return;
  }
  announcer->announce(L"对方拒绝悔棋请求");
  showLanBox(LanBox::UndoRefused);
}

void MainWindow::onLanDrawRequest(bool accept) {
  const LanRequestResult result = lanController->respondDraw(accept);
  const bool sent = result == LanRequestResult::Sent;
  if (sent && accept) {
    announcer->announce(L"同意和棋，对局结束");
    stopLanTimer();
  } else if (sent) {
    announcer->announce(L"已拒绝和棋请求");
  } else if (accept) {
    announcer->announce(CommandTexts::kDrawAnswerNotNow);
  }
}

void MainWindow::onLanDrawResponse(bool accepted) {
  if (accepted) {
    announcer->announce(L"对方同意和棋，对局结束");
    stopLanTimer();
    showLanBox(LanBox::DrawAgreed);
    return;
  }
  announcer->announce(L"对方拒绝和棋请求");
  showLanBox(LanBox::DrawRefused);
}

void MainWindow::startLanGame() {
  if (lanNickname.empty()) lanNickname = kDefaultNickname;
  LanDialogs::SetupData setup;
  setup.nickname = utf8ToWide(lanNickname);
  if (setup.nickname.empty()) setup.nickname = utf8ToWide(kDefaultNickname);
  setup.sideChoice = sideChoiceFromPreference(lanSidePreference);
  if (LanDialogs::runSetup(hwnd, setup) != IDOK || !setup.confirmed) return;
  lanNickname = setup.nickname.empty() ? kDefaultNickname : wideToUtf8(setup.nickname);
  lanSidePreference = preferenceFromSideChoice(setup.sideChoice);

  if (lanController) {
    switch (lanController->getState()) {
      case LANSessionState::IDLE:
        break;
      case LANSessionState::HOSTING:
        if (question(hwnd, L"您正在等待对手连接，是否取消当前等待？", L"确认") != IDYES) return;
        lanController->leaveRoom();
        announcer->announce(L"已取消等待，房间已关闭");
        return;
      // The player's own connect was given up by the command that led here: this is a
      // resumed session's handshake, which belongs to the game on the board.
      case LANSessionState::HANDSHAKING:
      case LANSessionState::PLAYING:
        inform(hwnd, L"您正在进行局域网对战，请先结束当前对局", L"提示");
        return;
      default:
        leaveLanRoom();
        break;
    }
  } else {
    const HWND window = hwnd;
    lanController = std::make_unique<LANGameController>(
        gameEngine.get(), network.get(), [window](LANGameController::Task task) { postLanTask(window, std::move(task)); });
    installLanCallbacks();
  }

  lanLossTold = false;  // a new connection, whose end is told anew
  const int way = question(hwnd,
                           L"请选择对战方式：\n\n【是】建房等待对手连接\n【否】搜索局域网内的房间\n【取消】输入 IP 地址直连对方",
                           L"局域网对战", MB_YESNOCANCEL);
  if (way == IDNO) {
    searchLanRooms();
  } else if (way == IDYES) {
    hostLanRoom();
  } else {
    connectLanByAddress();
  }
}

void MainWindow::hostLanRoom() {
  if (!lanController->createRoom(lanNickname, lanSidePreference, Network::DEFAULT_GAME_PORT)) {
    announcer->announce(L"创建房间失败");
    showError(hwnd, L"创建房间失败，端口可能被占用");
    return;
  }
  announcer->announce(L"房间已创建，等待对手连接...");
  startLanTimer();
  LanDialogs::WaitingData waiting;
  waiting.text = L"正在等待对手连接...\n\n本地IP地址: " + utf8ToWide(network->getLocalIPAddress()) +
                 L"\n端口: 8888\n\n提示: 告诉对手输入此IP地址即可直连";
  // The room waits until a guest has completed the handshake.
  waiting.opponentArrived = [this] {
    const LANSessionState state = lanController->getState();
    return state != LANSessionState::HOSTING && state != LANSessionState::HANDSHAKING;
  };
  waiting.cancelWait = [this] {
    lanController->leaveRoom();
    announcer->announce(L"已取消等待，房间已关闭");
  };
  // A connected opponent is reported by the session's events, not here.
  LanDialogs::runWaiting(hwnd, waiting);
}

void MainWindow::connectLanByAddress() {
  LanDialogs::ConnectData connect;
  if (LanDialogs::runConnect(hwnd, connect) != IDOK || !connect.confirmed) return;
  joinLanRoom(wideToUtf8(LanDialogs::lastAddress()), LanDialogs::lastPort(), L"连接失败，请检查 IP 地址和端口");
}

void MainWindow::joinLanRoom(const std::string& address, int32_t port, const wchar_t* failureText) {
  // The connect runs off this thread; its failure comes back as ConnectFailed.
  lanConnectFailureText = failureText;
  if (lanController->joinRoom(lanNickname, lanSidePreference, address, port)) {
    announcer->announce(L"正在连接...");
    startLanTimer();
    return;
  }
  announcer->announce(L"连接失败");
  showError(hwnd, failureText);
}

void MainWindow::searchLanRooms() {
  lanRooms.clear();
  if (!lanController->startRoomSearch()) {
    showError(hwnd, L"无法启动搜索，请检查网络权限");
    return;
  }
  announcer->announce(L"正在搜索局域网房间...");
  LANCallbacks searching;
  searching.roomFound = [this](const std::string& name, const std::string& address, int32_t port) {
    onLanRoomFound(name, address, port);
  };
  lanController->setCallbacks(searching);
  LanDialogs::RoomSearchData search{&lanRooms};
  const INT_PTR result = LanDialogs::runRoomSearch(hwnd, search);
  lanController->stopRoomSearch();
  installLanCallbacks();

  const std::vector<LanRoom> rooms = lanRooms.rooms();
  const INT_PTR index = result - LanDialogs::ROOM_RESULT_BASE;
  if (result >= LanDialogs::ROOM_RESULT_BASE && index < static_cast<INT_PTR>(rooms.size())) {
    const LanRoom& room = rooms[static_cast<size_t>(index)];
    joinLanRoom(room.address, room.port, L"连接失败，请检查网络");
    return;
  }
  if (search.closed && !lanRooms.found() &&
      question(hwnd, L"未找到房间，是否手动输入 IP 连接？", L"搜索完成") == IDYES) {
    connectLanByAddress();
  }
}

void MainWindow::onLanRoomFound(const std::string& name, const std::string& address, int32_t port) {
  // On the discovery thread: the list takes its own lock.
  lanRooms.add(name, address, port);
}

}  // namespace Tavrune
