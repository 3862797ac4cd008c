// The 3D audio test window: a looping sound placed in 3D space, moved with the arrow
// keys, and the board-to-space mapping tuned and copied. The numbers are only shown
// and copied; they never change the program's audio settings.
#include <string>
#include <utility>
#include <vector>

#include "accessibility/NamedClientAccessible.h"
#include "app/AudioTestGeometry.h"
#include "app/ClipboardText.h"
#include "app/MainWindow.h"
#include "app/WindowClass.h"
#include "audio/AudioManager.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace {

constexpr wchar_t kAudioTestClass[] = L"TavruneAudio3DTestWindow";
constexpr wchar_t kErrorCaption[] = L"错误";
constexpr int kCopyButton = 1108;
constexpr int kCloseButton = 8;
constexpr wchar_t kKeyHelp[] =
    L"控制说明:\n• 方向键: 移动音效位置 (←→左右, ↑↓前后)\n• Ctrl+↑↓: 音效上下移动 (Y轴)\n• Shift+←→: 调整X轴缩放\n"
    L"• Shift+↑↓: 调整Y轴缩放\n• Ctrl+Shift+↑↓: 调整听者高度\n• 空格: 复制参数 | ESC: 关闭";

constexpr wchar_t kAudioTestTitle[] = L"3D音效测试";

struct CreationData {
  MainWindow* owner;
  AudioManager* audio;
  bool startedAudio;
};

void errorBox(HWND window, const wchar_t* text, UINT icon = MB_ICONERROR) {
  MessageBoxW(window, text, kErrorCaption, MB_OK | icon);
}

bool shiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

// Without a dialog manager the window keeps its own tab order: the window itself (whose
// keys move the sound), then its buttons, and round again.
HWND nextInTabOrder(HWND window, HWND from, bool backwards) {
  std::vector<HWND> order{window};
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) order.push_back(child);
  }
  size_t at = 0;
  while (at < order.size() && order[at] != from) ++at;
  if (at == order.size()) at = 0;
  return order[(at + (backwards ? order.size() - 1 : 1)) % order.size()];
}

// Both buttons are of the system's one button class.
WNDPROC systemButtonProc = nullptr;

LRESULT CALLBACK audioTestButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE)) {
    HWND window = GetParent(button);
    if (wParam == VK_TAB) {
      SetFocus(nextInTabOrder(window, button, shiftDown()));
    } else if (wParam == VK_ESCAPE) {
      DestroyWindow(window);  // Esc closes the window from wherever the focus is
    } else {
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
    return 0;
  }
  return CallWindowProcW(systemButtonProc, button, message, wParam, lParam);
}

}  // namespace

// One per window, attached to it from WM_NCCREATE to WM_DESTROY.
struct MainWindow::AudioTestState {
  AudioTestGeometry geometry;
  bool soundStarted = false;
  AudioManager* audio = nullptr;
  MainWindow* owner = nullptr;
  // The window's command started the audio: the music that brought goes with the window.
  bool startedAudio = false;
  // What a screen reader reads for the window: the last changed label, and the key help.
  NamedClientAccessible* accessible = nullptr;
  HWND focusWhenLeft = nullptr;
  HFONT font = nullptr;
  HWND keyHelp = nullptr;
  HWND placeX = nullptr, placeY = nullptr, placeZ = nullptr;
  HWND scaleX = nullptr, scaleY = nullptr, height = nullptr;
  HWND summary = nullptr;
  HWND copyButton = nullptr, closeButton = nullptr;
};

