// The About box (version, description, the maker's contact, the log file) and the
// update check asked for from the menu.
#include <string>

#include "accessibility/AnnouncementHistory.h"
#include "app/ClipboardText.h"
#include "app/MainWindow.h"
#include "app/MakerContact.h"
#include "app/ShellOpen.h"
#include "app/VersionText.h"
#include "app/resource.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "update/WinSparkleAdapter.h"

namespace Tavrune {

namespace {

constexpr wchar_t kNoticeCaption[] = L"提示";

void notice(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, kNoticeCaption, MB_OK | MB_ICONINFORMATION); }
void warning(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, kNoticeCaption, MB_OK | MB_ICONWARNING); }

DWORD attributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
bool isFile(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY); }
bool isFolder(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY); }

// Shows the log file selected in Explorer, or its folder while the file does not exist yet.
void locateLogFile(HWND dialog) {
  const std::wstring path = utf8ToWide(getDebugLogPath());
  if (path.empty()) {
    warning(dialog, L"无法获取日志路径");
    return;
  }
  if (isFile(attributesOf(path))) {
    if (shellOpen(dialog, L"explorer.exe", L"/select,\"" + path + L"\"") <= 32) warning(dialog, L"无法打开资源管理器");
    return;
  }
  const size_t separator = path.find_last_of(L"\\/");
  const std::wstring folder = separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
  if (folder.empty() || !isFolder(attributesOf(folder))) {
    notice(dialog, L"日志目录不存在，请先开启日志后再试");
    return;
  }
  if (shellOpen(dialog, folder) > 32) {
    notice(dialog, L"日志文件尚未生成，已打开日志目录");
  } else {
    warning(dialog, L"无法打开日志目录");
  }
}

void fillAboutTexts(HWND dialog) {
  SetWindowTextW(dialog, L"关于Velmora");
  const std::pair<int, std::wstring> texts[] = {
      {IDC_ABOUT_PRODUCT, L"Velmora"},
      {IDC_ABOUT_VERSION, getProductVersionText()},
      {IDC_ABOUT_PURPOSE, L"专为视障人士设计的象棋游戏"},
      {IDC_ABOUT_ENGINE, L"内置Pikafish专业引擎"},
      {IDC_ABOUT_SPEECH, L"支持屏幕阅读器的语音播报"},
      {IDC_ABOUT_AUTHOR, std::wstring(L"作者：") + MakerContact::kAuthorName},
      {IDC_ABOUT_WEB, std::wstring(L"博客：") + MakerContact::kWebAddress},
      {IDC_ABOUT_CHAT_GROUP, std::wstring(L"QQ群：") + MakerContact::kChatGroupNumber},
      {IDC_ABOUT_CHAT_ACCOUNT, std::wstring(L"QQ号：") + MakerContact::kChatAccountNumber},
      {IDOK, L"访问博客(&B)"},
      {IDC_ABOUT_COPY_ACCOUNT, L"复制QQ号(&Q)"},
      {IDC_ABOUT_COPY_GROUP, L"复制QQ群(&G)"},
      {IDC_ABOUT_LOCATE_LOG, L"定位日志文件(&L)"},
      {IDCANCEL, L"关闭(&C)"},
  };
  for (const auto& [id, text] : texts) SetDlgItemTextW(dialog, id, text.c_str());
}

}  // namespace

INT_PTR CALLBACK MainWindow::aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      fillAboutTexts(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;  // the focus is set
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (shellOpen(dialog, MakerContact::kWebAddress) > 32) {
            EndDialog(dialog, IDOK);
          } else {
            warning(dialog, L"无法打开浏览器，请稍后重试");
          }
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_ABOUT_COPY_ACCOUNT:
          copyTextWithConfirmation(dialog, MakerContact::kChatAccountNumber, L"QQ号已复制到剪贴板");
          return TRUE;
        case IDC_ABOUT_COPY_GROUP:
          copyTextWithConfirmation(dialog, MakerContact::kChatGroupNumber, L"QQ群号已复制到剪贴板");
          return TRUE;
        case IDC_ABOUT_LOCATE_LOG:
          locateLogFile(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void MainWindow::showAboutDialog() {
  DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_ABOUT), hwnd, &MainWindow::aboutDialogProc, 0);
}

void MainWindow::checkForUpdatesFromMenu() {
  // Posted commands come before timers: a check asked for at once must not find the
  // update library not loaded yet and call the service unavailable.
  finishStartup();
  if (updater && updater->checkForUpdatesManually()) return;
  // Without the update library nothing else would tell the user that no check runs.
  constexpr wchar_t kUnavailable[] = L"更新服务不可用";
  MessageBoxW(hwnd, kUnavailable, kNoticeCaption, MB_OK | MB_ICONINFORMATION);
  announcer->announce(kUnavailable);
}

}  // namespace Tavrune
