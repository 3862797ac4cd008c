#pragma once
// The program's one window and the owner of every component: it builds them, applies
// the user's settings, runs the message loop and turns messages, keys, clicks and
// reports from other threads into game actions on the UI thread.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BoardKeys.h"
#include "app/BoardRenderer.h"
#include "app/EngineSettingsMirror.h"
#include "app/LanBoxQueue.h"
#include "app/IEngineFrontEnd.h"
#include "app/LanUiEvent.h"
#include "app/NotationEntry.h"
#include "app/SelectionFeedback.h"
#include "app/SessionSeat.h"
#include "app/SessionStatus.h"
#include "app/SettingsAppliers.h"
#include "app/VolumeKeys.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"
#include "engine/CpuFeatures.h"
#include "game/ChessTypes.h"
#include "lan/LanRoomList.h"

namespace Tavrune {

class AccessibilityManager;
class AnnouncementHistory;
class AudioManager;
class NoticeJoiner;
class GameEngine;
class LANGameController;
class Network;
class IUICallback;
class PveController;
class ReviewManager;
class WinAnnouncer;
class WinSparkleAdapter;
class WinUICallback;
class WinWindowOpeningHook;
struct PreLoadSnapshot;
struct StopPlan;

// An open settings session over the window. The executor is declared first so that it
// outlives the provider, which calls it.
struct SettingsSession {
  std::unique_ptr<Settings::CallbackActionExecutor> executor;
  std::unique_ptr<Settings::Provider> provider;  // null when the session could not open
};

class MainWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TavruneWindow";
  static constexpr wchar_t kTitle[] = L"Velmora";
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 750;

  // Builds every component and applies the saved settings; no window yet. Tests hand
  // in their own engine front end; the program passes none.
  explicit MainWindow(std::unique_ptr<IEngineFrontEnd> engineFrontEnd = nullptr);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The window exists and is shown; the start-up work that can wait is posted to run
  // once the window answers. On false no window is left pointing at this object.
  bool create(HINSTANCE instance);
  // The message loop; the exit code.
  int run();

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Writes the window's copies of the settings into "config.json"; whether it was written.
  // A failure is told to the player, after the notice of the change that was not kept.
  bool saveSettings();
  // A settings session on the Windows desktop over "config.json", whose commits reach
  // the running program, with the engine's information rows filled in. When it cannot
  // open, the user has been told why and the provider is null.
  SettingsSession openSettingsSession();
  // The window's copies, components and operations the settings appliers change.
  SettingsTargets settingsTargets();

  // The engine's move, from the engine's or a book's thread: posted to the UI thread.
  void onAIMove(const Move& move);
  // Plays a move on the UI thread with its sound and a repaint; whether it was played.
  bool makeMove(const Move& move);
  // Call right before anything that may start an engine search: a reply is played only
  // while the game is still the one it was asked for.
  void noteEngineRequest();
  // The game was replaced, undone or stopped: every outstanding engine reply is stale.
  void invalidateEngineRequests();
  // The engine front end's reports, from any thread: carried over to the UI thread.
  void onEngineReadyReport(bool ready);
  void onEngineStateChangedReport();

  void announceMoveMade(const Move& move, bool inCheck);
  void announcePieceAt(Position pos);
  std::wstring moveToSpeechText(const Move& move, PieceColor color) const;

  void checkEngineAvailability();
  // Whether a build was chosen; Cancel and a refused build change nothing.
  bool showEngineSelectionDialog(HWND parent);
  // Lets the user choose a sound pack in a dialog owned by `owner` (this window when
  // null), saves it and reloads the running audio with it.
  void selectSoundPack(HWND owner);

  static INT_PTR CALLBACK textInputDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK engineVariantDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  // The About box of template 102: 1 after the web page opened, 2 for Close, 0 from the frame.
  static INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  // A game has been started and not stopped, no review is open and it is being played.
  bool isGameInProgress() const;
  // The side whose view the line-reading keys and notation entry use.
  PieceColor readingSide() const;

