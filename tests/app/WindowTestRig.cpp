#include "app/WindowTestRig.h"

#include <chrono>

#include "core/ConfigManager.h"

namespace Tavrune::Test {

WindowTestRig::WindowTestRig(std::optional<SavedSettings> settings,
                             const std::function<void(const ScratchFolder&)>& prepare)
    : program_("window-程序") {
  ConfigManager::resetForTesting({program_.utf8(), program_.utf8("per-user")});
  ConfigManager::setPortableMode(true);
  if (prepare) prepare(program_);
  if (settings) {
    ConfigManager::saveConfig(settings->ai, settings->player2Scheme, settings->accessibility, &settings->system,
                              &settings->audio);
  }
  auto engine = std::make_unique<RecordingEngineFrontEnd>();
  engine_ = engine.get();
  journal_ = engine->journal();
  window_ = std::make_unique<MainWindow>(std::move(engine));
}

WindowTestRig::~WindowTestRig() {
  destroyWindow();
  ConfigManager::resetForTesting();
}

bool WindowTestRig::create() {
  if (!window_->create(GetModuleHandleW(nullptr))) return false;
  title();
  return true;
}

void WindowTestRig::destroyWindow() {
  window_.reset();
  engine_ = nullptr;
  // Messages posted to the window before it went away are dropped with it.
  pumpFor(0);
}

SavedSettings WindowTestRig::readSettings() const {
  SavedSettings settings;
  ConfigManager::loadConfig(settings.ai, settings.player2Scheme, settings.accessibility, &settings.system,
                            &settings.audio);
  return settings;
}

std::wstring WindowTestRig::title() {
  if (window_ && window_->handle()) pumpUntil([this] { return !window_->noticesPending(); }, 1000);
  return titleNow();
}

std::wstring WindowTestRig::titleNow() const {
  HWND window = window_ ? window_->handle() : nullptr;
  if (!window) return {};
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

bool WindowTestRig::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        sawQuit_ = true;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done && done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done ? done() : true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void WindowTestRig::pumpFor(int milliseconds) { pumpUntil(nullptr, milliseconds); }

}  // namespace Tavrune::Test
