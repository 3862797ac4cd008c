#pragma once
// What the sound-pack chooser shows and what a choice means, without a window: the list
// lines, the detail line, which pack is offered first, which web addresses may be opened,
// and the path the settings keep.
#include <string>
#include <vector>

#include "audio/SoundPack.h"

namespace Tavrune::SoundPackChoice {

inline constexpr wchar_t kCaption[] = L"选择音效包";
inline constexpr wchar_t kIncompleteCaption[] = L"音效包不完整";
inline constexpr wchar_t kIncompleteText[] =
    L"您选择的音效包缺少必需的文件（move.wav）。\n请选择其他音效包或确保该音效包包含所有必需的音效文件。";
inline constexpr wchar_t kNoPacksCaption[] = L"未找到音效包";
inline constexpr wchar_t kNoPacksText[] =
    L"未找到任何音效包。\n\n请确保程序目录下存在 sounds 文件夹，\n并且其中包含至少一个有效的音效包目录。";
inline constexpr wchar_t kConfirmCaption[] = L"确认选择";
inline constexpr wchar_t kCancelled[] = L"已取消音效包选择";
inline constexpr wchar_t kSaveFailedText[] = L"无法保存音效包设置，仍使用原音效包。";
inline constexpr wchar_t kReloadFailedSpoken[] = L"音效系统初始化失败，请检查音效包文件";
inline constexpr wchar_t kReloadFailedText[] = L"音效系统初始化失败！\n请检查音效包是否包含所有必需的文件。";
inline constexpr wchar_t kReloadedSpoken[] = L"音效包已更换，音效系统已重新加载";
inline constexpr wchar_t kReloadedText[] = L"音效包已成功更换！";
inline constexpr wchar_t kReloadedCaption[] = L"成功";
inline constexpr wchar_t kSavedSpoken[] = L"音效包设置已保存，下次开始游戏时生效";
inline constexpr wchar_t kSavedText[] = L"音效包设置已保存！\n下次开始游戏时将使用新的音效包。";
inline constexpr wchar_t kSavedCaption[] = L"设置已保存";
inline constexpr wchar_t kCopiedCaption[] = L"复制成功";
inline constexpr wchar_t kCopyFailedText[] = L"复制失败";
inline constexpr wchar_t kErrorCaption[] = L"错误";

// One line of the list: name, then whatever else the pack says, and a warning when it
// lacks the move sound.
std::wstring listItemText(const SoundPack& pack);
// "当前选中：" with the name, the author in brackets and the version.
std::wstring detailsLine(const SoundPack& pack);
// The first complete pack, or -1 when none is.
int firstValidIndex(const std::vector<SoundPack>& packs);
// Only web addresses are handed to the shell, never a program or a file.
bool isOpenableWebsite(const std::string& address);
std::wstring confirmationText(const SoundPack& pack);
// The path the audio settings keep, relative to a data or program folder.
std::string configuredPath(const SoundPack& pack);

}  // namespace Tavrune::SoundPackChoice