  HWND handle() const { return hwnd; }
  GameEngine& game() { return *gameEngine; }
  ReviewManager& review() { return *reviewManager; }
  AnnouncementHistory& notices() { return *announcer; }
  // Notices of the latest action are still waiting to be spoken.
  bool noticesPending() const;
  AudioManager& audio() { return *audioManager; }
  IUICallback& uiServices();
  PieceColor playerColor() const { return humanColor; }
  bool isBoardFlipped() const { return boardFlipped; }
  const std::string& currentEnginePath() const { return enginePath; }
  Position secondCursor() const { return player2Cursor; }
  const AccessibilityConfig& accessibilityConfig() const { return a11yConfig; }
  const SystemConfig& systemSettings() const { return systemConfig; }
  const NotationSettings& notationSettings() const { return notationEntry.settings(); }
  // The LAN session, once a LAN game was started; null before.
  const LANGameController* lanSession() const { return lanController.get(); }

 private:
  // Start-up: settings into the mirrors, the engine build, the log, books, engine settings.
  void configureFromSettings();
  std::vector<std::string> openingBookFolders() const;
  bool writeSettings(const std::string* chosenEngineVariant);
  void tellSettingsUnsaved();
  static constexpr const wchar_t* kSettingsUnsavedNotice = L"无法保存设置，本次更改在下次启动后不会保留";

  // The game's callbacks; each may run on a thread other than the UI thread.
  void onGameMove(const Move& move);
  void onGameStateChanged(GameState state);
  void handleGameStateChanged(GameState state);
  void handleAIMove(WPARAM requestStamp, LPARAM payload);
  void handleMoveMade(LPARAM payload);
  uint64_t currentRequestStamp() const;
  void playReviewStepSound(bool forward);
  bool audioReady() const;

  // Keys and clicks.
  void handleKeyDown(WPARAM virtualKey);
  void readBoardFile(int32_t fileNumber);
  void toggleDebugLog();
  void nextVolumeChannel();
  void handleClick(LPARAM lParam);
  bool handleCopyData(LPARAM lParam);
  void handleNotationTimeout();
  // Board keys, both cursors and keypad notation entry (MainWindowBoardInput.cpp).
  bool handleNotationKey(WPARAM virtualKey);
  void applyNotationSettings();
  void applyNotationTimer(const NotationTimerRequest& request);
  void moveBoardCursor(bool player2, CursorStep step);
  void selectOrDrop(SelectionFeedback::Cursor which);
  void choosePlayer2Scheme();
  void promptForGameMode();
  // Speaks, pushes and saves one volume change (MainWindowVolume.cpp).
  void pushVolume(const VolumeChange& change);
  void detachCallbacks();
  // Asks for the held notices to be spoken: posted (delay 0) or after a timer.
  bool requestNoticeFlush(int32_t delayMs);
  // What create leaves for a timer, after the window answers: the update service and the
  // temporary folder's clean-up. Runs once, from the timer or from whatever needs it first.
  void finishStartup();

  // Menus, board keys, painting, volume keys, the settings dialog.
  HMENU createMainMenu();
  void updateMenuState();
  void onCommand(int commandId);
  void handleKeyPress(WPARAM virtualKey);
  void selectOrDropAtCursor();
  void onPaint(HDC dc);
  void resetNotationInput();
  void adjustVolume(int32_t step);
  void resetVolumeChannel();
  void toggleAudioChannel();
  void showSoftwareSettingsPrototype();
  // What the settings dialog uses of this window (MainWindowSettings.cpp).
  class SettingsHost;

  // Menu commands (MainWindowCommands.cpp).
  SessionStatus sessionStatus() const;
  void toggleProfessionalNotation();
  // Closes the review (menu or key): the game goes on where it was, the engine moving if
  // it is its turn; with no game the loaded record's mode popup opens.
  void leaveReview();
  // Closes an open review and leaves a running LAN room before a game is replaced.
  void endReviewOrLanGame();
  // The "游戏" popup at the client origin, for the user to pick a mode.
  void showGamePopup();

  // The About box and the update check from the menu (MainWindowAbout.cpp).
  void showAboutDialog();
  void checkForUpdatesFromMenu();

  // The 3D audio test window (MainWindowAudioTest.cpp).
  struct AudioTestState;
  void openAudioTestWindow();
  static LRESULT CALLBACK audioTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void createAudioTestControls(HWND window, const CREATESTRUCTW* creation, AudioTestState& state);
  static void onAudioTestKey(HWND window, AudioTestState& state, WPARAM virtualKey);
  static void runAudioTest(HWND window, AudioTestState& state);
  static void copyAudioTestParameters(HWND window, AudioTestState& state);
  static void showAudioTestGeometry(HWND window, AudioTestState& state);
  static BOOL CALLBACK setChildFontCallback(HWND child, LPARAM font);

