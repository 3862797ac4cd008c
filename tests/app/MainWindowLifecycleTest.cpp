// The window's life: start-up from the saved settings, the window itself, its own
// save, the window-level keys, the installer's request, the input dialog, the engine
// chooser, the version resource and teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "accessibility/AnnouncementHistory.h"
#include "app/AppVersion.h"
#include "app/CapturedLog.h"
#include "app/DialogWatcher.h"
#include "app/InstallerRequest.h"
#include "app/MenuCommand.h"
#include "app/WindowTestRig.h"
#include "app/resource.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "core/LogTestSeam.h"
#include "engine/CpuFeatures.h"
#include "game/GameEngine.h"
#include "game/IUICallback.h"
#include "game/ReviewManager.h"
#include "platform/WinUICallback.h"
#include "settings/SettingsDialogState.h"
#include "update/WinSparkleAdapter.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;
using Test::SavedSettings;
using Test::ScratchFolder;
using Test::WindowTestRig;

// Holds a key down in this thread's keyboard state, as GetKeyState sees it.
class HeldKey {
 public:
  explicit HeldKey(int key) : key_(key) { set(0x80); }
  ~HeldKey() { set(0); }

 private:
  void set(BYTE state) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[key_] = state;
    SetKeyboardState(keys);
  }
  int key_;
};

size_t indexOf(const std::vector<std::string>& calls, const std::string& call) {
  return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

TEST(StartupTest, SavedSettingsReachTheEngineInOrder) {
  SavedSettings settings;
  settings.ai.autoSelectEngine = false;
  settings.ai.engineVariant = "Auto";  // not "auto": no automatic choice
  settings.ai.enginePath = "engines\\custom.exe";
  settings.ai.difficultyTier = 5;
  settings.ai.customElo = 1800;
  settings.ai.searchLimitMode = 2;
  settings.ai.playerColor = 2;
  WindowTestRig rig(settings, [](const ScratchFolder& program) {
    program.writeFile("books/BOOK.DAT", "e");
    program.writeFile("books/extra.obk", "m");
  });
  const std::vector<std::string> calls = rig.engine().calls();
  ASSERT_GE(calls.size(), 26u);
  EXPECT_EQ(calls[0], "setProcessManagerFactory");
  EXPECT_EQ(calls[1], "setHttpClientFactory");
  EXPECT_EQ(calls[2], "setEnginePath(engines\\custom.exe)");
  // The data folder and the program folder are the same here: each book once.
  EXPECT_EQ(rig.engine().callsStartingWith("loadOpeningBook(").size(), 2u);
  EXPECT_LT(indexOf(calls, "loadOpeningBook(" + rig.programFolder().utf8("books\\BOOK.DAT") + ",0)"),
            indexOf(calls, "setCustomElo(1800)"));
  EXPECT_LT(indexOf(calls, "loadOpeningBook(" + rig.programFolder().utf8("books\\extra.obk") + ",1)"),
            indexOf(calls, "setCustomElo(1800)"));
  EXPECT_LT(indexOf(calls, "setCustomElo(1800)"), indexOf(calls, "setSearchLimitMode(0)"));
  EXPECT_EQ(calls[calls.size() - 2], "setOpeningBookMode(0)");
  EXPECT_EQ(calls.back(), "setMoveReadyCallback");
  EXPECT_EQ(rig.window().playerColor(), BLACK);
  EXPECT_TRUE(rig.window().isBoardFlipped());
  EXPECT_EQ(rig.window().currentEnginePath(), "engines\\custom.exe");
}

TEST(StartupTest, AutomaticEngineChoiceGivesAPathInsideTheProgramFolder) {
  for (const bool byVariant : {false, true}) {
    SavedSettings settings;
    settings.ai.autoSelectEngine = !byVariant;
    settings.ai.engineVariant = byVariant ? "auto" : "pikafish-sse41.exe";
    WindowTestRig rig(settings);
    const std::string expected = "engines\\" + CpuFeatures::selectBestEngine().fileName;
    EXPECT_EQ(rig.window().currentEnginePath(), expected);
    EXPECT_EQ(rig.engine().callsStartingWith("setEnginePath(").at(0), "setEnginePath(" + expected + ")");
    EXPECT_FALSE(rig.window().isBoardFlipped());
  }
}

TEST(WindowTest, CreatedWindowIsTheProgramsWindow) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  HWND window = rig.window().handle();
  ASSERT_TRUE(IsWindow(window));
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_STREQ(className, L"TavruneWindow");
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 640);
  EXPECT_EQ(bounds.bottom - bounds.top, 750);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(rig.window().accessibilityConfig().windowsUiaProviderEnabled, false);
  // No engine files in the scratch program folder: both missing files are said at once.
  EXPECT_EQ(rig.title(), L"Velmora - 错误：未找到内置引擎文件，错误：未找到神经网络模型文件");
}

