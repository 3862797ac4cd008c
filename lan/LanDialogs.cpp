#include "lan/LanDialogs.h"

#include <string>
#include <vector>

#include "core/TextConversion.h"
#include "lan/LanRoomList.h"

namespace Tavrune {

namespace {

// An in-memory template with no controls: no menu, the default class, an empty title (set
// when the dialog opens) and the system font. Templates must start on a DWORD boundary.
#pragma pack(push, 2)
struct EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};
#pragma pack(pop)

INT_PTR runDialog(HWND owner, short widthDlu, short heightDlu, DLGPROC procedure, LPARAM data) {
  alignas(4) EmptyTemplate dialog{};
  dialog.header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME;
  dialog.header.cx = widthDlu;
  dialog.header.cy = heightDlu;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.header, owner, procedure, data);
}

HWND addControl(HWND dialog, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, int x, int y,
                int width, int height, DWORD extendedStyle = 0) {
  return CreateWindowExW(extendedStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, dialog,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

constexpr int kStaticId = -1;
constexpr DWORD kEditStyle = WS_TABSTOP | ES_AUTOHSCROLL;

HWND addEdit(HWND dialog, int id, const std::wstring& text, DWORD style, int x, int y, int width, int height) {
  return addControl(dialog, L"EDIT", text.c_str(), kEditStyle | style, id, x, y, width, height, WS_EX_CLIENTEDGE);
}

void focusWithTextSelected(HWND dialog, int editId) {
  HWND edit = GetDlgItem(dialog, editId);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

template <typename Data>
Data* dataOf(HWND dialog) {
  return reinterpret_cast<Data*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

template <typename Data>
Data* keepData(HWND dialog, LPARAM lParam) {
  SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  return reinterpret_cast<Data*>(lParam);
}

std::wstring textOf(HWND dialog, int id, int maxChars) {
  std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1, L'\0');
  const int length = GetDlgItemTextW(dialog, id, buffer.data(), maxChars + 1);
  std::wstring text(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
  // A cut in the middle of a surrogate pair would leave half a character.
  if (length == maxChars && !text.empty() && IS_HIGH_SURROGATE(text.back())) text.pop_back();
  return text;
}

bool isCloseCommand(UINT message, WPARAM wParam) {
  return message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL);
}

// How a form ends: OK reads its fields and confirms it, Cancel or closing leaves it.
template <typename ReadFields>
INT_PTR endForm(HWND dialog, UINT message, WPARAM wParam, bool& confirmed, ReadFields readFields) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    readFields();
    confirmed = true;
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (isCloseCommand(message, wParam)) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

std::wstring listLine(HWND list, LRESULT index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

// The room list into the list box. A list box that is emptied and refilled is read again
// by a screen reader, so only rooms not yet shown are added; it is rebuilt only when a
// shown line no longer matches, and then the selected room stays selected. The connect
// button follows whether a line is selected.
void showRooms(HWND dialog, const LanRoomList& rooms) {
  HWND list = GetDlgItem(dialog, LanDialogs::ID_ROOM_LIST);
  std::vector<std::wstring> lines;
  for (const LanRoom& room : rooms.rooms()) {
    lines.push_back(utf8ToWide(room.name) + L" (" + utf8ToWide(room.address) + L")");
  }
  const LRESULT shown = SendMessageW(list, LB_GETCOUNT, 0, 0);
  bool stillShown = shown >= 0 && static_cast<size_t>(shown) <= lines.size();
  for (LRESULT i = 0; stillShown && i < shown; ++i) stillShown = listLine(list, i) == lines[static_cast<size_t>(i)];
  size_t first = static_cast<size_t>(shown);
  std::wstring selected;
  if (!stillShown) {
    const LRESULT selection = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR) selected = listLine(list, selection);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    first = 0;
  }
  for (size_t i = first; i < lines.size(); ++i) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines[i].c_str()));
  }
  if (!selected.empty()) {
    const LRESULT again = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(selected.c_str()));
    if (again != LB_ERR) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(again), 0);
  }
  EnableWindow(GetDlgItem(dialog, IDOK), SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR);
}

