// The "软件设置" dialog: a page list, the shown page's controls, Apply, Save and Cancel.
// Values reach the draft when the page is read; Apply and Save commit the session.
// Moving a volume slider is heard at once and undone unless the value is committed.
#include <windows.h>

#include <commctrl.h>

#include "app/resource.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "engine/BestBundledEngine.h"
#include "platform/SystemDialogLibraries.h"
#include "settings/ControlNumbers.h"
#include "settings/SettingsDialogState.h"

namespace Tavrune::Settings {

namespace {

constexpr wchar_t kCaption[] = L"软件设置";
constexpr DWORD kPreviewSoundGapMs = 150;

bool isChoice(const ControlSpec& control) {
  return control.editorKind == EditorKind::Choice || control.editorKind == EditorKind::ChoiceGroup;
}

void onPageChosen(HWND dialog, SettingsDialogState& state) {
  HWND list = GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST);
  const LRESULT chosen = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (chosen < 0 || chosen >= LRESULT(state.pages.size()) || chosen == state.currentPage) return;
  if (!parseControlText(dialog)) {
    // The shown page stays: so does the row that names it.
    SendMessageW(list, LB_SETCURSEL, state.currentPage, 0);
    return;
  }
  state.currentPage = int32_t(chosen);
  state.scrollPos = 0;
  createPageControlWidgets(dialog);
}

void onChoiceChanged(HWND dialog, SettingsDialogState& state) {
  const std::string& menuId = state.pages[state.currentPage].menuId;
  const std::vector<std::string> before = currentPageControlIds(*state.provider, menuId);
  if (!parseControlText(dialog)) return;
  // Rebuilt only when the set of controls changed, so the focus stays in the list.
  if (currentPageControlIds(*state.provider, menuId) != before) createPageControlWidgets(dialog);
}

void onNumberTyped(SettingsDialogState& state, const ControlWidget& widget) {
  std::wstring text(64, L'\0');
  text.resize(std::max(0, GetWindowTextW(widget.numberBox, text.data(), int(text.size()))));
  const std::string typed = wideToUtf8(text);
  if (!isCompleteNumberEntry(typed, widget.digitCount)) return;
  const std::optional<int32_t> number = parseLeadingInt32(typed);
  if (!number) return;
  const NumberLimits limits{widget.minimum, widget.maximum, widget.step};
  const int32_t snapped = snapToStep(std::clamp(*number, widget.minimum, std::max(widget.minimum, widget.maximum)),
                                     limits);
  showNumber(state, widget, snapped);
  SendMessageW(widget.numberBox, EM_SETSEL, WPARAM(-1), LPARAM(-1));
}

bool isVolumeKey(const std::string& key) {
  return key == "audio.masterVolumePercent" || key == "audio.gameSfxVolumePercent" ||
         key == "audio.backgroundVolumePercent";
}

// Sets one volume on the running audio only; whether it did.
bool setLiveVolume(SettingsDialogState& state, const std::string& key, int64_t percent) {
  AudioManager* audio = state.host->runningAudio();
  if (!state.host->audioSettings().enabled || !audio) return false;
  const float level = float(std::clamp<int64_t>(percent, 0, 100)) / 100.0f;
  if (key == "audio.masterVolumePercent") audio->setMasterVolume(level);
  if (key == "audio.gameSfxVolumePercent") audio->setGameSfxVolume(level);
  if (key == "audio.backgroundVolumePercent") audio->setBackgroundVolume(level);
  return true;
}

// A volume slider is heard at once on the running audio only: the program's audio
// settings change when the value is committed, and Cancel puts them back.
void previewVolume(SettingsDialogState& state, const std::string& key, int32_t position) {
  if (!isVolumeKey(key)) return;
  state.previewChanged = true;
  if (!setLiveVolume(state, key, position) || key != "audio.gameSfxVolumePercent") return;
  const DWORD now = GetTickCount();
  if (state.host->audioSettings().gameSfxEnabled && now - state.lastPreviewTick >= kPreviewSoundGapMs) {
    state.host->runningAudio()->playCursorSound({4, 4}, state.host->previewSide());
    state.lastPreviewTick = now;
  }
}

// A reloaded audio system starts from the committed settings: the sliders' values that
// are not committed yet are put back, so what the page shows is what plays.
void reapplyPreviews(SettingsDialogState& state) {
  if (!state.previewChanged) return;
  for (const ControlState& row : state.provider->listPageControls(state.pages[state.currentPage].menuId)) {
    const int64_t* percent = std::get_if<int64_t>(&row.value);
    if (percent && isVolumeKey(row.control->id)) setLiveVolume(state, row.control->id, *percent);
  }
}

void onSliderMoved(SettingsDialogState& state, HWND trackbar) {
  for (const ControlWidget& widget : state.widgets) {
    if (widget.editor != trackbar || !widget.numberBox) continue;
    int32_t position = int32_t(SendMessageW(trackbar, TBM_GETPOS, 0, 0));
    if (widget.control) position = snapToStep(position, {widget.minimum, widget.maximum, widget.step});
    showNumber(state, widget, position);
    if (widget.control) previewVolume(state, widget.control->id, position);
    return;
  }
}

bool storeAutomaticEngine(HWND dialog, SettingsDialogState& state) {
  const BundledEngineChoice best = bestBundledEngine();
  return setDraftFromWidget(state, "ai.engineVariant", best.variant.fileName, dialog) &&
         setDraftFromWidget(state, "ai.enginePath", best.path, dialog);
}

bool storeChosenEngine(HWND dialog, SettingsDialogState& state) {
  // The chooser has switched the running engine and written the file itself: whatever the
  // session then saves about the engine must reach the running program too.
  for (const char* key : {"ai.enginePath", "ai.engineVariant", "ai.autoSelectEngine"}) {
    state.provider->forgetCommitted(key);
  }
  const std::string path = state.host->currentEnginePath();
  return setDraftSkippingReadOnly(state, "ai.enginePath", path, dialog) &&
         setDraftSkippingReadOnly(state, "ai.engineVariant", engineFileNameOf(path), dialog) &&
         setDraftSkippingReadOnly(state, "ai.autoSelectEngine", false, dialog);
}

void onButtonClicked(HWND dialog, SettingsDialogState& state, const ControlSpec& control) {
  // The page is read first in every case: the button's own action must not undo what
  // was typed or moved on the page before it.
  if (!parseControlText(dialog)) return;
  const std::string& key = control.id;
  if (control.editorKind == EditorKind::Toggle) {
    const SettingValue* ticked = nullptr;
    const std::vector<ControlState> rows = state.provider->listPageControls(state.pages[state.currentPage].menuId);
    for (const ControlState& row : rows) {
      if (row.control == &control) ticked = &row.value;
    }
    const bool on = ticked && std::holds_alternative<bool>(*ticked) && std::get<bool>(*ticked);
    if (key == "ai.autoSelectEngine" && on && !storeAutomaticEngine(dialog, state)) return;
  } else if (key == "ai.engineSelectDialog") {
    if (state.host->chooseEngine(dialog) && !storeChosenEngine(dialog, state)) return;
  } else if (key == "audio.soundPackSelectDialog") {
    state.host->chooseSoundPack(dialog);
    reapplyPreviews(state);
  } else if (key == "ai.clearHash") {
    const ApplyResult result = state.host->runAction(key);
    if (!result.ok) MessageBoxW(dialog, utf8ToWide(result.message).c_str(), L"设置失败", MB_OK | MB_ICONWARNING);
    return;
  }
  createPageControlWidgets(dialog);
}

SCROLLINFO scrollInfo(HWND dialog) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(GetDlgItem(dialog, IDC_SETTINGS_SCROLL), SB_CTL, &info);
  return info;
}

