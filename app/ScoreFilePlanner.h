#pragma once
// The texts and choices around opening and saving records that need no window: the
// file dialogs' titles, filters and default name, the loaded record's summary and mode
// notice, the three-way choice after a load, and the boxes of a save.
#include <cstddef>
#include <optional>
#include <string>

#include "app/PromptBox.h"
#include "app/PreLoadSnapshot.h"
#include "records/ChessScoreHeader.h"

namespace Tavrune {

enum class LoadChoice { Review, PlayOn, Revert };

class ScoreFilePlanner {
 public:
  static constexpr std::size_t kPathBufferLength = 260;

  static constexpr const wchar_t* kOpenTitle = L"打开棋谱文件";
  static constexpr const char* kOpenDialogLog = "MainWindow::openScoreFile - 打开文件选择对话框";
  static constexpr const char* kOpenCancelledLog = "MainWindow::openScoreFile - 用户取消文件选择";
  static constexpr const char* kFileChosenLog = "MainWindow::openScoreFile - 用户选择文件: ";        // + path
  static constexpr const char* kHadActiveGameLog = "MainWindow::openScoreFile - hadActiveGame: ";  // + 1 or 0
  static constexpr const char* kLoadFailedLog = "MainWindow::openScoreFile - 加载棋谱失败: ";        // + path
  static constexpr const wchar_t* kLoadedNotice = L"棋谱加载成功";
  static constexpr const wchar_t* kGameReplacedNotice = L"当前游戏已被替换为加载的棋谱";
  static constexpr const char* kGameReplacedLog = "Active game was replaced by loaded score";
  static constexpr const wchar_t* kRevertedNotice = L"已取消并返回加载前状态";
  static constexpr const wchar_t* kRevertFailedNotice = L"无法恢复加载前的棋局";

  static constexpr const wchar_t* kSaveTitle = L"保存棋谱文件";
  // Appended to a name typed without an extension, so the file opens again.
  static constexpr const wchar_t* kDefaultExtension = L"pgn";
  static constexpr const wchar_t* kSavedNotice = L"棋谱保存成功";  // spoken before savedBox

  // lpstrFilter texts: display name and pattern pairs, each ended by a NUL, and a
  // second NUL at the end.
  static std::wstring openFilter();
  static std::wstring saveFilter();
  // "棋谱_YYYYMMDD.pgn" for the local date.
  static std::wstring defaultSaveName(int year, int month, int day);

  static PromptBox loadFailedBox();
  // The loaded record's event and players (from GameEngine::getLoadedScoreHeader), its
  // number of moves and, when its next move was refused, that only those were loaded.
  static PromptBox summaryBox(const ChessScoreHeader& header, std::size_t moveCount,
                              std::optional<std::size_t> pliesBeforeRefusal = std::nullopt);
  static PromptBox loadChoiceBox();
  // Yes reviews, No plays on from the last position, anything else goes back.
  static LoadChoice loadChoice(BoxAnswer answer);
  static const char* loadChoiceLog(LoadChoice choice);
  // Spoken before the "游戏" popup opens for the user to pick a mode.
  static std::wstring modePopupNotice(const ChessScoreHeader& header);

  static PromptBox nothingToSaveBox();
  static PromptBox savedBox();
  static PromptBox saveFailedBox();

  // Review and play-on leave a LAN game that was running and still is.
  static bool leaveLanAfterLoad(const PreLoadSnapshot& before, bool controllerBusyNow);
  // Going back reopens a review that was open and is not now.
  static bool reopenReviewAfterRevert(const PreLoadSnapshot& before, bool reviewActiveNow);
};

}  // namespace Tavrune
