#include "app/CommandTexts.h"

namespace Tavrune {

const wchar_t* CommandTexts::professionalNotationStatus(bool on) {
  return on ? L"已开启专业记谱法" : L"已切换到坐标播报";
}

const char* CommandTexts::professionalNotationLog(bool on) {
  return on ? "Professional notation: ON" : "Professional notation: OFF";
}

PromptBox CommandTexts::instructionsBox() {
  return PromptBox{MessageBoxKind::Plain, L"操作说明",
                        L"操作说明：\n方向键：移动光标\n回车键：选中/放下棋子\nESC键：取消选择\nR键：重播当前通知\n"
                        L"E键：上一条通知（历史）\nT键：下一条通知（历史）\n菜单：可切换游戏模式、加载棋谱等",
                        L""};
}

const wchar_t* CommandTexts::undoRefusal(LanRequestResult result) {
  return result == LanRequestResult::TooFewPlies ? kUndoTooFewPlies : kUndoNotNow;
}

const wchar_t* CommandTexts::undoRequestNotice(LanRequestResult result) {
  const bool waiting = result == LanRequestResult::Sent || result == LanRequestResult::StillWaiting;
  return waiting ? kUndoRequestSent : undoRefusal(result);
}

const wchar_t* CommandTexts::drawRequestNotice(LanRequestResult result) {
  const bool waiting = result == LanRequestResult::Sent || result == LanRequestResult::StillWaiting;
  return waiting ? kDrawRequestSent : kDrawRequestNotNow;
}

const wchar_t* CommandTexts::resignNotice(LanRequestResult result) {
  return result == LanRequestResult::Sent ? kResigned : kResignNotNow;
}

}  // namespace Tavrune