void onScroll(HWND dialog, SettingsDialogState& state, int32_t wanted) {
  const SCROLLINFO info = scrollInfo(dialog);
  const int32_t position = std::clamp(wanted, 0, std::max(0, info.nMax - int32_t(info.nPage)));
  if (position == state.scrollPos) return;
  if (!parseControlText(dialog)) return;
  state.scrollPos = position;
  createPageControlWidgets(dialog);
}

int32_t scrollTarget(HWND dialog, WPARAM wParam, bool wheel) {
  const SCROLLINFO info = scrollInfo(dialog);
  if (wheel) return GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? info.nPos - PageScroll::kWheelStep
                                                       : info.nPos + PageScroll::kWheelStep;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: return info.nPos - PageScroll::kLineStep;
    case SB_LINEDOWN: return info.nPos + PageScroll::kLineStep;
    case SB_PAGEUP: return info.nPos - int32_t(info.nPage);
    case SB_PAGEDOWN: return info.nPos + int32_t(info.nPage);
    case SB_THUMBTRACK: return info.nTrackPos;
    default: return info.nPos;
  }
}

void initialise(HWND dialog, SettingsDialogState& state) {
  SetWindowTextW(dialog, kCaption);
  SetDlgItemTextW(dialog, IDC_SETTINGS_LIST_CAPTION, L"设置类型");
  SetDlgItemTextW(dialog, IDC_SETTINGS_PAGE_TITLE, L"");
  SetDlgItemTextW(dialog, IDC_SETTINGS_FRAME, L"");
  SetDlgItemTextW(dialog, IDC_SETTINGS_STATUS, L"");
  SetDlgItemTextW(dialog, IDC_SETTINGS_APPLY, L"应用");
  SetDlgItemTextW(dialog, IDOK, L"保存并关闭");
  SetDlgItemTextW(dialog, IDCANCEL, L"取消");
  HWND list = GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST);
  for (const SettingsPageEntry& page : state.pages) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToWide(page.title).c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  state.currentPage = 0;
  createPageControlWidgets(dialog);
}

