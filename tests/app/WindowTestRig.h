#pragma once
// One main window in this test process, in portable mode over a scratch program
// folder, with a recording engine front end in place of the AI. Settings given to the
// constructor are saved to "config.json" before the window reads them.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/MainWindow.h"
#include "app/RecordingEngineFrontEnd.h"
#include "app/ScratchFolder.h"
#include "core/AIConfig.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"

namespace Tavrune::Test {

struct SavedSettings {
  AIConfig ai;
  int player2Scheme = 0;
  AccessibilityConfig accessibility;
  SystemConfig system;
  AudioConfig audio;
};

class WindowTestRig {
 public:
  // With settings, "config.json" holds them before the window is built; `prepare` may
  // lay out more files in the program folder first.
  explicit WindowTestRig(std::optional<SavedSettings> settings = std::nullopt,
                         const std::function<void(const ScratchFolder&)>& prepare = nullptr);
  ~WindowTestRig();

  // Creates the window and lets its start-up notices be spoken; false when it could not
  // be created.
  bool create();
  MainWindow& window() { return *window_; }
  RecordingEngineFrontEnd& engine() { return *engine_; }
  std::shared_ptr<RecordingEngineFrontEnd::Journal> journal() const { return journal_; }
  const ScratchFolder& programFolder() const { return program_; }
  std::string configPath() const { return program_.utf8("config/config.json"); }
  // The settings now in "config.json", as the configuration reads them.
  SavedSettings readSettings() const;
  // Destroys the window object, as the entry function does at exit.
  void destroyWindow();

  // The title once the notices waiting to be spoken are out.
  std::wstring title();
  // The title as it is, before any message runs.
  std::wstring titleNow() const;
  // Dispatches this thread's messages until `done` holds or the time is up.
  bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);
  void pumpFor(int milliseconds);
  // Whether WM_QUIT was seen while pumping.
  bool sawQuit() const { return sawQuit_; }

 private:
  ScratchFolder program_;
  std::unique_ptr<MainWindow> window_;
  RecordingEngineFrontEnd* engine_ = nullptr;
  std::shared_ptr<RecordingEngineFrontEnd::Journal> journal_;
  bool sawQuit_ = false;
};

}  // namespace Tavrune::Test
