#include "app/MenuModel.h"

namespace Tavrune {

namespace {

MenuEntry item(MenuCommand command, const wchar_t* label) { return MenuEntry{false, command, label}; }
MenuEntry separator() { return MenuEntry{true, MenuCommand::NewGame, L""}; }

const MenuEntry* findEntry(MenuCommand command) {
  for (const MenuPopup& popup : MenuModel::menuBar()) {
    for (const MenuEntry& entry : popup.entries) {
      if (!entry.separator && entry.command == command) return &entry;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<MenuPopup>& MenuModel::menuBar() {
  static const std::vector<MenuPopup> bar = {
      {L"文件",
       {item(MenuCommand::NewGame, L"新游戏"), item(MenuCommand::LoadScore, L"加载棋谱..."),
        item(MenuCommand::SaveScore, L"保存棋谱..."), separator(), item(MenuCommand::Exit, L"退出")}},
      {L"游戏",
       {item(MenuCommand::TwoPlayerMode, L"本地双人"), item(MenuCommand::EngineMode, L"人机对战"),
        item(MenuCommand::LanMode, L"局域网对战"), separator(), item(MenuCommand::Undo, L"悔棋"),
        item(MenuCommand::Draw, L"和棋"), item(MenuCommand::Resign, L"认输"),
        item(MenuCommand::StopOrResume, L"停止当前对局"), item(MenuCommand::SwitchSides, L"切换执红/黑"),
        separator(), item(MenuCommand::Review, L"进入复盘模式"),
        item(MenuCommand::ProfessionalNotation, L"专业记谱法")}},
      {L"设置", {item(MenuCommand::Settings, L"软件设置...\tCtrl+P")}},
      {L"帮助",
       {item(MenuCommand::Instructions, L"操作说明"), item(MenuCommand::AudioTest, L"3D音效测试(&T)"), separator(),
        item(MenuCommand::CheckForUpdates, L"检查更新(&U)"), separator(), item(MenuCommand::About, L"关于")}},
  };
  return bar;
}

std::optional<MenuCommand> MenuModel::commandFromId(int32_t id) {
  const MenuCommand command = static_cast<MenuCommand>(id);
  if (findEntry(command) == nullptr) return std::nullopt;
  return command;
}

MenuItemState MenuModel::itemState(MenuCommand command, const SessionStatus& status, bool professionalNotation) {
  const MenuEntry* entry = findEntry(command);
  MenuItemState state{command, true, false, entry ? entry->label : L""};
  const bool inProgress = status.isGameInProgress();
  switch (command) {
    case MenuCommand::Undo:
      state.enabled = inProgress;
      break;
    case MenuCommand::StopOrResume:
      // It also gives up a LAN connect under way.
      state.enabled = inProgress || status.gameStopped || status.lanConnectPending;
      if (status.gameStopped && !inProgress) state.label = L"恢复当前对局";
      break;
    case MenuCommand::Review:
      if (status.reviewActive) state.label = L"退出复盘模式";
      break;
    case MenuCommand::ProfessionalNotation:
      state.checked = professionalNotation;
      break;
    default:
      break;
  }
  return state;
}

std::vector<MenuItemState> MenuModel::itemStates(const SessionStatus& status, bool professionalNotation) {
  std::vector<MenuItemState> states;
  for (const MenuPopup& popup : menuBar()) {
    for (const MenuEntry& entry : popup.entries) {
      if (!entry.separator) states.push_back(itemState(entry.command, status, professionalNotation));
    }
  }
  return states;
}

}  // namespace Tavrune
