// The About box and the 3D audio test window in this process: the About box's shell
// calls recorded through the seam, the test window over the audio tests' device-less
// engine so that what it plays can be read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/AppVersion.h"
#include "app/ClipboardText.h"
#include "app/DialogWatcher.h"
#include "app/MainWindow.h"
#include "app/ShellOpen.h"
#include "app/VersionText.h"
#include "app/WindowTestRig.h"
#include "app/resource.h"
#include "audio/AudioManager.h"
#include "audio/NoDeviceBackend.h"
#include "audio/WavFile.h"
#include "core/Log.h"
#include "core/LogTestSeam.h"
#include "support/ClipboardReader.h"

namespace Tavrune {
namespace {

namespace TT = ::Tavrune::Test;
using Test::DialogWatcher;
using Test::SavedSettings;
using Test::ScratchFolder;
using Test::WindowTestRig;
using Test::clipboardText;

struct ShellCall {
  std::wstring file;
  std::wstring parameters;
  friend bool operator==(const ShellCall&, const ShellCall&) = default;
};

// Records the About box's shell calls and answers each with `result`.
class ShellRecorder {
 public:
  explicit ShellRecorder(intptr_t result) {
    replaceShellOpenerForTests([this, result](HWND, const std::wstring& file, const std::wstring& parameters) {
      calls.push_back({file, parameters});
      return result;
    });
  }
  ~ShellRecorder() { replaceShellOpenerForTests(nullptr); }
  std::vector<ShellCall> calls;
};

// Opens the About box over the rig's window; `script` runs on it from a helper thread.
INT_PTR runAbout(WindowTestRig& rig, std::function<void(HWND)> script) {
  DialogWatcher watcher(L"关于Velmora", std::move(script));
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), rig.window().handle(),
                                         &MainWindow::aboutDialogProc, 0);
  EXPECT_TRUE(watcher.wait());
  return result;
}

// From the helper: presses the button and answers the box with this caption that follows;
// its text, or empty when none came. Returns once the box is gone.
std::wstring pressAndAnswer(HWND dialog, int button, const std::wstring& caption, int waitMs = 1500) {
  std::wstring text;
  DialogWatcher box(caption, [&](HWND found) {
    text = DialogWatcher::messageBoxText(found);
    DialogWatcher::press(found, IDOK);
    for (int i = 0; i < 150 && IsWindow(found); ++i) Sleep(20);
  }, waitMs);
  DialogWatcher::press(dialog, button);
  box.wait();
  return text;
}

void key(HWND window, UINT virtualKey) { PostMessageW(window, WM_KEYDOWN, virtualKey, 0); }

TEST(AboutBoxTest, ShowsTheVersionAndBuildAndAnswersEnterAndEsc) {
  WindowTestRig rig;
  ASSERT_TRUE(rig.create());
  ShellRecorder shell(42);
  std::wstring version, product, caption;
  HWND focus = nullptr, active = nullptr, webButton = nullptr, dialogSeen = nullptr;
  const INT_PTR closed = runAbout(rig, [&](HWND dialog) {
    version = DialogWatcher::controlText(dialog, IDC_ABOUT_VERSION);
    product = DialogWatcher::controlText(dialog, IDC_ABOUT_PRODUCT);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    focus = info.hwndFocus;
    active = info.hwndActive;
    dialogSeen = dialog;
    webButton = GetDlgItem(dialog, IDOK);
    key(dialog, VK_ESCAPE);
  });
  EXPECT_EQ(closed, IDCANCEL);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(product, L"Velmora");
  // The test program carries the program's resources.
  EXPECT_EQ(version, L"" TAVRUNE_VERSION_TEXT " (Build 771 (" TAVRUNE_SOURCE_REVISION "))");
  // Only an active dialog keeps a focus: other test programs' windows share the display.
  if (active == dialogSeen) {
    EXPECT_EQ(focus, webButton);
  }

  const INT_PTR opened = runAbout(rig, [&](HWND dialog) { key(dialog, VK_RETURN); });
  EXPECT_EQ(opened, IDOK);
  EXPECT_EQ(shell.calls, std::vector<ShellCall>({{L"https://velmora.org/", L""}}));
}

