#pragma once
// What the menu commands say that is not a confirmation: the LAN requests, the
// notation switch, the instructions box and the update check's log line.
#include <string>

#include "app/PromptBox.h"

namespace Tavrune {

class CommandTexts {
 public:
  static constexpr const wchar_t* kUndoRequestSent = L"已发送悔棋请求，等待对方回应...";
  static constexpr const wchar_t* kDrawRequestSent = L"已发送和棋请求，等待对方回应...";
  static constexpr const wchar_t* kResigned = L"你已认输，对局结束";
  static constexpr const char* kCheckingForUpdatesLog = "[MainWindow] Checking for updates...";

  // Notice and log line after the professional-notation switch turned on or off.
  static const wchar_t* professionalNotationStatus(bool on);
  static const char* professionalNotationLog(bool on);

  static PromptBox instructionsBox();
};

}  // namespace Tavrune