INT_PTR onCommand(HWND dialog, SettingsDialogState& state, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  HWND from = reinterpret_cast<HWND>(lParam);
  if (id == IDCANCEL) return EndDialog(dialog, IDCANCEL), TRUE;
  if (id == IDOK) return saveAndVerifySettings(dialog, true), TRUE;
  if (id == IDC_SETTINGS_APPLY) return saveAndVerifySettings(dialog, false), TRUE;
  if (id == IDC_SETTINGS_PAGE_LIST) {
    if (code == LBN_SELCHANGE) onPageChosen(dialog, state);
    return TRUE;
  }
  if (code == EN_SETFOCUS || code == CBN_SETFOCUS || code == BN_SETFOCUS) {
    scrollIntoView(dialog, from);
    updateStatusForFocus(dialog, from);
    return TRUE;
  }
  const ControlWidget* widget = findWidgetByWindow(state, from);
  if (!widget || !widget->control) return FALSE;
  const ControlSpec& control = *widget->control;
  if (code == CBN_SELCHANGE && widget->editor == from && isChoice(control)) {
    onChoiceChanged(dialog, state);
    return TRUE;
  }
  if (code == EN_CHANGE && widget->numberBox == from) {
    if (state.editGuard || !widget->editor || widget->isDecimal) return FALSE;
    onNumberTyped(state, *widget);
    return TRUE;
  }
  if (code == BN_CLICKED && widget->editor == from &&
      (control.editorKind == EditorKind::Toggle || control.editorKind == EditorKind::Action)) {
    onButtonClicked(dialog, state, control);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    initialise(dialog, *reinterpret_cast<SettingsDialogState*>(lParam));
    return TRUE;
  }
  SettingsDialogState* state = dialogState(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      return onCommand(dialog, *state, wParam, lParam);
    case WM_NEXTDLGCTL: {
      // Tab and Shift+Tab: the row about to get the focus is scrolled into view first
      // (a trackbar does not say when it gets the focus); the dialog then moves the focus.
      HWND next =
          LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), BOOL(wParam));
      scrollIntoView(dialog, next);
      return FALSE;
    }
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code != UINT(NM_SETFOCUS)) return FALSE;
      scrollIntoView(dialog, reinterpret_cast<const NMHDR*>(lParam)->hwndFrom);
      updateStatusForFocus(dialog, reinterpret_cast<const NMHDR*>(lParam)->hwndFrom);
      return TRUE;
    case WM_HSCROLL:
      onSliderMoved(*state, reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_SETTINGS_SCROLL)) {
        onScroll(dialog, *state, scrollTarget(dialog, wParam, false));
      }
      return TRUE;
    case WM_MOUSEWHEEL:
      onScroll(dialog, *state, scrollTarget(dialog, wParam, true));
      return TRUE;
    default:
      return FALSE;
  }
}

bool saveAndVerifySettings(HWND dialog, bool closeAfter) {
  SettingsDialogState& state = *dialogState(dialog);
  if (!parseControlText(dialog)) return false;
  std::vector<std::string> errors;
  if (!state.provider->closeSession(true, &errors)) {
    std::wstring text;
    for (const std::string& error : errors) text += L"- " + utf8ToWide(error) + L"\n";
    MessageBoxW(dialog, text.c_str(), L"保存失败", MB_OK | MB_ICONWARNING);
    return false;
  }
  std::string error;
  if (!state.provider->reopenSession(&error)) {
    MessageBoxW(dialog, (L"保存成功，但应用状态校验失败：\n" + utf8ToWide(error)).c_str(), kCaption,
                MB_OK | MB_ICONWARNING);
    return false;
  }
  state.host->fillInformationRows(*state.provider);
  // What plays now is what was committed.
  state.previewChanged = false;
  if (closeAfter) {
    state.provider->closeSession(false, nullptr);
    state.saved = true;
    EndDialog(dialog, IDOK);
    return true;
  }
  MessageBoxW(dialog, L"设置已应用。", kCaption, MB_OK | MB_ICONINFORMATION);
  createPageControlWidgets(dialog);
  return true;
}

void showSettingsDialog(HWND owner, SettingsDialogHost& host, Provider& provider, AccessibleAnnotator& annotator) {
  SettingsDialogState state;
  state.host = &host;
  state.provider = &provider;
  state.annotator = &annotator;
  state.pages = listSettingsPages(provider);
  if (state.pages.empty()) {
    provider.closeSession(false, nullptr);
    MessageBoxW(owner, L"当前没有可用设置页面。", kCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  SystemDialogLibraries::initCommonControls(ICC_BAR_CLASSES);
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SOFTWARE_SETTINGS), owner,
                                         settingsDialogProc, reinterpret_cast<LPARAM>(&state));
  if (!state.saved) {
    if (state.previewChanged) host.restoreAudio();
    provider.closeSession(false, nullptr);
  }
  if (result == -1) {
    logError("[SoftwareSettings] The settings dialog could not be created");
    MessageBoxW(owner, L"软件设置面板创建失败。", kCaption, MB_OK | MB_ICONERROR);
  }
}

}  // namespace Tavrune::Settings
