// Games against the real engine end to end: Fairy-Stockfish, behind the engine tests'
// relay, stands in the portable folder as the program's own engine. Who moves first,
// replies to moves made by keys, pondering after a reply, and a search given up for a
// new game, each heard through the title and the board's accessible name. What the
// program told the engine is read from the relay's transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/DebugLogFile.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/SettingsDialogDriver.h"
#include "e2e/WinEventWatcher.h"
#include "support/TempFolder.h"

namespace Tavrune::E2E {
namespace {

const wchar_t kWindowClass[] = L"TavruneWindow";
const std::wstring kTitlePrefix = L"Velmora - ";
constexpr WPARAM kEngineGameCommand = 201;
const std::wstring kSideBox = L"人机对战 - 选择执棋方";
const std::wstring kSwitchModeBox = L"确认切换模式";
const std::wstring kNewGame = L"开始新游戏";
const std::wstring kEngineReadyPrefix = L"AI引擎加载成功";
// A first game as Red: the side, the start and the engine loading, said as one.
const std::wstring kRedStartHeard = L"您执红棋先行，开始新游戏，正在加载AI引擎...";
const std::wstring kErrorBox = L"错误";
const std::wstring kEngineFailed = L"AI引擎加载失败";
const std::wstring kEngineMoveRefused = L"引擎走法无效，请悔棋或重新开始";
constexpr WPARAM kUndoCommand = 203;
// Faults the relay plays on demand while their flag file exists.
const wchar_t kCrashOnGo[] = L"TAVRUNE_RELAY_CRASH_ON_GO";
const wchar_t kIllegalAnswers[] = L"TAVRUNE_RELAY_ILLEGAL";
// Starting the engine under Wine, its first search included: a bound only, which a busy
// machine can come near with two programs starting side by side.
constexpr int kEngineStartMs = 90000;

struct EngineSettings {
  int timeLimitMs;
  bool ponder;
};

// A move as the program speaks it in plain notation: "红炮 2 7 到 5 7".
bool isMoveBy(const std::wstring& text, wchar_t side) {
  return !text.empty() && text[0] == side && text.find(L" 到 ") != std::wstring::npos;
}
bool isRedMove(const std::wstring& text) { return isMoveBy(text, L'红'); }
bool isBlackMove(const std::wstring& text) { return isMoveBy(text, L'黑'); }
bool isAnyMove(const std::wstring& text) { return isRedMove(text) || isBlackMove(text); }

std::wstring noticeOf(const std::wstring& title) {
  return title.rfind(kTitlePrefix, 0) == 0 ? title.substr(kTitlePrefix.size()) : title;
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool isSearch(const std::string& line) { return startsWith(line, "go ") && !startsWith(line, "go ponder"); }

std::string jsonEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

class EngineGameTest : public ::testing::Test {
 protected:
  // A portable folder whose engine is the relay in front of Fairy-Stockfish, the
  // program started in it and settled, and a listener on its board.
  void start(const std::string& tag, EngineSettings settings) {
    logOffset = fileSize(debugLogPath());
    install = std::make_unique<PortableInstall>(tag);
    install->copyIn(PortableInstall::buildMachinePath(TAVRUNE_ENGINE_RELAY), "engines/pikafish.exe");
    install->writeFile("engines/pikafish.nnue", "network");
    const std::string enginePath = jsonEscaped(utf8(install->file("engines/pikafish.exe").wstring()));
    install->writeFile("config/config.json",
                       "{\"AI\": {\"AutoSelectEngine\": false, \"EngineVariant\": \"pikafish.exe\", "
                       "\"EnginePath\": \"" + enginePath + "\", \"TimeLimit\": " +
                           std::to_string(settings.timeLimitMs) +
                           ", \"SearchLimitMode\": 0, \"PonderEnabled\": " + (settings.ponder ? "true" : "false") +
                           ", \"OpeningBookMode\": 2, \"DifficultyTier\": 4, \"Threads\": 1, \"HashSize\": 16},"
                           " \"System\": {\"LoggerEnabled\": true}}");
    transcriptPath = install->file("engine-transcript.txt");
    // The program inherits these and hands them on to the engine it starts: the relay.
    SetEnvironmentVariableW(L"TAVRUNE_RELAY_MODE", L"uci");
    SetEnvironmentVariableW(L"TAVRUNE_RELAY_ENGINE", PortableInstall::fairyStockfish().wstring().c_str());
    SetEnvironmentVariableW(L"TAVRUNE_RELAY_TRANSCRIPT", transcriptPath.wstring().c_str());

    program = std::make_unique<RunningProgram>(install->program(), L"--portable");
    ASSERT_TRUE(program->started());
    ASSERT_NE(program->waitForWindow(kWindowClass), nullptr);
    const std::wstring engineFound = kTitlePrefix + L"内置Pikafish引擎加载成功";
    ASSERT_EQ(program->waitForTitle(engineFound), engineFound);
    events = std::make_unique<WinEventWatcher>(program->processId());
    ASSERT_TRUE(events->hooked());
  }

  void TearDown() override {
    for (const wchar_t* fault : {kCrashOnGo, kIllegalAnswers}) SetEnvironmentVariableW(fault, nullptr);
    if (!HasFailure() || !install) return;
    // What the program told the engine and what it logged, for whoever reads the failure.
    std::printf("--- transcript of the lines sent to the engine ---\n");
    for (const std::string& line : transcript()) std::printf("%s\n", line.c_str());
    std::ifstream log(debugLogPath(), std::ios::binary);
    log.seekg(static_cast<std::streamoff>(logOffset));
    const std::string written((std::istreambuf_iterator<char>(log)), {});
    std::printf("--- debug log of this test ---\n%s\n", written.c_str());
    std::printf("--- board names heard ---\n");
    if (events) {
      for (const std::wstring& name : events->names()) std::printf("%s\n", utf8(name).c_str());
    }
  }

  void command(WPARAM id) const { PostMessageW(program->window(), WM_COMMAND, id, 0); }

  // Before start: the relays the program starts play the fault while the returned file
  // exists (it exists now).
  std::filesystem::path fault(const wchar_t* variable, const std::string& tag) {
    const std::filesystem::path flag = faultFlags.path() / tag;
    faultFlags.writeFile(tag, "on");
    SetEnvironmentVariableW(variable, flag.wstring().c_str());
    return flag;
  }

  // What the program logged from `offset` on.
  static std::string logFrom(uintmax_t offset) {
    std::ifstream log(debugLogPath(), std::ios::binary);
    log.seekg(static_cast<std::streamoff>(offset));
    return std::string((std::istreambuf_iterator<char>(log)), {});
  }
  static size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  std::vector<std::string> transcript() const {
    std::vector<std::string> lines;
    std::ifstream in(transcriptPath, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  // The index of the first transcript line from `first` on that `accept` takes; none
  // on time-out.
  template <typename Accept>
  std::optional<size_t> waitForLine(size_t first, Accept accept, int timeoutMs) const {
    for (int waited = 0;; waited += 20) {
      const std::vector<std::string> lines = transcript();
      for (size_t i = first; i < lines.size(); ++i) {
        if (accept(lines[i])) return i;
      }
      if (waited >= timeoutMs) return std::nullopt;
      Sleep(20);
    }
  }

  // Starts a game against the engine with the player on `side` (IDYES Red, IDNO Black);
  // `switching`: a game is on, so the mode switch is confirmed first. Returns the number
  // of board names heard before the new game began.
  size_t startEngineGame(int side, bool switching) const {
    const size_t mark = events->names().size();
    command(kEngineGameCommand);
    if (switching) {
      EXPECT_TRUE(program->answerBox(kSwitchModeBox, IDYES)) << "no mode switch question";
    }
    EXPECT_TRUE(program->answerBox(kSideBox, side)) << "no side box";
    return mark;
  }

  // After the game that began at `mark`: a red move is heard, and it is still the
  // latest notice. (The game's start notices follow each other too fast for a listener
  // to read each one.)
  void expectEngineOpensAfter(size_t mark) const {
    const std::optional<size_t> opening = events->waitForNameFrom(mark, isRedMove, kEngineStartMs);
    ASSERT_TRUE(opening.has_value()) << "no red move heard after the new game";
    const std::wstring title = program->waitForTitle([](const std::wstring& t) { return isRedMove(noticeOf(t)); });
    EXPECT_TRUE(isRedMove(noticeOf(title))) << "title: " << utf8(title);
  }

  // First, so that it goes once the program and its engines have.
  Tavrune::Test::TempFolder faultFlags{"engine-faults"};
  std::unique_ptr<PortableInstall> install;
  std::unique_ptr<RunningProgram> program;
  std::unique_ptr<WinEventWatcher> events;
  std::filesystem::path transcriptPath;
  uintmax_t logOffset = 0;
};

TEST_F(EngineGameTest, EngineOpensEachGameThePlayerTakesBlack) {
  start("engine-black", {500, true});
  ASSERT_NO_FATAL_FAILURE(expectEngineOpensAfter(startEngineGame(IDNO, false)));
  // The engine is loaded now: the second game of the run opens too, and the engine's
  // notice is not spoken again.
  Sleep(500);
  const size_t second = startEngineGame(IDNO, true);
  ASSERT_NO_FATAL_FAILURE(expectEngineOpensAfter(second));
  const std::vector<std::wstring> names = events->names();
  for (size_t i = second; i < names.size(); ++i) {
    EXPECT_NE(names[i].rfind(kEngineReadyPrefix, 0), 0u) << "engine notice spoken again";
  }
}

TEST_F(EngineGameTest, MoveByKeysIsAnsweredAndThenPonderedOn) {
  start("engine-red-keys", {500, true});
  const size_t mark = startEngineGame(IDYES, false);
  // The first engine start of the run is announced; the player moves after it.
  const std::wstring ready = program->waitForTitle(
      [](const std::wstring& t) { return noticeOf(t).rfind(kEngineReadyPrefix, 0) == 0; }, kEngineStartMs);
  EXPECT_EQ(noticeOf(ready).rfind(kEngineReadyPrefix, 0), 0u) << "no engine notice; title: " << utf8(ready);
  // The start's notices were heard as one and are kept one by one: E steps back through them.
  EXPECT_TRUE(events->waitForNameFrom(mark, [](const std::wstring& n) { return n == kRedStartHeard; }, 1000));
  for (const wchar_t* older : {L"正在加载AI引擎...", L"开始新游戏", L"您执红棋先行"}) {
    Sleep(400);
    program->postKey('E');
    EXPECT_EQ(program->waitForTitle(kTitlePrefix + older), kTitlePrefix + older);
  }

  // 炮二平五 by arrows and Enter: from the cursor's start (4, 5) to the cannon at (7, 7),
  // then three points left.
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN}) program->postKey(key);
  const std::wstring before = noticeOf(program->title());
  program->postKey(VK_RETURN);
  const std::wstring picked =
      noticeOf(program->waitForTitle([&](const std::wstring& t) { return noticeOf(t) != before; }));
  EXPECT_NE(picked.find(L"炮"), std::wstring::npos) << "picked up: " << utf8(picked);
  for (UINT key : {VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN}) program->postKey(key);

  const std::wstring shown = program->waitForTitle([](const std::wstring& t) { return isRedMove(noticeOf(t)); });
  const std::optional<size_t> played = events->waitForNameFrom(mark, isRedMove);
  ASSERT_TRUE(played.has_value()) << "the player's move was not heard";
  const std::wstring playerMove = events->names()[*played];
  EXPECT_NE(playerMove.find(L"红炮"), std::wstring::npos) << utf8(playerMove);
  EXPECT_EQ(shown, kTitlePrefix + playerMove);
  const std::optional<size_t> answered = events->waitForNameFrom(*played, isBlackMove, kEngineStartMs);
  ASSERT_TRUE(answered.has_value()) << "no reply heard";
  const std::wstring reply = events->names()[*answered];
  EXPECT_EQ(program->waitForTitle(kTitlePrefix + reply), kTitlePrefix + reply);
  EXPECT_EQ(program->boardAccessibleName().value_or(L"(none)"), reply);

  // The reply's search, then pondering on the player's predicted answer.
  const std::optional<size_t> search = waitForLine(0, isSearch, 2000);
  ASSERT_TRUE(search.has_value()) << "no search in the transcript";
  EXPECT_TRUE(waitForLine(*search + 1, [](const std::string& l) { return startsWith(l, "go ponder"); }, 5000))
      << "no pondering after the reply";
}

TEST_F(EngineGameTest, NewGameStopsTheSearchAndItsAnswerIsNeverPlayed) {
  // Long enough to outlast the two boxes of the new game: under Wine each box takes about
  // two seconds to go away.
  constexpr int kSearchMs = 10000;
  start("engine-stop", {kSearchMs, false});
  startEngineGame(IDNO, false);
  const std::optional<size_t> search = waitForLine(0, isSearch, kEngineStartMs);
  ASSERT_TRUE(search.has_value()) << "the engine never started its opening search";
  const auto searchStarted = std::chrono::steady_clock::now();

  // During the search: a new game with the player on Red.
  const size_t mark = startEngineGame(IDYES, true);
  const std::wstring newGame = kTitlePrefix + L"您执红棋先行，" + kNewGame;
  EXPECT_EQ(program->waitForTitle(newGame), newGame);
  const std::optional<size_t> stop = waitForLine(*search + 1, [](const std::string& l) { return l == "stop"; }, 3000);
  ASSERT_TRUE(stop.has_value()) << "the search was not stopped";
  EXPECT_TRUE(waitForLine(*stop + 1, [](const std::string& l) { return l == "ucinewgame"; }, 8000))
      << "the engine was not told of the new game";

  // Past the time the old search would have ended, and five seconds at least: no move
  // is heard.
  const auto until = std::max(std::chrono::steady_clock::now() + std::chrono::seconds(5),
                              searchStarted + std::chrono::milliseconds(kSearchMs + 2000));
  while (std::chrono::steady_clock::now() < until) {
    const std::wstring title = program->title();
    ASSERT_FALSE(isAnyMove(noticeOf(title))) << "a move was played: " << utf8(title);
    Sleep(50);
  }
  const std::vector<std::wstring> names = events->names();
  for (size_t i = mark; i < names.size(); ++i) EXPECT_FALSE(isAnyMove(names[i])) << utf8(names[i]);
  EXPECT_EQ(program->title(), newGame);
}

// The engine dies while it searches its opening move: a new one is started at once and
// moves, and nothing is shown to the player.
TEST_F(EngineGameTest, EngineThatDiesOnItsTurnIsReplacedAndMoves) {
  const std::filesystem::path crash = fault(kCrashOnGo, "crash");
  start("engine-crash", {300, false});
  ASSERT_NO_FATAL_FAILURE(expectEngineOpensAfter(startEngineGame(IDNO, false)));
  EXPECT_FALSE(std::filesystem::exists(crash)) << "the relay never crashed";
  const std::vector<std::string> lines = transcript();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "uci"), 2) << "one engine start after the crash";
  EXPECT_EQ(program->findDialog(kErrorBox), nullptr);
}

// No engine file: the start's notices are heard while the engine's start attempts run,
// with the window answering a screen reader meanwhile; then the give-up is heard once,
// with one box. The player's next move is played with no start attempt and no box, and
// the engine's turn says that the engine is unavailable.
TEST_F(EngineGameTest, MissingEngineGivesUpOnceAndThePlayerPlaysOn) {
  start("engine-missing", {300, false});
  std::filesystem::remove(install->file("engines/pikafish.exe"));
  const uintmax_t logMark = fileSize(debugLogPath());
  const size_t mark = startEngineGame(IDYES, false);
  const auto startHeard = [](const std::wstring& n) { return n == kRedStartHeard; };
  ASSERT_TRUE(events->waitForNameFrom(mark, startHeard, 5000).has_value()) << "the start's notices were not heard";
  // The attempts take three seconds: a screen reader's question is answered at once.
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(program->boardAccessibleName().value_or(L"(none)"), kRedStartHeard);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000)) << "the window was blocked";
  EXPECT_EQ(program->findDialog(kErrorBox), nullptr) << "the start attempts were over already";

  ASSERT_TRUE(program->answerBox(kErrorBox, IDOK, kEngineStartMs)) << "no error box";
  EXPECT_EQ(program->waitForTitle(kTitlePrefix + kEngineFailed), kTitlePrefix + kEngineFailed);
  // The listener may read the event raised as the box opened only once the box has gone.
  const auto failed = [](const std::wstring& n) { return n == kEngineFailed; };
  ASSERT_TRUE(events->waitForNameFrom(mark, failed, 5000).has_value()) << "the failure was not heard";
  const std::string starting = "AI::startEngineWithRetry: Starting UCCI engine";
  const std::string told = "PVE mode: AI engine initialization failed";
  EXPECT_EQ(occurrences(logFrom(logMark), starting), 4u);

  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN, VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN}) {
    program->postKey(key);
  }
  ASSERT_TRUE(events->waitForNameFrom(mark, isRedMove).has_value()) << "the player's move was not played";
  // The engine's turn cannot be played: heard with the move, and again at a board key.
  const std::wstring unavailable = L"AI引擎不可用，可悔棋、重新开始或改为本地双人";
  const auto withMove = [&](const std::wstring& n) { return isRedMove(n) && n.ends_with(unavailable); };
  const std::optional<size_t> moveHeard = events->waitForNameFrom(mark, withMove, 5000);
  ASSERT_TRUE(moveHeard.has_value()) << "the engine's turn was not told";
  program->postKey(VK_RETURN);
  const auto again = [&](const std::wstring& n) { return n == unavailable; };
  EXPECT_TRUE(events->waitForNameFrom(*moveHeard + 1, again, 5000).has_value()) << "not told again at Enter";
  Sleep(2000);
  EXPECT_EQ(program->findDialog(kErrorBox), nullptr) << "a second box";
  EXPECT_EQ(occurrences(logFrom(logMark), starting), 4u) << "a start attempt after the give-up";
  EXPECT_EQ(occurrences(logFrom(logMark), told), 1u);
  const std::vector<std::wstring> heard = events->names();
  const auto since = heard.begin() + static_cast<std::ptrdiff_t>(mark);
  EXPECT_EQ(std::count(since, heard.end(), kEngineFailed), 1) << "the failure is heard once";
  EXPECT_LT(std::find_if(since, heard.end(), startHeard), std::find(since, heard.end(), kEngineFailed))
      << "the start's notices are heard before the failure";
}