TEST(WindowTest, UiaSwitchReadsBackWhatTheManagerDid) {
  SavedSettings settings;
  settings.accessibility.windowsUiaProviderEnabled = true;
  WindowTestRig rig(settings);
  ASSERT_TRUE(rig.create());
  // The provider stays on from Windows 10 and reads back off below it.
  using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  RTL_OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_EQ(rtlGetVersion(&version), 0);
  EXPECT_EQ(rig.window().accessibilityConfig().windowsUiaProviderEnabled, version.dwMajorVersion >= 10)
      << "Windows " << version.dwMajorVersion;
}

TEST(WindowTest, EngineNoticeWhenTheChosenBuildIsPresent) {
  // Whichever single build is there, the automatic choice takes it and the check finds it.
  for (const std::string build : {"pikafish.exe", "pikafish-bmi2.exe"}) {
    CpuFeatures::setEngineFileProbe([&](const std::string& file) { return file == build; });
    WindowTestRig rig(SavedSettings{}, [&](const ScratchFolder& program) {
      program.writeFileOfSize("engines/" + build, 200000);
      program.writeFileOfSize("engines/pikafish.nnue", 10);
    });
    ASSERT_TRUE(rig.create());
    EXPECT_EQ(rig.title(), L"Velmora - 内置Pikafish引擎加载成功") << build;
  }
  CpuFeatures::setEngineFileProbe(nullptr);
}

TEST(WindowTest, UnreadableSettingsFileIsKeptAndToldAtStartUp) {
  const std::string garbled = "{\"AI\": {\"TimeLimit\": 3000,";
  WindowTestRig rig(std::nullopt, [&](const ScratchFolder& program) { program.writeFile("config/config.json", garbled); });
  ASSERT_TRUE(rig.create());
  EXPECT_NE(rig.title().find(L"配置文件无法读取，已改用默认设置，原文件保存为 config.json.unreadable"), std::wstring::npos)
      << "heard at start-up";
  std::ifstream kept(ScratchFolder::fromUtf8(rig.configPath() + ".unreadable"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), garbled);
}