// The selected line's end code, when it names a listed room.
bool chosenRoom(HWND dialog, const LanRoomList& rooms, INT_PTR& result) {
  const LRESULT selection = SendDlgItemMessageW(dialog, LanDialogs::ID_ROOM_LIST, LB_GETCURSEL, 0, 0);
  if (selection == LB_ERR || selection < 0 || static_cast<size_t>(selection) >= rooms.rooms().size()) return false;
  result = LanDialogs::ROOM_RESULT_BASE + selection;
  return true;
}

}  // namespace

std::wstring& LanDialogs::lastAddress() {
  static std::wstring address = L"127.0.0.1";
  return address;
}

int32_t& LanDialogs::lastPort() {
  static int32_t port = DEFAULT_PORT;
  return port;
}

int32_t LanDialogs::portOrDefault(uint32_t typed) {
  return typed >= 1 && typed <= 65535 ? static_cast<int32_t>(typed) : DEFAULT_PORT;
}

INT_PTR LanDialogs::runSetup(HWND owner, SetupData& data) {
  return runDialog(owner, 145, 76, &LanDialogs::lanSetupDialogProc, reinterpret_cast<LPARAM>(&data));
}

INT_PTR LanDialogs::runWaiting(HWND owner, WaitingData& data) {
  return runDialog(owner, 160, 120, &LanDialogs::waitForOpponentDialogProc, reinterpret_cast<LPARAM>(&data));
}

INT_PTR LanDialogs::runConnect(HWND owner, ConnectData& data) {
  return runDialog(owner, 210, 85, &LanDialogs::connectDialogProc, reinterpret_cast<LPARAM>(&data));
}

INT_PTR LanDialogs::runRoomSearch(HWND owner, RoomSearchData& data) {
  return runDialog(owner, 160, 130, &LanDialogs::roomSearchDialogProc, reinterpret_cast<LPARAM>(&data));
}

INT_PTR CALLBACK LanDialogs::lanSetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const SetupData* data = keepData<SetupData>(dialog, lParam);
    SetWindowTextW(dialog, L"局域网对战设置");
    addControl(dialog, L"STATIC", L"昵称(&N):", 0, kStaticId, 12, 14, 70, 20);
    addEdit(dialog, ID_NICKNAME, data->nickname, 0, 80, 10, 190, 24);
    addControl(dialog, L"STATIC", L"执棋偏好:", 0, kStaticId, 12, 48, 80, 20);
    addControl(dialog, L"BUTTON", L"随机", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, ID_SIDE_RANDOM, 80, 46, 60, 22);
    addControl(dialog, L"BUTTON", L"执红", BS_AUTORADIOBUTTON, ID_SIDE_RED, 145, 46, 60, 22);
    addControl(dialog, L"BUTTON", L"执黑", BS_AUTORADIOBUTTON, ID_SIDE_BLACK, 210, 46, 60, 22);
    addControl(dialog, L"BUTTON", L"下一步(&N)", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK, 70, 84, 80, 28);
    addControl(dialog, L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 170, 84, 80, 28);
    const int32_t choice = data->sideChoice >= 0 && data->sideChoice <= 2 ? data->sideChoice : 0;
    CheckRadioButton(dialog, ID_SIDE_RANDOM, ID_SIDE_BLACK, ID_SIDE_RANDOM + choice);
    focusWithTextSelected(dialog, ID_NICKNAME);
    return FALSE;  // the focus is set
  }
  SetupData* data = dataOf<SetupData>(dialog);
  if (!data) return FALSE;
  return endForm(dialog, message, wParam, data->confirmed, [&] {
    data->nickname = textOf(dialog, ID_NICKNAME, MAX_NICKNAME_CHARS);
    if (data->nickname.empty()) data->nickname = L"Player";
    data->sideChoice = IsDlgButtonChecked(dialog, ID_SIDE_RED) == BST_CHECKED     ? 1
                       : IsDlgButtonChecked(dialog, ID_SIDE_BLACK) == BST_CHECKED ? 2
                                                                                   : 0;
  });
}

