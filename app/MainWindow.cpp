#include "app/MainWindow.h"

#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "accessibility/NoticeJoiner.h"
#include "app/AIFrontEnd.h"
#include "app/ProgramMessages.h"
#include "app/WindowClass.h"
#include "audio/AudioManager.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"
#include "game/Notation.h"
#include "game/ReviewManager.h"
#include "lan/LANGameController.h"
#include "lan/Network.h"
#include "platform/WinAnnouncer.h"
#include "platform/WinHttpClient.h"
#include "platform/WinProcessManager.h"
#include "platform/WinUICallback.h"
#include "platform/WinWindowOpeningHook.h"
#include "update/WinSparkleAdapter.h"

#include <algorithm>
#include <chrono>

namespace Tavrune {

namespace {

constexpr int32_t kRepeatDebounceMs = 500;
constexpr int32_t kNavigationDebounceMs = 300;
// Time for a screen reader to read a notice after its event before the next replaces
// it: the player's move and a book reply, for one, come a few milliseconds apart.
constexpr int32_t kNoticeGapMs = 150;
constexpr const wchar_t* kUnreadableSettingsNotice =
    L"配置文件无法读取，已改用默认设置，原文件保存为 config.json.unreadable";
const char kAppcastUrl[] = "https://updates.velmora.org/tavrune/appcast.xml";

// COM's window for this thread's apartment, through which calls from other processes
// (a screen reader reading the board's name) arrive as posted messages; null when none.
HWND apartmentWindow() {
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"OleMainThreadWndClass", nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, L"OleMainThreadWndClass", nullptr)) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) return window;
  }
  return nullptr;
}

// Waits on the UI thread before a box opens: a screen reader asking for the board
// meanwhile (WM_GETOBJECT, WM_GETTEXT, then its calls into the accessible objects) is
// answered, not kept waiting. Nothing else of the queue is touched.
void waitServingSentMessages(std::chrono::milliseconds wait) {
  constexpr DWORD kSliceMs = 5;  // how often the apartment's calls are looked for
  const HWND apartment = apartmentWindow();
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    MSG message;
    while (apartment && PeekMessageW(&message, apartment, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    const DWORD slice = std::min<DWORD>(kSliceMs, static_cast<DWORD>(left.count()));
    const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_SENDMESSAGE);
    if (woke == WAIT_FAILED) return;
    if (woke == WAIT_OBJECT_0) PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<IEngineFrontEnd> engineFrontEnd) {
  gameEngine = std::make_unique<GameEngine>();
  ai = engineFrontEnd ? std::move(engineFrontEnd) : std::make_unique<AIFrontEnd>();
  network = std::make_unique<Network>();
  pveController = std::make_unique<PveController>(gameEngine.get(), ai.get());
  ai->setProcessManagerFactory([] { return std::make_unique<WinProcessManager>(); });
  ai->setHttpClientFactory([] { return std::make_shared<WinHttpClient>(); });
  accessibility = std::make_unique<AccessibilityManager>();
  winAnnouncer = std::make_unique<WinAnnouncer>(accessibility.get());
  uiCallback = std::make_unique<WinUICallback>(&MainWindow::textInputDialogProc);
  // The notices of one action are joined until the window has handled its flush message:
  // a move and the result it brings arrive as two posted messages, both before the flush.
  noticeJoiner = std::make_unique<NoticeJoiner>(
      winAnnouncer.get(), [this](int32_t delayMs) { return requestNoticeFlush(delayMs); }, kNoticeGapMs,
      NoticeJoiner::Clock{}, &waitServingSentMessages);
  announcer = std::make_unique<AnnouncementHistory>(noticeJoiner.get(), kRepeatDebounceMs, kNavigationDebounceMs);
  noticeJoiner->setWithdrawnCallback([this](const std::wstring& text) { announcer->forget(text); });
  accessibility->setPointEventCallback([this] { noticeJoiner->pointAnnounced(); });
  reviewManager = std::make_unique<ReviewManager>(gameEngine.get(), announcer.get(), uiCallback.get());
  audioManager = std::make_unique<AudioManager>();
  updater = std::make_unique<WinSparkleAdapter>();
  configureFromSettings();
}

MainWindow::~MainWindow() {
  // Nothing may call into this object from another thread or a late message while the
  // members go away one by one.
  detachCallbacks();
  windowOpeningHook.reset();
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    KillTimer(hwnd, TIMER_LAN_POLL);
    KillTimer(hwnd, TIMER_NOTATION_INPUT);
    KillTimer(hwnd, TIMER_NOTICE_FLUSH);
    KillTimer(hwnd, TIMER_FINISH_STARTUP);
    accessibility->disconnectProviders();
    DestroyWindow(hwnd);
  }
  hwnd = nullptr;
  if (statusFont) DeleteObject(statusFont);
  updater.reset();
}