TEST(SaveSettingsTest, MirrorsReplaceTheFileButTheBuildChoiceStays) {
  SavedSettings settings;
  settings.ai.autoSelectEngine = false;
  settings.ai.engineVariant = "pikafish-avx2.exe";
  settings.ai.enginePath = "C:\\Engines\\pikafish-avx2.exe";
  settings.ai.timeLimit = 7000;
  settings.ai.playerColor = 2;
  settings.player2Scheme = 1;
  settings.accessibility.professionalNotation = false;
  settings.system.volumeIntroShown = true;
  settings.audio.masterVolume = 0.5f;
  WindowTestRig rig(settings);

  // Another writer changes the file after start-up.
  SavedSettings changed = settings;
  changed.ai.engineVariant = "pikafish-bmi2.exe";
  changed.ai.timeLimit = 100;
  changed.ai.playerColor = 1;
  changed.player2Scheme = 2;
  changed.accessibility.professionalNotation = true;
  changed.system.volumeIntroShown = false;
  changed.audio.masterVolume = 0.9f;
  ASSERT_TRUE(ConfigManager::saveConfig(changed.ai, changed.player2Scheme, changed.accessibility, &changed.system,
                                        &changed.audio));

  EXPECT_TRUE(rig.window().saveSettings());
  const SavedSettings saved = rig.readSettings();
  EXPECT_EQ(saved.ai.engineVariant, "pikafish-bmi2.exe");  // only the file knows it
  EXPECT_FALSE(saved.ai.autoSelectEngine);
  EXPECT_EQ(saved.ai.enginePath, "C:\\Engines\\pikafish-avx2.exe");
  EXPECT_EQ(saved.ai.timeLimit, 7000);
  EXPECT_EQ(saved.ai.playerColor, 2);
  EXPECT_EQ(saved.player2Scheme, 1);
  EXPECT_EQ(saved.accessibility, settings.accessibility);
  EXPECT_EQ(saved.system, settings.system);
  EXPECT_EQ(saved.audio, settings.audio);
  // Twice in a row writes the same file.
  std::ifstream first(ScratchFolder::fromUtf8(rig.configPath()), std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(first)), {});
  first.close();
  EXPECT_TRUE(rig.window().saveSettings());
  std::ifstream second(ScratchFolder::fromUtf8(rig.configPath()), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(second)), {}), before);
}

TEST(SaveSettingsTest, AnEngineInsideTheProgramFolderIsSavedRelativeToIt) {
  // "@" stands for the program folder; an empty path for the automatic choice.
  const std::pair<std::string, std::string> cases[] = {
      {"", "engines\\" + CpuFeatures::selectBestEngine().fileName},
      {"@/Engines\\custom.exe", "Engines\\custom.exe"},
      {"@2\\custom.exe", "@2\\custom.exe"}};  // a neighbour whose name begins the same
  for (const auto& [path, saved] : cases) {
    std::string program;
    const auto inFolder = [&program](std::string text) { return text.rfind('@', 0) ? text : program + text.substr(1); };
    WindowTestRig rig(std::nullopt, [&](const ScratchFolder& folder) {
      program = folder.utf8();
      SavedSettings settings;
      settings.ai.autoSelectEngine = path.empty();
      settings.ai.engineVariant = path.empty() ? "auto" : "custom.exe";
      settings.ai.enginePath = inFolder(path);
      ConfigManager::saveConfig(settings.ai, 0, settings.accessibility, &settings.system, &settings.audio);
    });
    ASSERT_TRUE(rig.window().saveSettings());  // as the professional-notation command does
    EXPECT_EQ(rig.readSettings().ai.enginePath, inFolder(saved)) << path;
  }
}

TEST(SaveSettingsTest, AFailedWriteIsReportedAndToldOnceARun) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  std::filesystem::remove(ScratchFolder::fromUtf8(rig.configPath()));
  std::filesystem::create_directories(ScratchFolder::fromUtf8(rig.configPath()) / "blocked");
  // The change is heard, then that it will not last; later failures only reach the log.
  for (const wchar_t* heard : {L"Velmora - 已切换到坐标播报，无法保存设置，本次更改在下次启动后不会保留",
                               L"Velmora - 已开启专业记谱法"}) {
    SendMessageW(rig.window().handle(), WM_COMMAND, 206, 0);  // 专业记谱
    EXPECT_EQ(rig.title(), heard);
  }
  EXPECT_FALSE(rig.window().saveSettings());
}