void MainWindow::openAudioTestWindow() {
  if (audioTestWindow && IsWindow(audioTestWindow)) {
    SetForegroundWindow(audioTestWindow);
    return;
  }
  if (!audioManager) {
    errorBox(hwnd, L"音效系统未创建");
    return;
  }
  const bool startsAudio = !audioManager->isInitialized();
  if (startsAudio) {
    logInfo("[Audio Test] Initializing audio system for test window");
    if (!startAudio()) {
      errorBox(hwnd, L"音效系统初始化失败");
      return;
    }
    logInfo("[Audio Test] Audio system initialized for testing");
    // Started here, the audio brings its music, as a game's start does; it goes with the window.
    audioManager->startBackgroundMusic();
  }

  static bool registered = false;
  if (!registered) {
    registered = registerWindowClass(hInstance, kAudioTestClass, &MainWindow::audioTestWindowProc);
    if (!registered) return;
  }
  CreationData creation{this, audioManager.get(), startsAudio};
  audioTestWindow = CreateWindowExW(0, kAudioTestClass, kAudioTestTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 500, 360, hwnd, nullptr, hInstance, &creation);
  if (!audioTestWindow) return;
  ShowWindow(audioTestWindow, SW_SHOW);
  UpdateWindow(audioTestWindow);
  // A box shown while the window was built may have handed the focus back to the board.
  SetForegroundWindow(audioTestWindow);
  SetFocus(audioTestWindow);
  logInfo("[Audio Test] 3D Audio Test window created");
}

LRESULT CALLBACK MainWindow::audioTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AudioTestState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* creation = static_cast<const CreationData*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      auto* created = new AudioTestState;
      created->audio = creation->audio;
      created->owner = creation->owner;
      created->startedAudio = creation->startedAudio;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
      break;
    }
    case WM_CREATE:
      if (state) createAudioTestControls(window, reinterpret_cast<CREATESTRUCTW*>(lParam), *state);
      return 0;
    case WM_KEYDOWN:
      if (state) onAudioTestKey(window, *state, wParam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCopyButton && state) {
        copyAudioTestParameters(window, *state);
      } else if (LOWORD(wParam) == kCloseButton) {
        DestroyWindow(window);
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_ACTIVATE:
      // The focus comes back where it was after a box or another program.
      if (state && LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        state->focusWhenLeft = focus && IsChild(window, focus) ? focus : nullptr;
      } else if (state && !HIWORD(wParam)) {
        SetFocus(state->focusWhenLeft && IsWindow(state->focusWhenLeft) ? state->focusWhenLeft : window);
        return 0;
      }
      break;
    case WM_GETOBJECT:
      if (state && state->accessible && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        return state->accessible->answer(wParam);
      }
      break;
    case WM_DESTROY:
      if (state) {
        if (state->audio) state->audio->stopTestSound();
        if (state->audio && state->startedAudio && state->owner && !state->owner->isGameInProgress()) {
          state->audio->stopBackgroundMusic();
        }
        if (state->accessible) {
          state->accessible->disconnect();
          state->accessible->Release();
        }
        if (state->owner) state->owner->audioTestWindow = nullptr;
        if (state->font) DeleteObject(state->font);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete state;
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::createAudioTestControls(HWND window, const CREATESTRUCTW* creation, AudioTestState& state) {
  if (state.audio && state.audio->isInitialized()) {
    state.geometry.takeMapping(state.audio->boardScaleX(), state.audio->boardScaleY(), state.audio->listenerHeight());
  }
  HINSTANCE instance = creation ? creation->hInstance : nullptr;
  auto make = [&](const wchar_t* type, const wchar_t* text, int x, int y, int width, int height, int id = 0,
                  DWORD extra = 0) {
    return CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | extra, x, y, width, height, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  state.keyHelp = make(L"STATIC", kKeyHelp, 10, 10, 470, 85);
  make(L"STATIC", L"当前位置:", 10, 105, 80, 20);
  state.placeX = make(L"STATIC", L"X: 0cm", 100, 105, 80, 20);
  state.placeY = make(L"STATIC", L"Y: 0cm", 190, 105, 80, 20);
  state.placeZ = make(L"STATIC", L"Z: 0cm", 280, 105, 80, 20);
  make(L"STATIC", L"参数:", 10, 130, 50, 20);
  state.scaleX = make(L"STATIC", L"X: 0.15m", 70, 130, 80, 20);
  state.scaleY = make(L"STATIC", L"Y: 0.15m", 160, 130, 80, 20);
  state.height = make(L"STATIC", L"H: 0.3m", 250, 130, 80, 20);
  make(L"STATIC", L"", 10, 160, 470, 110);
  state.summary = make(L"STATIC", L"", 15, 175, 460, 90);
  state.copyButton = make(L"BUTTON", L"复制参数到剪贴板", 90, 280, 150, 30, kCopyButton, WS_TABSTOP | BS_PUSHBUTTON);
  state.closeButton = make(L"BUTTON", L"关闭", 260, 280, 80, 30, kCloseButton, WS_TABSTOP | BS_PUSHBUTTON);
  for (HWND button : {state.copyButton, state.closeButton}) {
    if (!button) continue;
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&audioTestButtonProc)));
    if (!systemButtonProc) systemButtonProc = previous;
  }
  state.accessible = new NamedClientAccessible(window, kAudioTestTitle, kKeyHelp);

  state.font = CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
  if (state.font) EnumChildWindows(window, &MainWindow::setChildFontCallback, reinterpret_cast<LPARAM>(state.font));

  runAudioTest(window, state);
  showAudioTestGeometry(window, state);
}

