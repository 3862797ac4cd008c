#include "app/ConfirmationChooser.h"

#include <string>
#include <utility>

namespace Tavrune {

namespace {

constexpr const wchar_t* kNotice = L"提示";

PromptBox question(std::wstring caption, std::wstring text) {
  return PromptBox{MessageBoxKind::YesNoQuestion, std::move(caption), std::move(text), L""};
}

PromptBox refusal(const wchar_t* text, const wchar_t* noticeAfter = L"") {
  return PromptBox{MessageBoxKind::Information, kNotice, text, noticeAfter};
}

bool isModeCommand(MenuCommand command) {
  return command == MenuCommand::TwoPlayerMode || command == MenuCommand::EngineMode ||
         command == MenuCommand::LanMode;
}

std::optional<PromptBox> newGameQuestion(const SessionStatus& status) {
  if (!status.isGameInProgress() && !status.reviewActive) return std::nullopt;
  constexpr const wchar_t* caption = L"确认新游戏";
  if (status.reviewActive) return question(caption, L"当前处于复盘模式，开始新局将退出复盘并替换当前内容，是否继续？");
  if (status.isLanMode()) return question(caption, L"当前为局域网对战，开始新局将离开房间并结束当前对局，是否继续？");
  return question(caption, L"当前对局正在进行，开始新局将结束当前对局，是否继续？");
}

std::optional<PromptBox> loadQuestion(const SessionStatus& status) {
  constexpr const wchar_t* caption = L"确认加载棋谱";
  if (status.isGameInProgress()) {
    if (status.isLanMode()) return question(caption, L"当前为局域网对战，加载棋谱将离开房间并替换当前对局，是否继续？");
    return question(caption, L"当前对局正在进行，加载棋谱将替换当前对局，是否继续？");
  }
  if (status.reviewActive) return question(caption, L"当前处于复盘模式，加载棋谱将替换当前复盘内容，是否继续？");
  return std::nullopt;
}

std::optional<PromptBox> modeSwitchQuestion(MenuCommand command, const SessionStatus& status) {
  if (!status.isGameInProgress() && !status.reviewActive) return std::nullopt;
  constexpr const wchar_t* caption = L"确认切换模式";
  if (status.reviewActive) return question(caption, L"当前处于复盘模式，切换模式将退出复盘并重建会话，是否继续？");
  if (status.isLanMode()) {
    if (command == MenuCommand::LanMode) {
      return question(caption, L"当前为局域网对战，切换模式将离开当前房间并重建会话，是否继续？");
    }
    return question(caption, L"当前为局域网对战，切换模式将离开房间并结束当前对局，是否继续？");
  }
  return question(caption, L"当前对局正在进行，切换模式将结束当前对局，是否继续？");
}

std::optional<PromptBox> switchSidesBox(const SessionStatus& status) {
  if (status.reviewActive) {
    return refusal(L"复盘模式中不支持切换执红/黑，请先退出复盘", L"复盘模式中不支持切换执红黑");
  }
  if (status.isLanMode() && status.gameActive && status.gameState == PLAYING) {
    return refusal(L"局域网对战中不支持切换执红/黑，请先结束当前对局", L"局域网对战中不支持切换执红黑");
  }
  if (!status.isGameInProgress()) return std::nullopt;
  return PromptBox{MessageBoxKind::YesNoCancelQuestion, L"切换执红/黑",
                        L"请选择切换方式：\n\n【是】切色并重开\n【否】仅切色不重开\n【取消】保持不变", L""};
}

}  // namespace

std::optional<PromptBox> ConfirmationChooser::suspendedGameQuestion(MenuCommand command,
                                                                         const SessionStatus& status) {
  const wchar_t* action = nullptr;
  if (command == MenuCommand::NewGame) action = L"开始新局";
  if (command == MenuCommand::LoadScore) action = L"加载棋谱";
  if (isModeCommand(command)) action = L"切换模式";
  if (action == nullptr || !status.hasSuspendedGame()) return std::nullopt;
  return question(L"确认操作", std::wstring(L"当前存在已挂起对局，") + action + L"将丢弃该挂起对局，是否继续？");
}

std::vector<PromptBox> ConfirmationChooser::boxesFor(MenuCommand command, const SessionStatus& status) {
  std::vector<PromptBox> boxes;
  auto add = [&boxes](const std::optional<PromptBox>& box) {
    if (box) boxes.push_back(*box);
  };
  add(suspendedGameQuestion(command, status));
  switch (command) {
    case MenuCommand::NewGame: add(newGameQuestion(status)); break;
    case MenuCommand::LoadScore: add(loadQuestion(status)); break;
    case MenuCommand::TwoPlayerMode:
    case MenuCommand::EngineMode:
    case MenuCommand::LanMode: add(modeSwitchQuestion(command, status)); break;
    case MenuCommand::SwitchSides: add(switchSidesBox(status)); break;
    case MenuCommand::Review:
      if (!status.reviewActive && status.isLanMode() && status.isGameInProgress()) {
        add(refusal(L"当前局域网对战会话中暂不支持进入复盘，请先结束当前对局", L"局域网对战中暂不支持进入复盘"));
      }
      break;
    case MenuCommand::Draw:
      if (!status.lanCommandsAvailable()) add(refusal(L"和棋功能仅在局域网对战中可用"));
      break;
    case MenuCommand::Resign:
      // A resignation the session would not take is refused by the command itself, unasked.
      if (!status.lanCommandsAvailable()) {
        add(refusal(L"认输功能仅在局域网对战中可用"));
      } else if (status.lanCanResign) {
        add(question(L"确认认输", L"确定要认输吗？"));
      }
      break;
    default: break;
  }
  return boxes;
}

bool ConfirmationChooser::goesOn(MessageBoxKind kind, BoxAnswer answer) {
  switch (kind) {
    case MessageBoxKind::YesNoQuestion: return answer == BoxAnswer::Yes;
    case MessageBoxKind::YesNoCancelQuestion: return answer == BoxAnswer::Yes || answer == BoxAnswer::No;
    default: return false;
  }
}

}  // namespace Tavrune