TEST(KeysTest, NoticeHistoryKeys) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  HWND window = rig.window().handle();
  for (const wchar_t* notice : {L"一", L"二", L"三"}) rig.window().notices().announce(notice);
  EXPECT_EQ(rig.title(), L"Velmora - 一，二，三");  // one action's notices, heard as one
  Sleep(350);
  SendMessageW(window, WM_KEYDOWN, 'E', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 二");
  Sleep(350);
  SendMessageW(window, WM_KEYDOWN, 'E', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 一");
  Sleep(350);
  SendMessageW(window, WM_KEYDOWN, 'T', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 二");
  Sleep(550);
  SendMessageW(window, WM_KEYDOWN, 'R', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 三");
  // Typed characters never reach default handling.
  EXPECT_EQ(SendMessageW(window, WM_CHAR, 'r', 0), 0);
}

TEST(KeysTest, VolumeChannelCyclesBackToMasterWithoutSaving) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  // The channel lasts for the run: choosing one writes no settings.
  std::filesystem::remove(ScratchFolder::fromUtf8(rig.configPath()));
  HeldKey ctrl(VK_CONTROL);
  const wchar_t* expected[] = {L"Velmora - 游戏音效", L"Velmora - 背景音乐", L"Velmora - 主音量"};
  for (const wchar_t* title : expected) {
    SendMessageW(rig.window().handle(), WM_KEYDOWN, 'M', 0);
    EXPECT_EQ(rig.title(), title);
  }
  EXPECT_FALSE(std::filesystem::exists(ScratchFolder::fromUtf8(rig.configPath())));
}

TEST(KeysTest, CtrlFunctionKeysReadBoardFilesWhenEnabled) {
  SavedSettings settings;
  settings.accessibility.windowsReadLineHotkeysEnabled = true;
  WindowTestRig rig(settings);
  ASSERT_TRUE(rig.create());
  HeldKey ctrl(VK_CONTROL);
  SendMessageW(rig.window().handle(), WM_KEYDOWN, VK_F5, 0);
  EXPECT_EQ(rig.title().rfind(L"Velmora - 第5路：", 0), 0u) << rig.title().size();
}

TEST(KeysTest, CtrlHSwitchesTheLogAndSavesIt) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  ScratchFolder logFolder("ctrl-h-log");
  setLogFolderForTesting(logFolder.utf8());
  HeldKey ctrl(VK_CONTROL);
  ASSERT_FALSE(isDebugLogEnabled());
  SendMessageW(rig.window().handle(), WM_KEYDOWN, 'H', 0);
  EXPECT_TRUE(isDebugLogEnabled());
  EXPECT_EQ(rig.title(), L"Velmora - 日志已开启。可在帮助菜单的关于页面点击“定位日志文件”查看日志");
  EXPECT_TRUE(rig.readSettings().system.loggerEnabled);
  SendMessageW(rig.window().handle(), WM_KEYDOWN, 'H', 0);
  EXPECT_FALSE(isDebugLogEnabled());
  EXPECT_EQ(rig.title(), L"Velmora - 日志已关闭");
  EXPECT_FALSE(rig.readSettings().system.loggerEnabled);
  // Kept like every notice: R says the latest again.
  Sleep(550);
  SendMessageW(rig.window().handle(), WM_KEYDOWN, 'R', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 日志已关闭");
  setLogFolderForTesting("");
}

COPYDATASTRUCT copyData(uint64_t tag, const std::string& text, DWORD size) {
  COPYDATASTRUCT data{};
  data.dwData = static_cast<ULONG_PTR>(tag);
  data.cbData = size;
  data.lpData = const_cast<char*>(text.data());
  return data;
}

TEST(InstallerRequestWindowTest, QuitRequestSavesAndCloses) {
  WindowTestRig rig{std::nullopt};
  ASSERT_TRUE(rig.create());
  const std::string text = "TV_INSTALLER_QUIT:1.2.11";
  COPYDATASTRUCT data = copyData(InstallerRequest::kTag, text, static_cast<DWORD>(text.size()));
  EXPECT_EQ(SendMessageW(rig.window().handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_TRUE(std::filesystem::exists(ScratchFolder::fromUtf8(rig.configPath())));
  HWND window = rig.window().handle();
  EXPECT_TRUE(rig.pumpUntil([&] { return !IsWindow(window); }));
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.sawQuit(); }));
}

TEST(InstallerRequestWindowTest, AnythingElseChangesNothing) {
  WindowTestRig rig{std::nullopt};
  ASSERT_TRUE(rig.create());
  const std::string quit = "TV_INSTALLER_QUIT:";
  COPYDATASTRUCT wrongTag = copyData(0x54565252, quit, 18);
  COPYDATASTRUCT tooShort = copyData(InstallerRequest::kTag, quit, 17);
  for (COPYDATASTRUCT* data : {&wrongTag, &tooShort}) {
    EXPECT_EQ(SendMessageW(rig.window().handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(data)), 0);
  }
  rig.pumpFor(100);
  EXPECT_TRUE(IsWindow(rig.window().handle()));
  EXPECT_FALSE(std::filesystem::exists(ScratchFolder::fromUtf8(rig.configPath())));
}

TEST(TextInputTest, AnswersFromTheDialog) {
  struct Case {
    const char* name;
    std::wstring typed;  // text put into the edit field
    int button;
    bool expected;
  };
  const Case cases[] = {
      {"typed and confirmed", L"十二", IDOK, true},
      {"confirmed empty", L"", IDOK, false},
      {"cancelled", L"12", IDCANCEL, false},
  };
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  for (const Case& c : cases) {
    std::wstring seenPrompt;
    std::wstring seenButton;
    DialogWatcher watcher(L"输入", [&](HWND dialog) {
      seenPrompt = DialogWatcher::controlText(dialog, IDC_TEXT_INPUT_PROMPT);
      seenButton = DialogWatcher::controlText(dialog, IDOK);
      DialogWatcher::setControlText(dialog, IDC_TEXT_INPUT_EDIT, c.typed);
      DialogWatcher::press(dialog, c.button);
    });
    std::wstring answer = L"old";
    const bool answered = rig.window().uiServices().promptText(L"请输入步数", answer);
    ASSERT_TRUE(watcher.wait()) << c.name;
    EXPECT_EQ(answered, c.expected) << c.name;
    EXPECT_EQ(answer, c.button == IDOK ? c.typed : L"") << c.name;
    EXPECT_EQ(seenPrompt, L"请输入步数");
    EXPECT_EQ(seenButton, L"确定");
  }
}

TEST(TextInputTest, NoWindowNoPrompt) {
  WindowTestRig rig{SavedSettings{}};
  std::wstring answer = L"untouched";
  EXPECT_FALSE(rig.window().uiServices().promptText(L"?", answer));
  EXPECT_EQ(answer, L"untouched");
}

TEST(TextInputTest, ReviewJumpsToTheTypedStep) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  rig.window().game().newGame(MODE_PVP);
  Move cannon;
  cannon.from = {7, 7};
  cannon.to = {4, 7};
  ASSERT_TRUE(rig.window().game().makeMove(cannon));
  rig.pumpFor(50);
  rig.window().review().enterReviewMode();
  DialogWatcher watcher(L"输入", [](HWND dialog) {
    DialogWatcher::setControlText(dialog, IDC_TEXT_INPUT_EDIT, L"0");
    DialogWatcher::press(dialog, IDOK);
  });
  rig.window().review().jumpToStep();
  ASSERT_TRUE(watcher.wait());
  EXPECT_EQ(rig.title(), L"Velmora - 开局，红方先行");
  rig.window().review().exitReviewMode();
}

class EngineChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every build counts as present; which are supported is this processor's answer.
    CpuFeatures::setEngineFileProbe([](const std::string&) { return true; });
  }
  void TearDown() override { CpuFeatures::setEngineFileProbe(nullptr); }
};

TEST_F(EngineChooserTest, CancelChangesNothing) {
  SavedSettings settings;
  settings.ai.playerColor = 2;
  WindowTestRig rig(settings);
  ASSERT_TRUE(rig.create());
  const std::string pathBefore = rig.window().currentEnginePath();
  std::vector<std::wstring> lines;
  DialogWatcher watcher(L"选择引擎版本", [&](HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_ENGINE_LIST);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      lines.push_back(text);
    }
    DialogWatcher::press(dialog, IDCANCEL);
  });
  EXPECT_FALSE(rig.window().showEngineSelectionDialog(nullptr));
  ASSERT_TRUE(watcher.wait());
  EXPECT_EQ(lines.size(), CpuFeatures::listAllVariants().size());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind(L"★ 推荐 - ", 0), 0u);
  EXPECT_EQ(rig.title(), L"Velmora - 已取消引擎选择");
  EXPECT_EQ(rig.window().currentEnginePath(), pathBefore);
  EXPECT_TRUE(rig.readSettings().ai.autoSelectEngine);
}