  // Game sessions (MainWindowSessions.cpp).
  void startGameSession(const std::wstring& notice);
  void startNewGame();
  // Plays on from the loaded position; `notice` says how.
  void continueGameFromScore(const std::wstring& notice);
  void choosePveSide();
  void continueVsEngineFromPosition();
  bool initAudio();
  // Starts the audio manager, whatever the switch, with the switch's flag and settings.
  bool startAudio();
  // Sound switched on (F8 or the settings): starts the audio for a game that began silent.
  void onSoundSwitchedOn();
  // Marks the music of the game just started or resumed as wanted, and plays it if it may.
  void wantGameMusic();
  void stopCurrentGame();
  // Ends the game on the board as the plan says: its engine work, its room, its snapshot.
  void endBoardGame(const StopPlan& plan);
  // No game on the board: board keys and moves wait until a mode is chosen.
  void clearGame();
  // The LAN game start; one that ends with no room or join under way leaves no game.
  void startLanGameOrNone();
  // A LAN start that was cancelled or whose connect failed: no game is left on the board.
  void endLanStartWithoutGame();
  void resumeStoppedGame();
  void switchPlayerColor();
  void undoMove();
  // Any reply of the engine to the game as it stands is dropped from now on.
  void dropEngineWork();
  void setSide(PieceColor side, bool flipped);
  SessionSeat currentSeat() const;
  void restoreSeat(const SessionSeat& seat);

  // The turn flow against the engine (MainWindowPve.cpp).
  // The engine's ready report, on the UI thread: the first one of the run speaks which
  // build runs and lets the engine open when it has the first move.
  void onPveEngineReady(bool ready);
  // Starts (or wakes) the engine for a session against it.
  void startEngine();
  // An engine game in progress, no review, the engine's side to move.
  bool isEngineTurnNow() const;
  // The engine's turn, but the engine gave up: tells the player how to go on. True when
  // it told.
  bool announceEngineTurnUnplayable();
  // On the engine's turn asks for its move, or owes it until the engine is ready.
  void askEngineForItsMove();
  // The player's move, played: a ponder hit, a miss or a new search.
  void reportHumanMove(const Move& move);
  // Stops pondering, a search and an owed request.
  void stopEngineSearch();
  // The engine exited, failed to start or answered a move the game refused: on its turn
  // a new engine is asked again; a give-up is told once, with the error box.
  void onEngineFailure(bool moveRefused);
  // After a give-up: the engine may be tried anew (new game, resume, undo, side switch,
  // another engine); true when it had given up.
  bool reviveEngine();

  // LAN play (MainWindowLan.cpp).
  void runLanWork(LPARAM payload);
  void installLanCallbacks();
  void handleLanEvent(WPARAM code, LPARAM payload);
  void onLanConnectionLost();
  void onLanGameReady(PieceColor side, const std::string& opponent);
  void onLanMoveAcked(int32_t seq);
  // Every box of the LAN events goes through the queue: one open at a time.
  void showLanBox(LanBox box);
  // Opens the waiting boxes one after another, unless one is open already.
  void showLanBoxes();
  // The peer's question (UndoQuestion, DrawQuestion) and the answer given to it.
  void askLanPeerQuestion(LanBox box);
  // The open question of the peer's, closed unanswered: after the connection's end, or
  // (the Settled one) once an agreement has closed its request.
  void closeOpenLanQuestion();
  void closeSettledLanQuestion();
  void onLanUndoRequest(bool accept);
  void onLanUndoResponse(bool accepted);
  void onLanDrawRequest(bool accept);
  void onLanDrawResponse(bool accepted);
  // The LAN game command: the set-up dialog, then hosting, a room search or a direct connect.
  void startLanGame();
  void hostLanRoom();
  void connectLanByAddress();
  void searchLanRooms();
  // Starts joining a room; the failure's box says `failureText`.
  void joinLanRoom(const std::string& address, int32_t port, const wchar_t* failureText);
  // From the discovery thread during a search.
  void onLanRoomFound(const std::string& name, const std::string& address, int32_t port);
  void startLanTimer();
  void stopLanTimer();
  void onLanTimer();
  // A LAN controller exists and is not idle.
  bool lanSessionBusy() const;
  // A guest's connect or first handshake is under way: no game of it on the board yet.
  bool lanConnectPending() const;
  // The session would take the player's resignation now.
  bool lanResignPossible() const;
  // Leaves the room and stops the LAN timer.
  void leaveLanRoom();
  // After a record load: leaves a LAN game that was running before it and still runs.
  void leaveLanIfActive(bool lanGameWasRunning);
  // On the local turn of a LAN game the session cannot take a move now: what to say.
  std::optional<std::wstring> lanMoveRefusal() const;
  void sendMoveToLanPeer(const Move& move);