TEST(AboutBoxTest, VersionTextFromWhatTheResourceGives) {
  const std::wstring build = L" (Build 771 (" + std::wstring(L"" TAVRUNE_SOURCE_REVISION) + L"))";
  EXPECT_EQ(getBuildText(), build.substr(2, build.size() - 3));
  EXPECT_EQ(composeProductVersionText(true, L"2.0.1.0", std::array<uint32_t, 4>{1, 2, 3, 4}), L"2.0.1.0" + build);
  EXPECT_EQ(composeProductVersionText(true, std::nullopt, std::array<uint32_t, 4>{1, 2, 3, 4}), L"1.2.3.4" + build);
  EXPECT_EQ(composeProductVersionText(true, std::nullopt, std::nullopt), L"" TAVRUNE_VERSION_TEXT + build);
  EXPECT_EQ(composeProductVersionText(false, std::nullopt, std::nullopt), L"" TAVRUNE_VERSION_TEXT);
}

// (The copies that succeed are read from outside by the end-to-end test.)
TEST(AboutBoxTest, WebPageThatCannotOpenKeepsTheBoxAndARefusedCopyIsNeverConfirmed) {
  WindowTestRig rig;
  ASSERT_TRUE(rig.create());
  ShellRecorder shell(2);
  HANDLE refused = nullptr;
  replaceClipboardStoreForTests([&](UINT, HANDLE data) -> HANDLE {
    refused = data;
    return nullptr;
  });
  std::wstring webBox, failedBox, heldBox, confirmed;
  const INT_PTR closed = runAbout(rig, [&](HWND dialog) {
    webBox = pressAndAnswer(dialog, IDOK, L"提示");
    DialogWatcher confirmation(L"复制成功", [&](HWND box) {
      confirmed = DialogWatcher::messageBoxText(box);
      DialogWatcher::press(box, IDOK);
    }, 2500);
    failedBox = pressAndAnswer(dialog, IDC_ABOUT_COPY_ACCOUNT, L"错误");
    // A clipboard held open by another program is a failure as well.
    if (OpenClipboard(nullptr)) {
      heldBox = pressAndAnswer(dialog, IDC_ABOUT_COPY_GROUP, L"错误");
      CloseClipboard();
    }
    confirmation.wait();
    DialogWatcher::press(dialog, IDCANCEL);
  });
  replaceClipboardStoreForTests(nullptr);
  EXPECT_EQ(closed, IDCANCEL);
  EXPECT_EQ(webBox, L"无法打开浏览器，请稍后重试");
  EXPECT_EQ(failedBox, L"复制失败");
  EXPECT_EQ(heldBox, L"复制失败");
  EXPECT_EQ(confirmed, L"");
  // The block the clipboard did not take was freed.
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(GlobalSize(refused), 0u);
}

