#include "app/ScoreFilePlanner.h"

#include <initializer_list>
#include <string>

#include "core/TextConversion.h"

namespace Tavrune {

namespace {

std::wstring filterList(std::initializer_list<const wchar_t*> parts) {
  std::wstring list;
  for (const wchar_t* part : parts) {
    list += part;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

std::wstring zeroPadded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value < 0 ? 0 : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace

std::wstring ScoreFilePlanner::openFilter() {
  return filterList({L"所有棋谱文件 (*.pgn;*.xqf)", L"*.pgn;*.xqf", L"PGN 棋谱 (*.pgn)", L"*.pgn",
                     L"XQF 棋谱 (*.xqf)", L"*.xqf", L"所有文件 (*.*)", L"*.*"});
}

std::wstring ScoreFilePlanner::saveFilter() {
  return filterList({L"PGN 棋谱 (*.pgn)", L"*.pgn", L"所有文件 (*.*)", L"*.*"});
}

std::wstring ScoreFilePlanner::defaultSaveName(int year, int month, int day) {
  return L"棋谱_" + zeroPadded(year, 4) + zeroPadded(month, 2) + zeroPadded(day, 2) + L".pgn";
}

PromptBox ScoreFilePlanner::loadFailedBox() {
  return PromptBox{MessageBoxKind::Error, L"错误", L"无法加载棋谱文件", L"棋谱加载失败"};
}

PromptBox ScoreFilePlanner::summaryBox(const ChessScoreHeader& header, std::size_t moveCount,
                                       std::optional<std::size_t> pliesBeforeRefusal) {
  std::wstring text;
  if (!header.event.empty()) text += L"赛事: " + utf8ToWide(header.event) + L"\n";
  if (!header.red.empty() && !header.black.empty()) {
    text += L"红方: " + utf8ToWide(header.red) + L"\n" + L"黑方: " + utf8ToWide(header.black) + L"\n";
  }
  text += L"共 " + std::to_wstring(moveCount) + L" 手棋";
  if (pliesBeforeRefusal) {
    text += L"\n第 " + std::to_wstring(*pliesBeforeRefusal + 1) + L" 手无法走出，只载入了前 " +
            std::to_wstring(*pliesBeforeRefusal) + L" 手";
  }
  return PromptBox{MessageBoxKind::Plain, L"棋谱信息", text, L""};
}

PromptBox ScoreFilePlanner::loadChoiceBox() {
  return PromptBox{MessageBoxKind::YesNoCancelQuestion, L"棋谱加载完成",
                        L"请选择：\n\n是(Y) → 进入复盘模式查看棋谱\n否(N) → 从棋谱最后位置直接开始对弈\n取消   → 返回加载前状态",
                        L""};
}

LoadChoice ScoreFilePlanner::loadChoice(BoxAnswer answer) {
  if (answer == BoxAnswer::Yes) return LoadChoice::Review;
  if (answer == BoxAnswer::No) return LoadChoice::PlayOn;
  return LoadChoice::Revert;
}

const char* ScoreFilePlanner::loadChoiceLog(LoadChoice choice) {
  switch (choice) {
    case LoadChoice::Review: return "User chose: Enter review mode";
    case LoadChoice::PlayOn: return "User chose: Start game from loaded score";
    case LoadChoice::Revert: break;
  }
  return "User chose: Cancel and return to pre-load state";
}

std::wstring ScoreFilePlanner::modePopupNotice(const ChessScoreHeader& header) {
  std::wstring text = L"棋谱已加载";
  if (!header.red.empty() || !header.black.empty()) {
    text += L"，";
    if (!header.red.empty()) text += L"红方: " + utf8ToWide(header.red);
    if (!header.red.empty() && !header.black.empty()) text += L"，";
    if (!header.black.empty()) text += L"黑方: " + utf8ToWide(header.black);
  }
  return text + L"。请选择对战模式";
}

PromptBox ScoreFilePlanner::nothingToSaveBox() {
  return PromptBox{MessageBoxKind::Information, L"提示", L"当前没有棋谱可保存", L""};
}

PromptBox ScoreFilePlanner::savedBox() {
  return PromptBox{MessageBoxKind::Plain, L"成功", L"棋谱已保存", L""};
}

PromptBox ScoreFilePlanner::saveFailedBox() {
  return PromptBox{MessageBoxKind::Error, L"错误", L"无法保存棋谱文件", L"棋谱保存失败"};
}

bool ScoreFilePlanner::leaveLanAfterLoad(const PreLoadSnapshot& before, bool controllerBusyNow) {
  return before.lanGameWasRunning && controllerBusyNow;
}

bool ScoreFilePlanner::reopenReviewAfterRevert(const PreLoadSnapshot& before, bool reviewActiveNow) {
  return before.reviewWasOpen && !reviewActiveNow;
}

}  // namespace Tavrune