TEST_F(EngineChooserTest, ChoosingABuildSavesItAndKeepsThePlayersSide) {
  SavedSettings settings;
  settings.ai.playerColor = 2;
  settings.ai.timeLimit = 6000;
  WindowTestRig rig(settings);
  ASSERT_TRUE(rig.create());
  const EngineVariantInfo best = CpuFeatures::selectBestEngine();
  std::wstring confirmation;
  DialogWatcher chooser(L"选择引擎版本", [](HWND dialog) { DialogWatcher::press(dialog, IDOK); });
  DialogWatcher confirmationBox(L"引擎选择", [&](HWND box) {
    confirmation = DialogWatcher::messageBoxText(box);
    DialogWatcher::press(box, IDOK);
  });
  rig.engine().clearCalls();
  EXPECT_TRUE(rig.window().showEngineSelectionDialog(nullptr));
  ASSERT_TRUE(chooser.wait());
  ASSERT_TRUE(confirmationBox.wait());
  EXPECT_EQ(confirmation.rfind(L"您选择了：", 0), 0u);
  EXPECT_NE(confirmation.find(L"这正是当前 CPU 的最优推荐！"), std::wstring::npos);
  const std::string expectedPath = "engines\\" + best.fileName;
  EXPECT_EQ(rig.window().currentEnginePath(), expectedPath);
  EXPECT_EQ(rig.engine().callsStartingWith("setEnginePath("), std::vector<std::string>{"setEnginePath(" + expectedPath + ")"});
  const SavedSettings saved = rig.readSettings();
  EXPECT_FALSE(saved.ai.autoSelectEngine);
  EXPECT_EQ(saved.ai.engineVariant, best.fileName);
  EXPECT_EQ(saved.ai.enginePath, expectedPath);
  EXPECT_EQ(saved.ai.playerColor, 2);  // the saved side survives the choice
  EXPECT_EQ(saved.ai.timeLimit, 6000);
}

TEST_F(EngineChooserTest, AfterASaveTheProgramRunsTheEngineTheFileNames) {
  int usable = 0;
  for (const EngineVariantInfo& build : CpuFeatures::listAllVariants()) usable += build.supported ? 1 : 0;
  if (usable < 2) GTEST_SKIP() << "this processor runs one build only";
  WindowTestRig rig{SavedSettings{}};  // the best build, chosen automatically
  ASSERT_TRUE(rig.create());
  ASSERT_TRUE(rig.window().saveSettings());  // a volume key: the file names the best build
  // On the engine page: another build from the chooser, then the automatic choice ticked.
  DialogWatcher settings(L"软件设置", [](HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST);
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_PAGE_LIST, LBN_SELCHANGE), LPARAM(list));
    for (const char* key : {"ai.engineSelectDialog", "ai.autoSelectEngine"}) {
      HWND button = nullptr;  // each click rebuilds the page
      for (const Settings::ControlWidget& widget : Settings::dialogState(dialog)->widgets) {
        if (widget.control->id == key) button = widget.editor;
      }
      SendMessageW(button, BM_CLICK, 0, 0);
    }
    DialogWatcher::press(dialog, IDOK);
  }, 20000);
  DialogWatcher chooser(L"选择引擎版本", [usable](HWND dialog) {
    // The last usable build: the best heads the list.
    SendMessageW(GetDlgItem(dialog, IDC_ENGINE_LIST), LB_SETCURSEL, usable - 1, 0);
    DialogWatcher::press(dialog, IDOK);
  }, 20000);
  DialogWatcher confirmation(L"引擎选择", [](HWND box) { DialogWatcher::press(box, IDOK); }, 20000);
  SendMessageW(rig.window().handle(), WM_COMMAND, static_cast<WPARAM>(MenuCommand::Settings), 0);
  ASSERT_TRUE(settings.wait() && chooser.wait() && confirmation.wait());
  const SavedSettings saved = rig.readSettings();
  EXPECT_EQ(saved.ai.enginePath, "engines\\" + CpuFeatures::selectBestEngine().fileName);
  EXPECT_EQ(rig.window().currentEnginePath(), saved.ai.enginePath);
  EXPECT_EQ(rig.engine().callsStartingWith("setEnginePath(").back(), "setEnginePath(" + saved.ai.enginePath + ")");
}