TEST(AboutBoxTest, LocateLogFileOpensExplorerOrTheFolderOrSaysWhy) {
  enum class Log { Written, FolderOnly, NoFolder };
  struct Case {
    const char* name;
    Log log;
    intptr_t shellResult;
    bool opensExplorer;  // else the folder, when any call is made
    std::wstring box;    // empty: no box
  };
  const Case cases[] = {
      {"written log", Log::Written, 42, true, L""},
      {"explorer fails", Log::Written, 2, true, L"无法打开资源管理器"},
      {"no file yet", Log::FolderOnly, 42, false, L"日志文件尚未生成，已打开日志目录"},
      {"folder fails", Log::FolderOnly, 0, false, L"无法打开日志目录"},
      {"no folder", Log::NoFolder, 42, false, L"日志目录不存在，请先开启日志后再试"},
  };
  WindowTestRig rig;
  ASSERT_TRUE(rig.create());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder logs("日志");
    std::string folder = logs.utf8("logs");
    if (c.log == Log::Written) logs.writeFile("logs/tavrune_debug.log", "line\n");
    // A folder under a plain file can never be made.
    if (c.log == Log::NoFolder) {
      logs.writeFile("blocker", "x");
      folder = logs.utf8("blocker\\logs");
    }
    setLogFolderForTesting(folder);
    ShellRecorder shell(c.shellResult);
    std::wstring box;
    runAbout(rig, [&](HWND dialog) {
      box = pressAndAnswer(dialog, IDC_ABOUT_LOCATE_LOG, L"提示", c.box.empty() ? 1000 : 3000);
      DialogWatcher::press(dialog, IDCANCEL);
    });
    setLogFolderForTesting("");
    EXPECT_EQ(box, c.box);
    const std::wstring logFile = ScratchFolder::fromUtf8(folder).wstring() + L"\\tavrune_debug.log";
    std::vector<ShellCall> expected;
    if (c.opensExplorer) expected.push_back({L"explorer.exe", L"/select,\"" + logFile + L"\""});
    if (c.log == Log::FolderOnly) expected.push_back({ScratchFolder::fromUtf8(folder).wstring(), L""});
    EXPECT_EQ(shell.calls, expected);
  }
}

// ---------------------------------------------------------------- 3D audio test window

constexpr wchar_t kTestWindowClass[] = L"TavruneAudio3DTestWindow";

class EngineLessBackend : public TT::NoDeviceBackend {
 public:
  using NoDeviceBackend::NoDeviceBackend;
  ma_engine* getEngine() override { return nullptr; }
};

// The rig's window over device-less back ends; `hello` writes the test sound.
struct AudioTestRig {
  explicit AudioTestRig(bool hello, bool engineLess = false, std::optional<SavedSettings> settings = {})
      : rig(std::move(settings), [hello](const ScratchFolder& program) {
          if (hello) {
            program.writeFile("sounds/default/hello.wav",
                              TT::wavBytes(TT::sineSamples(1.0, 440.0, 0.5, 1, 48000), 1, 48000));
          }
        }) {
    rig.window().audio().setBackendFactory([this, engineLess](AudioBackendType) -> std::unique_ptr<IAudioBackend> {
      if (engineLess) return std::make_unique<EngineLessBackend>(probe, "miniaudio");
      return std::make_unique<TT::NoDeviceBackend>(probe, "miniaudio");
    });
  }
  HWND open() {
    SendMessageW(rig.window().handle(), WM_COMMAND, 303, 0);
    return FindWindowW(kTestWindowClass, nullptr);
  }
  std::vector<std::wstring> labels(HWND window) const {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[512] = {};
      GetWindowTextW(child, text, 512);
      texts.push_back(text);
    }
    return texts;
  }
  bool hasLabel(HWND window, const std::wstring& label) const {
    const auto texts = labels(window);
    return std::find(texts.begin(), texts.end(), label) != texts.end();
  }
  TT::ChannelLevels levels() {
    return TT::measureLevels(TT::NoDeviceBackend::render(rig.window().audio().getEngine(), 4800));
  }

  std::shared_ptr<TT::BackendProbe> probe = std::make_shared<TT::BackendProbe>();
  WindowTestRig rig;
};

