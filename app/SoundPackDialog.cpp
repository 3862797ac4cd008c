#include "app/SoundPackDialog.h"

#include "app/ClipboardText.h"
#include "app/ShellOpen.h"
#include "app/SoundPackChoice.h"
#include "app/resource.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace {

struct SoundPackDialogState {
  const std::vector<SoundPack>* packs = nullptr;
  int current = -1;
};

SoundPackDialogState* stateOf(HWND dialog) {
  return reinterpret_cast<SoundPackDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

const SoundPack* currentPack(const SoundPackDialogState& state) {
  if (state.current < 0 || state.current >= int(state.packs->size())) return nullptr;
  return &(*state.packs)[size_t(state.current)];
}

void selectRow(HWND dialog, SoundPackDialogState& state) {
  HWND list = GetDlgItem(dialog, IDC_SOUND_PACK_LIST);
  const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return;
  state.current = int(SendMessageW(list, LB_GETITEMDATA, WPARAM(row), 0));
  if (const SoundPack* pack = currentPack(state)) showSoundPackDetails(dialog, *pack);
}

void initialise(HWND dialog, SoundPackDialogState& state) {
  SetWindowTextW(dialog, SoundPackChoice::kCaption);
  SetDlgItemTextW(dialog, IDC_SOUND_PACK_DETAILS, L"");
  HWND list = GetDlgItem(dialog, IDC_SOUND_PACK_LIST);
  const std::vector<SoundPack>& packs = *state.packs;
  for (size_t i = 0; i < packs.size(); ++i) {
    const LRESULT row =
        SendMessageW(list, LB_ADDSTRING, 0, LPARAM(SoundPackChoice::listItemText(packs[i]).c_str()));
    if (row >= 0) SendMessageW(list, LB_SETITEMDATA, WPARAM(row), LPARAM(i));
  }
  state.current = SoundPackChoice::firstValidIndex(packs);
  if (state.current >= 0) {
    SendMessageW(list, LB_SETCURSEL, WPARAM(state.current), 0);
    showSoundPackDetails(dialog, packs[size_t(state.current)]);
  } else {
    // Nothing to offer yet: the pack buttons stay out of the way.
    ShowWindow(GetDlgItem(dialog, IDC_SOUND_PACK_WEBSITE), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_SOUND_PACK_QQ), SW_HIDE);
  }
  SetDlgItemTextW(dialog, IDOK, L"确定(&O)");
  SetDlgItemTextW(dialog, IDCANCEL, L"取消(&C)");
  SetFocus(list);
}

void confirm(HWND dialog, SoundPackDialogState& state) {
  const LRESULT row = SendMessageW(GetDlgItem(dialog, IDC_SOUND_PACK_LIST), LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) {
    EndDialog(dialog, state.current);
    return;
  }
  selectRow(dialog, state);
  const SoundPack* pack = currentPack(state);
  if (pack && !pack->valid) {
    MessageBoxW(dialog, SoundPackChoice::kIncompleteText, SoundPackChoice::kIncompleteCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  EndDialog(dialog, state.current);
}

void copyQq(HWND dialog, const SoundPack& pack) {
  const std::wstring number = utf8ToWide(pack.qq);
  // A clipboard that another program holds open is a failure the user hears about too.
  if (putTextOnClipboard(dialog, number) != ClipboardResult::Copied) {
    MessageBoxW(dialog, SoundPackChoice::kCopyFailedText, SoundPackChoice::kErrorCaption, MB_OK | MB_ICONERROR);
    return;
  }
  MessageBoxW(dialog, (L"QQ号码已复制：" + number).c_str(), SoundPackChoice::kCopiedCaption,
              MB_OK | MB_ICONINFORMATION);
}

}  // namespace

INT_PTR runSoundPackDialog(HWND owner, const std::vector<SoundPack>& packs) {
  SoundPackDialogState state{&packs, -1};
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SOUND_PACK), owner, soundPackDialogProc,
                         LPARAM(&state));
}

INT_PTR CALLBACK soundPackDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    initialise(dialog, *reinterpret_cast<SoundPackDialogState*>(lParam));
    return FALSE;  // the focus is on the list already
  }
  SoundPackDialogState* state = stateOf(dialog);
  if (!state) return FALSE;
  if (message == WM_CLOSE) return EndDialog(dialog, -1), TRUE;
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_SOUND_PACK_LIST:
      if (HIWORD(wParam) == LBN_SELCHANGE) selectRow(dialog, *state);
      if (HIWORD(wParam) == LBN_DBLCLK) confirm(dialog, *state);
      return TRUE;
    case IDOK:
      confirm(dialog, *state);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, -1);
      return TRUE;
    case IDC_SOUND_PACK_WEBSITE:
      if (const SoundPack* pack = currentPack(*state);
          pack && SoundPackChoice::isOpenableWebsite(pack->website)) {
        shellOpen(dialog, utf8ToWide(pack->website));
      }
      return TRUE;
    case IDC_SOUND_PACK_QQ:
      if (const SoundPack* pack = currentPack(*state); pack && !pack->qq.empty()) copyQq(dialog, *pack);
      return TRUE;
    default:
      return FALSE;
  }
}

void showSoundPackDetails(HWND dialog, const SoundPack& pack) {
  SetDlgItemTextW(dialog, IDC_SOUND_PACK_DETAILS, SoundPackChoice::detailsLine(pack).c_str());
  const struct {
    int id;
    const wchar_t* text;
    bool offered;
  } buttons[] = {{IDC_SOUND_PACK_WEBSITE, L"访问网站(&W)", SoundPackChoice::isOpenableWebsite(pack.website)},
                 {IDC_SOUND_PACK_QQ, L"复制QQ(&Q)", !pack.qq.empty()}};
  for (const auto& b : buttons) {
    HWND button = GetDlgItem(dialog, b.id);
    SetWindowTextW(button, b.text);
    EnableWindow(button, b.offered);
    ShowWindow(button, b.offered ? SW_SHOW : SW_HIDE);
  }
}

}  // namespace Tavrune