void MainWindow::detachCallbacks() {
  // First the LAN threads: none may reach the announcer while the window goes.
  if (lanController) lanController->setCallbacks(LANCallbacks{});
  gameEngine->setMoveCallback(nullptr);
  gameEngine->setStateCallback(nullptr);
  ai->setMoveReadyCallback(nullptr);
  ai->setEngineReadyCallback(nullptr);
  ai->setStateChangedCallback(nullptr);
  reviewManager->setPositionTextCallback(nullptr);
  reviewManager->setMoveTextCallback(nullptr);
  reviewManager->setStepSoundCallback(nullptr);
  uiCallback->setWindow(nullptr);
}

IUICallback& MainWindow::uiServices() { return *uiCallback; }

bool MainWindow::noticesPending() const { return noticeJoiner->holding(); }

bool MainWindow::requestNoticeFlush(int32_t delayMs) {
  if (!hwnd) return false;
  if (delayMs <= 0) return PostMessageW(hwnd, WM_FLUSH_NOTICES, 0, 0) != 0;
  return SetTimer(hwnd, TIMER_NOTICE_FLUSH, static_cast<UINT>(delayMs), nullptr) != 0;
}

bool MainWindow::create(HINSTANCE instance) {
  hInstance = instance;
  uiThreadId = GetCurrentThreadId();

  if (!registerWindowClass(instance, kClassName, &MainWindow::windowProc)) return false;

  hwnd = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight,
                         nullptr, nullptr, instance, this);
  if (!hwnd) return false;
  SetTimer(hwnd, TIMER_MUSIC, kMusicCheckMs, nullptr);

  gameEngine->setMoveCallback([this](const Move& move) { onGameMove(move); });
  gameEngine->setStateCallback([this](GameState state) { onGameStateChanged(state); });
  // Both arrive on the engine's thread and are only posted on.
  ai->setEngineReadyCallback([this](bool ready) { onEngineReadyReport(ready); });
  ai->setStateChangedCallback([this] { onEngineStateChangedReport(); });

  accessibility->setFocusCell(cursor);

  if (HMENU menu = createMainMenu()) SetMenu(hwnd, menu);
  updateMenuState();

  accessibility->initialize(hwnd, [this](const Position& pos) { return gameEngine->getBoard().getPiece(pos); });
  accessibility->setBoardRect(BoardRect{10, 40, 550, 640});
  accessibility->setBoardFlipped(boardFlipped);
  accessibility->setUiaProviderEnabled(a11yConfig.windowsUiaProviderEnabled);
  a11yConfig.windowsUiaProviderEnabled = accessibility->isUiaEnabled();

  uiCallback->setWindow(hwnd);
  windowOpeningHook = std::make_unique<WinWindowOpeningHook>([this] { noticeJoiner->flushNow(); });

  reviewManager->setPositionTextCallback(
      [](Position pos, PieceColor color) { return Notation::positionText(pos, color); });
  reviewManager->setMoveTextCallback(
      [this](const Move& move, PieceColor color) { return moveToSpeechText(move, color); });
  reviewManager->setStepSoundCallback([this](bool forward) { playReviewStepSound(forward); });

  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);

  if (ConfigManager::takeUnreadableFileNotice()) announcer->announce(kUnreadableSettingsNotice);
  checkEngineAvailability();
  // After the notices' flush, which is posted, and after the player's first key.
  SetTimer(hwnd, TIMER_FINISH_STARTUP, USER_TIMER_MINIMUM, nullptr);
  return true;
}

void MainWindow::finishStartup() {
  if (startupFinished) return;
  startupFinished = true;
  KillTimer(hwnd, TIMER_FINISH_STARTUP);  // also while a box of it is open
  logInfo(std::string("[MainWindow] Initializing WinSparkle with appcast: ") + kAppcastUrl);
  if (updater->initialize(kAppcastUrl)) {
    logInfo("[MainWindow] WinSparkle initialized successfully");
    updater->setCheckInterval(0);
    logInfo("[MainWindow] Starting silent update check on startup");
    updater->checkForUpdates(true, nullptr);
  } else {
    logError("[MainWindow] WinSparkle initialization failed");
    MessageBoxW(hwnd, L"自动更新功能初始化失败", L"警告", MB_OK | MB_ICONWARNING);
  }

  logInfo("[MainWindow] Cleaning up .tmp directory on startup...");
  if (!ConfigManager::cleanupTempDirectory()) {
    logWarning("[MainWindow] Failed to cleanup .tmp directory, continuing anyway");
  }
}

int MainWindow::run() {
  MSG message{};
  for (;;) {
    const BOOL result = GetMessageW(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(message.wParam);
    if (result == -1) {
      // The queue cannot be read; looping on would spin for ever.
      logError("[MainWindow] GetMessageW failed, leaving the message loop");
      return 1;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(creation->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd = window;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) return self->handleMessage(message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace Tavrune