TEST(AudioTestWindowTest, ArrowsMoveTheSoundWhichSurvivesABackEndRebuild) {
  AudioTestRig audio(true);
  ASSERT_TRUE(audio.rig.create());
  HWND window = audio.open();
  ASSERT_NE(window, nullptr);
  AudioManager& manager = audio.rig.window().audio();
  EXPECT_TRUE(manager.isInitialized());
  EXPECT_TRUE(manager.isTestSoundPlaying());
  EXPECT_TRUE(audio.hasLabel(window, L"Y: -30cm"));

  const TT::ChannelLevels centred = audio.levels();
  EXPECT_GT(centred.peak, 0.01);
  EXPECT_NEAR(centred.left, centred.right, centred.right * 0.05);

  for (int i = 0; i < 2; ++i) SendMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_TRUE(audio.hasLabel(window, L"X: 40cm"));
  const TT::ChannelLevels right = audio.levels();
  EXPECT_GT(right.right, right.left * 1.5);

  // New back-end preferences rebuild the back end under the open window: the sound goes
  // with the old engine and comes back on the new one, at its place.
  const int initializations = audio.probe->initializations;
  manager.applySettings(1.0f, 0.15f, 0.15f, 0.3f, 1.0f, 0.3f, true, false, true, "openal_soft", true, "", false);
  EXPECT_GT(audio.probe->initializations, initializations);
  EXPECT_TRUE(manager.isTestSoundPlaying());
  const TT::ChannelLevels rebuilt = audio.levels();
  EXPECT_GT(rebuilt.right, rebuilt.left * 1.5);

  // A second command only brings the same window forward.
  EXPECT_EQ(audio.open(), window);
  SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(manager.isTestSoundPlaying());
  EXPECT_EQ(FindWindowW(kTestWindowClass, nullptr), nullptr);
}

TEST(AudioTestWindowTest, CopiesTheParametersItShows) {
  AudioTestRig audio(true);
  ASSERT_TRUE(audio.rig.create());
  HWND window = audio.open();
  ASSERT_NE(window, nullptr);
  std::wstring box;
  {
    DialogWatcher watcher(L"复制成功", [&](HWND found) {
      box = DialogWatcher::messageBoxText(found);
      DialogWatcher::press(found, IDOK);
    });
    SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    watcher.wait();
  }
  EXPECT_EQ(box, L"参数已复制到剪贴板！");
  const AudioManager& manager = audio.rig.window().audio();
  wchar_t expected[256];
  std::swprintf(expected, 256, L"boardScaleX=%f\nboardScaleY=%f\nlistenerHeight=%f",
                static_cast<double>(manager.boardScaleX()), static_cast<double>(manager.boardScaleY()),
                static_cast<double>(manager.listenerHeight()));
  EXPECT_EQ(clipboardText(), expected);
  DestroyWindow(window);
}