// Every answer is a move the game refuses: it is heard, the engine is replaced until the
// turn flow gives up with one box, and undo tries the engine again.
TEST_F(EngineGameTest, RefusedEngineMovesAreHeardAndUndoRevivesTheGame) {
  const std::filesystem::path illegal = fault(kIllegalAnswers, "illegal");
  start("engine-illegal", {300, false});
  const size_t mark = startEngineGame(IDNO, false);
  ASSERT_TRUE(program->answerBox(kErrorBox, IDOK, 4 * kEngineStartMs)) << "no give-up box";
  const auto refused = [](const std::wstring& name) { return name == kEngineMoveRefused; };
  EXPECT_TRUE(events->waitForNameFrom(mark, refused, 0).has_value()) << "the refused move was not heard";
  const std::vector<std::string> lines = transcript();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "uci"), 4) << "three new engines before the give-up";

  std::filesystem::remove(illegal);
  const size_t undone = events->names().size();
  command(kUndoCommand);
  ASSERT_NO_FATAL_FAILURE(expectEngineOpensAfter(undone));
  EXPECT_EQ(program->findDialog(kErrorBox), nullptr);
}

TEST_F(EngineGameTest, SettingsDialogReachesTheRunningEngine) {
  namespace Driver = SettingsDialogDriver;
  start("engine-settings", {500, false});
  startEngineGame(IDYES, false);
  const std::wstring ready = program->waitForTitle(
      [](const std::wstring& t) { return noticeOf(t).rfind(kEngineReadyPrefix, 0) == 0; }, kEngineStartMs);
  ASSERT_EQ(noticeOf(ready).rfind(kEngineReadyPrefix, 0), 0u) << utf8(ready);
  const auto openSettings = [this] {
    command(304);
    return program->waitForDialog(L"软件设置");
  };
  const auto equals = [](const char* expected) { return [expected](const std::string& l) { return l == expected; }; };

  // The hash table, raised by keys and applied, reaches the engine and the file.
  HWND dialog = openSettings();
  ASSERT_NE(dialog, nullptr);
  Driver::showPage(dialog, Driver::kAdvanced);
  Driver::pressKey(Driver::editorOf(dialog, L"哈希表 (MB)"), VK_RIGHT, 2);
  size_t mark = transcript().size();
  ASSERT_TRUE(Driver::applyAndConfirm(dialog));
  EXPECT_TRUE(waitForLine(mark, equals("setoption name Hash value 18"), 5000)) << "no new hash size";
  EXPECT_NE(install->readFile("config/config.json").find("\"HashSize\": 18"), std::string::npos);
  // The engine rows show the engine as it runs, in reach of Tab.
  Driver::showPage(dialog, Driver::kEngine);
  HWND state = Driver::editorOf(dialog, L"引擎状态");
  EXPECT_NE(Driver::textOf(state), L"未知");
  EXPECT_FALSE(Driver::textOf(state).empty());
  EXPECT_TRUE(IsWindowEnabled(state) && (GetWindowLongW(state, GWL_STYLE) & WS_TABSTOP));

  // Search by depth, the shallow profile, saved: the next search goes by depth.
  Driver::showPage(dialog, Driver::kBasic);
  Driver::chooseOption(dialog, Driver::editorOf(dialog, L"搜索限制模式"), 1);
  Driver::chooseOption(dialog, Driver::editorOf(dialog, L"搜索深度"), 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Driver::waitUntilClosed(dialog));
  mark = transcript().size();
  const size_t heard = events->names().size();
  // 炮二平五 by arrows and Enter.
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN, VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN}) {
    program->postKey(key);
    Sleep(50);
  }
  EXPECT_TRUE(waitForLine(mark, equals("go depth 8"), kEngineStartMs)) << "no search by depth";
  // A quick reply is heard joined to the player's move.
  const auto hasBlackMove = [](const std::wstring& t) {
    const size_t at = t.find(L'黑');
    return at != std::wstring::npos && isBlackMove(t.substr(at));
  };
  ASSERT_TRUE(events->waitForNameFrom(heard, hasBlackMove, kEngineStartMs).has_value()) << "no reply heard";

  // Back to searching by time, the normal profile: the next search takes three seconds.
  dialog = openSettings();
  ASSERT_NE(dialog, nullptr);
  Driver::chooseOption(dialog, Driver::editorOf(dialog, L"搜索限制模式"), 0);
  Driver::chooseOption(dialog, Driver::editorOf(dialog, L"思考时间"), 1);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Driver::waitUntilClosed(dialog));
  mark = transcript().size();
  // 马二进三: from the cannon's new point (4, 7) to the horse at (7, 9), then to (6, 7).
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN, VK_UP, VK_UP, VK_LEFT, VK_RETURN}) {
    program->postKey(key);
    Sleep(50);
  }
  EXPECT_TRUE(waitForLine(mark, equals("go movetime 3000"), kEngineStartMs)) << "no search by time";
}

}  // namespace
}  // namespace Tavrune::E2E