TEST(VersionTest, ResourceCarriesTheProgramsVersion) {
  EXPECT_EQ(WinSparkleAdapter::getCurrentVersion(), TAVRUNE_VERSION_TEXT);
  EXPECT_STREQ(TAVRUNE_VERSION_TEXT, "1.2.10.1");
}

TEST(TeardownTest, CallbacksAreDetachedBeforeTheComponentsGo) {
  std::shared_ptr<Tavrune::Test::RecordingEngineFrontEnd::Journal> journal;
  {
    WindowTestRig rig{SavedSettings{}};
    ASSERT_TRUE(rig.create());
    journal = rig.journal();
    HWND window = rig.window().handle();
    rig.destroyWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(rig.sawQuit());  // destroying the object does not end a message loop
  }
  std::lock_guard<std::mutex> lock(journal->mutex);
  EXPECT_EQ(journal->calls.back(), "clearMoveReadyCallback");
}

TEST(UpdaterTest, WithoutTheLibraryTheAddressIsCheckedButUpdatesStayUnavailable) {
  WinSparkleAdapter updater;
  EXPECT_FALSE(updater.initialize(""));
  EXPECT_FALSE(updater.initialize("ftp://updates.example/tavrune/appcast.xml"));
  EXPECT_FALSE(updater.isInitialized());
  bool called = false;
  updater.checkForUpdates(true, [&](bool ok, const std::string& message) {
    called = true;
    EXPECT_FALSE(ok);
    EXPECT_EQ(message, "WinSparkle not available");
  });
  EXPECT_TRUE(called);
  EXPECT_TRUE(updater.initialize("https://updates.example/tavrune/appcast.xml"));
  EXPECT_FALSE(updater.isInitialized());
  EXPECT_FALSE(updater.checkForUpdatesManually());
  EXPECT_EQ(WinSparkleAdapter::findDll(), "");
}

}  // namespace
}  // namespace Tavrune

namespace Tavrune {
namespace {

TEST(TextInputTest, MissingDialogResourceIsReportedAndAnswersNothing) {
  // A window whose module carries no dialog 350: the prompt cannot open.
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(L"kernel32.dll"), nullptr);
  ASSERT_NE(owner, nullptr);
  WinUICallback callback(&MainWindow::textInputDialogProc);
  callback.setWindow(owner);
  std::wstring boxText;
  Tavrune::Test::DialogWatcher errorBox(L"错误", [&](HWND box) {
    boxText = Tavrune::Test::DialogWatcher::messageBoxText(box);
    Tavrune::Test::DialogWatcher::press(box, IDOK);
  });
  std::wstring answer = L"old";
  EXPECT_FALSE(callback.promptText(L"?", answer));
  ASSERT_TRUE(errorBox.wait());
  EXPECT_EQ(boxText, L"输入对话框资源未找到。");
  DestroyWindow(owner);
}

}  // namespace
}  // namespace Tavrune