TEST(AudioTestWindowTest, WithoutItsSoundOrAnEngineTheWindowSaysSoAndStays) {
  struct Case {
    const char* name;
    bool hello;
    bool engineLess;
    std::wstring box;
  };
  const Case cases[] = {
      {"no hello.wav", false, false, L"测试音效文件不存在: hello.wav"},
      {"no engine", true, true, L"音效系统未初始化"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AudioTestRig audio(c.hello, c.engineLess);
    ASSERT_TRUE(audio.rig.create());
    std::wstring box;
    DialogWatcher watcher(L"错误", [&](HWND found) {
      box = DialogWatcher::messageBoxText(found);
      DialogWatcher::press(found, IDOK);
    });
    HWND window = audio.open();
    watcher.wait();
    EXPECT_EQ(box, c.box);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(audio.rig.window().audio().isTestSoundPlaying());
    SendMessageW(window, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(audio.hasLabel(window, L"X: -20cm"));
    DestroyWindow(window);
  }
}

// The window starts the audio as a game start does: with the flag of the user's switch,
// which holds from start-up; the music it brought stops with it unless a game goes on.
TEST(AudioTestWindowTest, StartsTheAudioAsAGameDoesAndTakesItsMusicAlong) {
  struct Case {
    const char* name;
    bool switchOn;
    bool failedGameFirst;  // a game whose audio start failed, then stopped
    bool gameWhileOpen;
    bool musicAfter;
  };
  const Case cases[] = {
      {"switch off", false, false, false, false},
      {"switch on", true, false, false, false},
      {"after a failed start", true, true, false, false},
      {"a game goes on", true, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedSettings settings;
    settings.audio.enabled = c.switchOn;
    AudioTestRig audio(true, false, settings);
    const ScratchFolder& program = audio.rig.programFolder();
    program.writeFile("sounds/bg/a.wav", TT::wavBytes(TT::sineSamples(1.0, 300.0, 0.1, 1, 48000), 1, 48000));
    AudioManager& manager = audio.rig.window().audio();
    manager.setFolderSource([&program] { return AudioFolders{program.utf8(), "", program.utf8()}; });
    ASSERT_TRUE(audio.rig.create());
    EXPECT_EQ(manager.isEnabled(), c.switchOn);
    HWND main = audio.rig.window().handle();
    if (c.failedGameFirst) {
      audio.probe->failInitialize = true;
      SendMessageW(main, WM_COMMAND, 200, 0);
      SendMessageW(main, WM_COMMAND, 209, 0);
      audio.probe->failInitialize = false;
    }
    HWND window = audio.open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(manager.isEnabled(), c.switchOn);
    EXPECT_TRUE(manager.isTestSoundPlaying());
    EXPECT_EQ(manager.currentMusicTrack().empty(), !c.switchOn);
    if (c.gameWhileOpen) SendMessageW(main, WM_COMMAND, 200, 0);
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(manager.currentMusicTrack().empty(), !c.musicAfter);
  }
}

std::vector<HWND> renamedWindows;  // whose client object raised a name change

void CALLBACK noteRenamed(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) renamedWindows.push_back(window);
}

std::wstring accessibleText(HWND window, bool description) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&object)))) {
    return L"<none>";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  const HRESULT hr = description ? object->get_accDescription(self, &text) : object->get_accName(self, &text);
  std::wstring result = SUCCEEDED(hr) && text ? text : L"<none>";
  SysFreeString(text);
  object->Release();
  return result;
}

void pressWithShift(HWND window, UINT virtualKey) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(window, WM_KEYDOWN, virtualKey, 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

TEST(AudioTestWindowTest, ABlindPlayerHearsEachChangeAndTabsToBothButtons) {
  AudioTestRig audio(true);
  ASSERT_TRUE(audio.rig.create());
  HWND window = audio.open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetFocus(), window);
  EXPECT_EQ(accessibleText(window, true).substr(0, 5), L"控制说明:");

  renamedWindows.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &noteRenamed,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  for (int i = 0; i < 2; ++i) SendMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(accessibleText(window, false), L"X: 40cm");
  pressWithShift(window, VK_RIGHT);
  EXPECT_EQ(accessibleText(window, false), L"ScaleX: 0.200000m");
  audio.rig.pumpUntil([] { return renamedWindows.size() >= 3; });
  UnhookWinEvent(hook);
  EXPECT_EQ(std::count(renamedWindows.begin(), renamedWindows.end(), window), 3);

  HWND copy = GetDlgItem(window, 1108), close = GetDlgItem(window, 8);
  std::vector<HWND> focused;
  for (int i = 0; i < 3; ++i) {
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    focused.push_back(GetFocus());
  }
  pressWithShift(window, VK_TAB);
  focused.push_back(GetFocus());
  EXPECT_EQ(focused, std::vector<HWND>({copy, close, window, close}));
  SendMessageW(close, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(IsWindow(window));
}

TEST(AudioTestWindowTest, EscClosesTheWindowFromEachOfItsControls) {
  AudioTestRig audio(true);
  ASSERT_TRUE(audio.rig.create());
  for (const int control : {0, 1108, 8}) {  // the window itself, then its two buttons
    HWND window = audio.open();
    SendMessageW(control ? GetDlgItem(window, control) : window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(window)) << control;
    if (IsWindow(window)) DestroyWindow(window);
  }
}

}  // namespace
}  // namespace Tavrune
