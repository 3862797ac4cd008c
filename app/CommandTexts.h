#pragma once
// What the menu commands say that is not a confirmation: the LAN requests, the
// notation switch, the instructions box and the update check's log line.
#include <string>

#include "app/PromptBox.h"
#include "lan/LanRequestResult.h"

namespace Tavrune {

class CommandTexts {
 public:
  static constexpr const wchar_t* kUndoRequestSent = L"已发送悔棋请求，等待对方回应...";
  static constexpr const wchar_t* kDrawRequestSent = L"已发送和棋请求，等待对方回应...";
  static constexpr const wchar_t* kResigned = L"你已认输，对局结束";
  static constexpr const wchar_t* kUndoTooFewPlies = L"步数不足，无法悔棋";
  static constexpr const wchar_t* kUndoNotNow = L"当前无法悔棋";
  static constexpr const wchar_t* kDrawRequestNotNow = L"当前无法提出和棋";
  static constexpr const wchar_t* kDrawAnswerNotNow = L"当前无法和棋";
  static constexpr const wchar_t* kResignNotNow = L"当前无法认输";
  static constexpr const char* kCheckingForUpdatesLog = "[MainWindow] Checking for updates...";

  // Notice and log line after the professional-notation switch turned on or off.
  static const wchar_t* professionalNotationStatus(bool on);
  static const char* professionalNotationLog(bool on);

  static PromptBox instructionsBox();

  // What the session made of a LAN request: sent, or the reason it was not.
  static const wchar_t* undoRequestNotice(LanRequestResult result);
  static const wchar_t* drawRequestNotice(LanRequestResult result);
  static const wchar_t* resignNotice(LanRequestResult result);
  // Why an undo, asked or agreed to, cannot be taken now.
  static const wchar_t* undoRefusal(LanRequestResult result);
};

}  // namespace Tavrune