  // Game records (MainWindowRecords.cpp).
  void openScoreFile();
  void saveScoreFile();
  // Puts the game before a load back and calls `tell` with whether it could (false is
  // logged), before a review open then is reopened: what happened is heard before the
  // review's own notice.
  void applyScoreLoadChoice(const PreLoadSnapshot& before, const std::function<void(bool restored)>& tell);
  void showLoadedScorePopup();

  HWND hwnd = nullptr;
  HINSTANCE hInstance = nullptr;
  std::unique_ptr<GameEngine> gameEngine;
  std::unique_ptr<IEngineFrontEnd> ai;
  // The rooms of the current search; before the session, which fills it from its thread.
  LanRoomList lanRooms;
  std::unique_ptr<Network> network;
  std::unique_ptr<PveController> pveController;
  // Made by the first LAN game start, kept for the run; destroyed before the network.
  std::unique_ptr<LANGameController> lanController;
  std::unique_ptr<AccessibilityManager> accessibility;
  std::unique_ptr<ReviewManager> reviewManager;
  std::unique_ptr<AudioManager> audioManager;
  std::unique_ptr<WinAnnouncer> winAnnouncer;
  // Between the history and the screen reader: the notices of one action are heard as one.
  std::unique_ptr<NoticeJoiner> noticeJoiner;
  std::unique_ptr<WinUICallback> uiCallback;
  std::unique_ptr<AnnouncementHistory> announcer;
  Position cursor{4, 5};
  Position selected{-1, -1};
  Position player2Cursor{4, 5};
  Position player2Selected{-1, -1};
  // A keypad move's target: the focus lands there once the move's points are marked.
  Position focusAfterMove{-1, -1};
  GameMode gameMode = MODE_PVE;
  PieceColor humanColor = RED;
  std::string enginePath = "engines\\pikafish.exe";
  bool engineLoaded = false;
  bool boardFlipped = false;
  bool gameActive = false;
  bool loadedPositionPending = false;
  bool gameStopped = false;
  bool unsavedSettingsTold = false;
  bool startupFinished = false;
  StoppedGame stoppedGame;  // meaningful only while gameStopped
  int32_t player2Scheme = 0;
  AccessibilityConfig a11yConfig;
  SystemConfig systemConfig;
  AudioConfig audioConfig;
  int32_t volumeChannel = 0;
  NotationEntry notationEntry;
  EngineSettingsMirror engineSettings;
  std::string lanNickname;
  std::string lanSidePreference = "random";
  const wchar_t* lanConnectFailureText = L"";  // the box of the join under way
  LanBoxQueue lanBoxes;
  const wchar_t* lanQuestionCaption = L"";  // of the peer's last question
  bool lanQuestionOutdated = false;         // the connection ended while it was open
  bool lanLossTold = false;                 // the connection's end was told with its box
  // Marks posted by leaveLanRoom not yet reached: the LAN events before them are passed over.
  int32_t lanLeftSessionMarks = 0;
  std::unique_ptr<WinSparkleAdapter> updater;
  // Speaks the held notices before any box, dialog or menu of the UI thread opens.
  std::unique_ptr<WinWindowOpeningHook> windowOpeningHook;
  HWND audioTestWindow = nullptr;  // the open 3D audio test window, if any
  HFONT statusFont = nullptr;
  // Made on the first paint; after a failure the client area stays unpainted.
  std::unique_ptr<BoardRenderer> renderer;
  bool rendererFailed = false;

  DWORD uiThreadId = 0;
  // Bumped on the UI thread whenever outstanding engine replies become stale.
  uint32_t gameGeneration = 0;
  // The generation and position the outstanding engine request was made for; read on
  // the engine's thread when its reply is posted.
  static constexpr uint64_t kNoEngineRequest = ~uint64_t{0};
  std::atomic<uint64_t> engineRequestStamp{kNoEngineRequest};
  // The engine builds the chooser was last opened with.
  std::vector<EngineVariantInfo> engineChoices;
};

}  // namespace Tavrune
