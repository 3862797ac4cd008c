#pragma once
// The real tavrune.exe, started by the test as a user would and driven from outside:
// its window is found by class, keys are posted (plain keys) or typed with SendInput
// after bringing it to the front (Ctrl/Alt chords, which the program reads through
// GetKeyState), and what a screen reader would read is read back: the window title and
// the board's Active Accessibility name. The process is ended when the object goes
// away if it is still running.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Tavrune::E2E {

class RunningProgram {
 public:
  // Starts the program with the arguments, in its own folder.
  RunningProgram(const std::filesystem::path& program, const std::wstring& arguments);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD processId() const { return processId_; }

  // Waits for the program's top-level window of this class; null on time-out.
  HWND waitForWindow(const wchar_t* className, int timeoutMs = 15000);
  HWND window() const { return window_; }
  // How long after the process was created the window first had a title; measured by
  // waitForWindow.
  std::optional<std::chrono::milliseconds> timeToFirstTitle() const { return timeToFirstTitle_; }

  std::wstring title() const;
  // Polls the title until `accept` holds; the last title seen either way.
  std::wstring waitForTitle(const std::function<bool(const std::wstring&)>& accept, int timeoutMs = 5000) const;
  std::wstring waitForTitle(const std::wstring& expected, int timeoutMs = 5000) const;
  // The accessible name of the window's client object (the board), as a screen reader
  // asks for it from another process.
  std::optional<std::wstring> boardAccessibleName() const;
  // A board cell's default action (its child id 1..90), as a screen reader's click does
  // it: through the cell object the board hands out; whether the cell took it.
  bool doCellDefaultAction(LONG childId) const;

  // A plain key, posted as key down and key up.
  void postKey(UINT virtualKey) const;
  // A chord such as Ctrl+H typed through the input system, so the program's key state
  // sees the modifiers.
  bool typeChord(const std::vector<WORD>& modifiers, WORD key) const;
  // The installer's request; the program's answer.
  LRESULT sendCopyData(ULONG_PTR tag, const std::string& bytes, int timeoutMs = 5000) const;

  // A dialog window (class "#32770") of this process with the caption, shown or not yet;
  // null when none.
  HWND findDialog(const std::wstring& caption) const;
  // Waits until the dialog with the caption is shown and, given a control id, holds that
  // control: a dialog may set its caption before it creates its controls, and is shown
  // only once it has set itself up. Null on time-out.
  HWND waitForDialog(const std::wstring& caption, int timeoutMs = 8000, int controlId = 0) const;
  // Waits for the box with the caption and its button (IDYES, IDNO, ...) and presses it,
  // reading its message into `message` first when given; false when no such box appeared.
  bool answerBox(const std::wstring& caption, int button, int timeoutMs = 8000, std::wstring* message = nullptr) const;
  // Waits until a popup menu of this process is shown (or, `shown` false, none is);
  // whether it came to that in time.
  bool waitForPopupMenu(bool shown, int timeoutMs = 5000) const;
  // A top-level window of this process with the class (any caption); null when none.
  HWND findWindowOfClass(const wchar_t* className) const;
  // The texts of a window's child controls in their order, read across processes.
  static std::vector<std::wstring> childTexts(HWND window);
  // A control's text, read across processes.
  static std::wstring controlText(HWND window, int controlId);
  // The exit code once the process has ended; none on time-out.
  std::optional<DWORD> waitForExit(int timeoutMs = 10000) const;
  // The process's working set now, in bytes; 0 when it cannot be read.
  uint64_t workingSetBytes() const;

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
  std::chrono::steady_clock::time_point startedAt_;
  std::optional<std::chrono::milliseconds> timeToFirstTitle_;
};

}  // namespace Tavrune::E2E