BOOL CALLBACK MainWindow::setChildFontCallback(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

void MainWindow::runAudioTest(HWND window, AudioTestState& state) {
  // Without an engine there is nothing to play on, as before initialisation.
  if (!state.audio || !state.audio->isInitialized() || state.audio->getEngine() == nullptr) {
    logError("[Audio Test] Audio manager not available");
    errorBox(window, L"音效系统未初始化");
    return;
  }
  const std::wstring path = utf8ToWide(ConfigManager::getExecutableDirectory()) + L"\\sounds\\default\\hello.wav";
  const std::string shownPath = wideToUtf8(path);
  logInfo("[Audio Test] Loading sound: " + shownPath);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    logError("[Audio Test] Sound file not found: " + shownPath);
    errorBox(window, L"测试音效文件不存在: hello.wav", MB_ICONWARNING);
    return;
  }
  const AudioTestGeometry& g = state.geometry;
  const int result = state.audio->startTestSound(path, Vec3{g.x(), g.y(), g.z()});
  if (result != 0) {
    logError("[Audio Test] Failed to load sound, error: " + std::to_string(result));
    errorBox(window, L"加载测试音效失败", MB_ICONWARNING);
    return;
  }
  state.soundStarted = true;
  logInfo("[Audio Test] Sound started successfully");
}

void MainWindow::onAudioTestKey(HWND window, AudioTestState& state, WPARAM virtualKey) {
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const bool shift = shiftDown();
  if (virtualKey == VK_TAB) {
    SetFocus(nextInTabOrder(window, window, shift));
    return;
  }
  const auto key = static_cast<uint32_t>(virtualKey);
  AudioTestField stepped = AudioTestField::None;
  switch (applyAudioTestKey(state.geometry, key, ctrl, shift, &stepped)) {
    case AudioTestKeyResult::Close:
      DestroyWindow(window);
      break;
    case AudioTestKeyResult::Copy:
      copyAudioTestParameters(window, state);
      break;
    case AudioTestKeyResult::Changed:
      if (state.soundStarted && state.audio) {
        state.audio->placeTestSound(Vec3{state.geometry.x(), state.geometry.y(), state.geometry.z()});
      }
      showAudioTestGeometry(window, state);
      // The window has the focus: a screen reader reads its new name, the changed label.
      if (state.accessible) {
        state.accessible->setName(audioTestFieldLabel(state.geometry, stepped));
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
      }
      break;
    case AudioTestKeyResult::None:
      break;
  }
}

void MainWindow::copyAudioTestParameters(HWND window, AudioTestState& state) {
  copyTextWithConfirmation(window, audioTestParametersText(state.geometry), L"参数已复制到剪贴板！");
}

void MainWindow::showAudioTestGeometry(HWND, AudioTestState& state) {
  const std::pair<AudioTestField, HWND> labels[] = {
      {AudioTestField::X, state.placeX},      {AudioTestField::Y, state.placeY},
      {AudioTestField::Z, state.placeZ},      {AudioTestField::ScaleX, state.scaleX},
      {AudioTestField::ScaleY, state.scaleY}, {AudioTestField::Height, state.height},
  };
  for (const auto& [field, label] : labels) SetWindowTextW(label, audioTestFieldLabel(state.geometry, field).c_str());
  SetWindowTextW(state.summary, audioTestSummaryText(state.geometry).c_str());
}

}  // namespace Tavrune