INT_PTR CALLBACK LanDialogs::waitForOpponentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const WaitingData* data = keepData<WaitingData>(dialog, lParam);
    SetWindowTextW(dialog, L"等待连接");
    addControl(dialog, L"STATIC", data->text.c_str(), SS_CENTER, kStaticId, 20, 15, 260, 100);
    addControl(dialog, L"BUTTON", L"取消等待(&C)", BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL, 100, 125, 100, 28);
    // Enter presses the one button, which gives up the wait.
    SendMessageW(dialog, DM_SETDEFID, IDCANCEL, 0);
    SetTimer(dialog, REFRESH_TIMER, REFRESH_MS, nullptr);
    return TRUE;
  }
  WaitingData* data = dataOf<WaitingData>(dialog);
  if (!data) return FALSE;
  if (message == WM_TIMER && wParam == REFRESH_TIMER) {
    if (data->opponentArrived && data->opponentArrived()) {
      data->connected = true;
      KillTimer(dialog, REFRESH_TIMER);
      EndDialog(dialog, IDOK);
    }
    return TRUE;
  }
  if (isCloseCommand(message, wParam)) {
    KillTimer(dialog, REFRESH_TIMER);
    data->cancelled = true;
    if (data->cancelWait) data->cancelWait();
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK LanDialogs::connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    keepData<ConnectData>(dialog, lParam);
    SetWindowTextW(dialog, L"连接到对手");
    addControl(dialog, L"STATIC", L"IP 地址(&I):", 0, kStaticId, 10, 15, 80, 20);
    addEdit(dialog, ID_ADDRESS, lastAddress(), 0, 95, 12, 200, 24);
    addControl(dialog, L"STATIC", L"端口(&P):", 0, kStaticId, 10, 50, 80, 20);
    addEdit(dialog, ID_PORT, std::to_wstring(lastPort()), ES_NUMBER, 95, 47, 80, 24);
    addControl(dialog, L"BUTTON", L"连接(&C)", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 65, 90, 80, 28);
    addControl(dialog, L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 160, 90, 80, 28);
    SendDlgItemMessageW(dialog, ID_PORT, EM_SETSEL, 0, -1);
    focusWithTextSelected(dialog, ID_ADDRESS);
    return FALSE;
  }
  ConnectData* data = dataOf<ConnectData>(dialog);
  if (!data) return FALSE;
  return endForm(dialog, message, wParam, data->confirmed, [&] {
    lastAddress() = textOf(dialog, ID_ADDRESS, MAX_ADDRESS_CHARS);
    BOOL read = FALSE;
    const UINT typed = GetDlgItemInt(dialog, ID_PORT, &read, FALSE);
    lastPort() = portOrDefault(read ? typed : 0);
  });
}

INT_PTR CALLBACK LanDialogs::roomSearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    keepData<RoomSearchData>(dialog, lParam);
    SetWindowTextW(dialog, L"搜索房间");
    SetTimer(dialog, REFRESH_TIMER, REFRESH_MS, nullptr);
    addControl(dialog, L"STATIC", L"正在搜索局域网内的房间...", 0, ID_SEARCH_STATUS, 10, 15, 300, 20);
    addControl(dialog, L"LISTBOX", L"", WS_VSCROLL | LBS_NOTIFY | WS_TABSTOP, ID_ROOM_LIST, 10, 40, 300, 150,
               WS_EX_CLIENTEDGE);
    HWND connect =
        addControl(dialog, L"BUTTON", L"连接(&C)", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 60, 200, 80, 28);
    EnableWindow(connect, FALSE);
    addControl(dialog, L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 180, 200, 80, 28);
    return TRUE;
  }
  RoomSearchData* data = dataOf<RoomSearchData>(dialog);
  if (!data || !data->rooms) return FALSE;
  INT_PTR result = 0;
  switch (message) {
    case WM_TIMER:
      if (wParam != REFRESH_TIMER) return FALSE;
      showRooms(dialog, *data->rooms);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_ROOM_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        EnableWindow(GetDlgItem(dialog, IDOK),
                     SendDlgItemMessageW(dialog, ID_ROOM_LIST, LB_GETCURSEL, 0, 0) != LB_ERR);
        return TRUE;
      }
      if ((LOWORD(wParam) == ID_ROOM_LIST && HIWORD(wParam) == LBN_DBLCLK) || LOWORD(wParam) == IDOK) {
        // Without a selected line the dialog stays open.
        if (chosenRoom(dialog, *data->rooms, result)) {
          KillTimer(dialog, REFRESH_TIMER);
          EndDialog(dialog, result);
        }
        return TRUE;
      }
      break;
    default:
      break;
  }
  if (isCloseCommand(message, wParam)) {
    KillTimer(dialog, REFRESH_TIMER);
    data->closed = true;
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace Tavrune
