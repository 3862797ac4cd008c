// The settings dialog in this process, driven from a helper thread as a user would:
// what screen readers are told about each control, how the page is read into the draft,
// and what Cancel, Apply, Save and the page's buttons leave behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "app/DialogWatcher.h"
#include "app/resource.h"
#include "settings/CataloguePieces.h"
#include "settings/ControlFactories.h"
#include "settings/SettingsDialogState.h"
#include "settings/SettingsFakes.h"

namespace Tavrune::Settings {
namespace {

using Test::DialogWatcher;

class RecordingAnnotator : public AccessibleAnnotator {
 public:
  void annotate(HWND window, AccessibleProperty property, const std::wstring& text) override {
    std::lock_guard lock(mutex);
    texts[{window, property}] = text;
  }
  std::wstring text(HWND window, AccessibleProperty property) {
    std::lock_guard lock(mutex);
    auto found = texts.find({window, property});
    return found == texts.end() ? L"" : found->second;
  }

 private:
  std::mutex mutex;
  std::map<std::pair<HWND, AccessibleProperty>, std::wstring> texts;
};

class FakeHost : public SettingsDialogHost {
 public:
  const AudioConfig& audioSettings() const override { return audio; }
  AudioManager* runningAudio() override { return nullptr; }
  PieceColor previewSide() const override { return RED; }
  void restoreAudio() override { ++restores; }
  bool chooseEngine(HWND) override { return engineChosen; }
  std::string currentEnginePath() const override { return "C:\\象棋\\engines\\pikafish-bmi2.exe"; }
  void chooseSoundPack(HWND) override {}
  ApplyResult runAction(const std::string& key) override {
    actions.push_back(key);
    return {};
  }
  void fillInformationRows(Provider&) override { ++fills; }

  AudioConfig audio;
  bool engineChosen = false;
  std::atomic<int> restores{0};
  std::atomic<int> fills{0};
  std::vector<std::string> actions;
};

enum Page { kBasic = 0, kAdvanced = 1, kEngine = 2, kAudio = 4, kSystem = 5 };

// Helpers for the helper thread: every call into the dialog is a sent message, so the
// dialog has finished with it (and with the state it read) when the call returns.
const ControlWidget* widgetOf(HWND dialog, const std::string& key) {
  for (const ControlWidget& widget : dialogState(dialog)->widgets) {
    if (widget.control && widget.control->id == key) return &widget;
  }
  ADD_FAILURE() << "no control " << key;
  return nullptr;
}

void showPage(HWND dialog, int page, bool post = false) {
  HWND list = GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST);
  SendMessageW(list, LB_SETCURSEL, page, 0);
  const WPARAM command = MAKEWPARAM(IDC_SETTINGS_PAGE_LIST, LBN_SELCHANGE);
  if (post) {
    PostMessageW(dialog, WM_COMMAND, command, LPARAM(list));
  } else {
    SendMessageW(dialog, WM_COMMAND, command, LPARAM(list));
  }
}

void typeInto(HWND box, const std::wstring& text) { SendMessageW(box, WM_SETTEXT, 0, LPARAM(text.c_str())); }
int sliderAt(HWND dialog, const std::string& key) { return int(SendMessageW(widgetOf(dialog, key)->editor, TBM_GETPOS, 0, 0)); }
void slide(HWND dialog, const std::string& key, int position) {
  HWND trackbar = widgetOf(dialog, key)->editor;
  SendMessageW(trackbar, TBM_SETPOS, TRUE, position);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(trackbar));
}
void click(HWND dialog, const std::string& key) { SendMessageW(widgetOf(dialog, key)->editor, BM_CLICK, 0, 0); }

// A message box of this process with the caption, other than the settings dialog.
HWND findBox(const std::wstring& caption, HWND settingsDialog) {
  for (int tries = 0; tries < 250; ++tries, Sleep(20)) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", caption.c_str()); w;
         w = FindWindowExW(nullptr, w, L"#32770", caption.c_str())) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (w != settingsDialog && process == GetCurrentProcessId() && IsWindowVisible(w)) return w;
    }
  }
  return nullptr;
}

// Posts a command that will show a box captioned `caption`, answers it, and gives its text.
std::wstring answerBoxAfter(HWND dialog, const std::wstring& caption, const std::function<void()>& trigger) {
  trigger();
  HWND box = findBox(caption, dialog);
  EXPECT_NE(box, nullptr) << "no box";
  if (!box) return {};
  Sleep(100);  // let the box finish opening
  const std::wstring text = DialogWatcher::messageBoxText(box);
  DialogWatcher::press(box, IDOK);
  for (int tries = 0; tries < 250 && IsWindow(box); ++tries) Sleep(20);
  SendMessageW(dialog, WM_NULL, 0, 0);  // the command that showed it has finished
  return text;
}

std::wstring boxText(HWND dialog, const std::string& key) {
  return DialogWatcher::controlText(dialogState(dialog)->rowArea, widgetOf(dialog, key)->numberBoxId);
}

// The window that has the keyboard focus in the dialog's thread.
HWND focusOf(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

RECT screenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool inside(const RECT& inner, const RECT& outer) {
  RECT both{};
  return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

class SettingsDialogWindow : public ::testing::Test {
 protected:
  // Opens the dialog over the session and runs the script against it from a helper
  // thread; the dialog is cancelled afterwards if the script left it open.
  void run(const std::function<void(HWND)>& script, MenuNode schema = buildSettingsSchema()) {
    provider = std::make_unique<Provider>(std::move(schema), std::make_unique<FakeDataSource>(log), nullptr);
    provider->setPlatform(Platform::WindowsDesktop);
    ASSERT_TRUE(provider->openSession(nullptr));
    DialogWatcher watcher(L"软件设置", [&script](HWND dialog) {
      script(dialog);
      if (IsWindow(dialog)) DialogWatcher::press(dialog, IDCANCEL);
    }, 10000);
    showSettingsDialog(nullptr, host, *provider, annotator);
    EXPECT_TRUE(watcher.wait());
  }
  SettingValue stored(const std::string& key) { return log.stored.count(key) ? log.stored[key] : SettingValue{}; }

  SessionLog log;
  std::unique_ptr<Provider> provider;
  FakeHost host;
  RecordingAnnotator annotator;
};

TEST_F(SettingsDialogWindow, TellsScreenReadersWhatEveryControlIsOnEveryPage) {
  log.stored = {{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", int64_t{-1}}, {"ai.depth", int64_t{12}}};
  run([this](HWND dialog) {
    for (int page = 0; page < 6; ++page) {
      showPage(dialog, page);
      for (const ControlWidget& w : dialogState(dialog)->widgets) {
        if (!w.editor) continue;
        EXPECT_FALSE(annotator.text(w.editor, AccessibleProperty::Name).empty()) << w.control->id;
        if (!w.numberBox) continue;
        const std::wstring range = L"可输入范围 " + std::to_wstring(w.minimum) + L" 到 " + std::to_wstring(w.maximum);
        EXPECT_NE(annotator.text(w.numberBox, AccessibleProperty::Description).find(range), std::wstring::npos);
        EXPECT_EQ(annotator.text(w.numberBox, AccessibleProperty::Name),
                  annotator.text(w.editor, AccessibleProperty::Name) + L" 数值输入");
        EXPECT_FALSE(annotator.text(w.editor, AccessibleProperty::Value).empty()) << w.control->id;
      }
    }
    showPage(dialog, kBasic);
    EXPECT_EQ(annotator.text(widgetOf(dialog, "ai.depth")->editor, AccessibleProperty::Value), L"4%");
    EXPECT_NE(annotator.text(widgetOf(dialog, "ai.depth")->numberBox, AccessibleProperty::Description)
                  .find(L"。可输入范围 0 到 245"),
              std::wstring::npos);
    showPage(dialog, kAudio);
    EXPECT_EQ(annotator.text(widgetOf(dialog, "audio.enabled")->editor, AccessibleProperty::Description),
              L"统一控制游戏音频开关。");
    // The status line follows the focus.
    HWND toggle = widgetOf(dialog, "audio.enabled")->editor;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(toggle), BN_SETFOCUS), LPARAM(toggle));
    EXPECT_EQ(DialogWatcher::controlText(dialog, IDC_SETTINGS_STATUS), L"第5页 / 共6页  |  音效总开关。统一控制游戏音频开关。");
    EXPECT_TRUE(GetWindowLongW(toggle, GWL_STYLE) & BS_NOTIFY);
    // Tab goes from the page list through the page's rows to the buttons.
    HWND first = GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST), FALSE);
    EXPECT_EQ(first, dialogState(dialog)->widgets.front().editor);
    EXPECT_EQ(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDC_SETTINGS_APPLY), TRUE),
              dialogState(dialog)->widgets.back().editor);

    // The engine's information rows are read-only but reachable and readable.
    showPage(dialog, kEngine);
    HWND status = widgetOf(dialog, "ai.engineStatus")->editor;
    EXPECT_TRUE(IsWindowEnabled(status));
    EXPECT_TRUE(GetWindowLongW(status, GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongW(status, GWL_STYLE) & ES_READONLY);
  });
}

TEST_F(SettingsDialogWindow, ReadsSlidersAndNumberBoxesIntoTheDraft) {
  log.stored = {{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", int64_t{-1}}, {"ai.depth", int64_t{12}}};
  run([](HWND dialog) {
    // Typing moves the slider only once the number has as many digits as its limits.
    HWND depthBox = widgetOf(dialog, "ai.depth")->numberBox;
    for (const wchar_t* typed : {L"2", L"25", L"12a", L"-12"}) {
      typeInto(depthBox, typed);
      EXPECT_EQ(sliderAt(dialog, "ai.depth"), 12) << typed;
    }
    typeInto(depthBox, L"125");
    EXPECT_EQ(sliderAt(dialog, "ai.depth"), 125);

    showPage(dialog, kAudio);
    typeInto(widgetOf(dialog, "audio.masterVolumePercent")->numberBox, L"250");
    SendMessageW(widgetOf(dialog, "audio.gameSfxVolumePercent")->editor, TBM_SETPOS, TRUE, 37);
    typeInto(widgetOf(dialog, "audio.gameSfxVolumePercent")->numberBox, L"abc");
    SendMessageW(widgetOf(dialog, "audio.backgroundVolumePercent")->editor, TBM_SETPOS, TRUE, 38);
    typeInto(widgetOf(dialog, "audio.backgroundVolumePercent")->numberBox, L"");
    showPage(dialog, kSystem);
    showPage(dialog, kAudio);
    EXPECT_EQ(sliderAt(dialog, "audio.masterVolumePercent"), 100);
    EXPECT_EQ(sliderAt(dialog, "audio.gameSfxVolumePercent"), 35);
    EXPECT_EQ(sliderAt(dialog, "audio.backgroundVolumePercent"), 40);
    EXPECT_EQ(boxText(dialog, "audio.gameSfxVolumePercent"), L"35");
    showPage(dialog, kBasic);
    EXPECT_EQ(sliderAt(dialog, "ai.depth"), 125);
  });
}

TEST_F(SettingsDialogWindow, ARefusedValueKeepsThePageAndSaysWhy) {
  ControlSpec count = makeTextControl("x.count", "次数", "");
  count.valueKind = ValueKind::Integer;
  count.defaultValue = int64_t{0};
  count.minValue = 0;
  count.maxValue = 10;
  MenuNode schema;
  schema.id = "menu.settings";
  schema.children.push_back(makeLeafMenu("first", "第一", "", "第一", "", {count}));
  schema.children.push_back(makeLeafMenu("second", "第二", "", "第二", "", {makeBoolControl("x.on", "开", false)}));
  run([this](HWND dialog) {
    HWND box = widgetOf(dialog, "x.count")->editor;
    HWND list = GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST);
    const struct {
      const wchar_t* typed;
      std::wstring message;
    } refusals[] = {{L"abc", L"整数格式无效"}, {L"50", L"value is larger than max for control: x.count"}};
    for (const auto& refusal : refusals) {
      typeInto(box, refusal.typed);
      EXPECT_EQ(answerBoxAfter(dialog, L"设置失败", [&] { showPage(dialog, 1, true); }), refusal.message);
      EXPECT_EQ(dialogState(dialog)->currentPage, 0);
      EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
      EXPECT_EQ(widgetOf(dialog, "x.count")->editor, box);
    }
    typeInto(box, L" 7 次");
    showPage(dialog, 1);
    EXPECT_EQ(dialogState(dialog)->currentPage, 1);
    EXPECT_EQ(answerBoxAfter(dialog, L"软件设置", [&] { DialogWatcher::press(dialog, IDC_SETTINGS_APPLY); }), L"设置已应用。");
    EXPECT_EQ(stored("x.count"), SettingValue(int64_t{7}));
  }, std::move(schema));
}

TEST_F(SettingsDialogWindow, CancelUndoesPreviewsAndKeepsTheStoreAsItWas) {
  run([](HWND dialog) {
    showPage(dialog, kAudio);
    slide(dialog, "audio.masterVolumePercent", 37);
    EXPECT_EQ(boxText(dialog, "audio.masterVolumePercent"), L"35");
  });
  EXPECT_EQ(host.restores, 1);
  EXPECT_TRUE(log.stored.empty());
}

TEST_F(SettingsDialogWindow, EveryRebuildKeepsWhatWasMovedOnThePage) {
  run([this](HWND dialog) {
    showPage(dialog, kAudio);
    slide(dialog, "audio.masterVolumePercent", 40);
    click(dialog, "audio.gameSfxEnabled");  // rebuilds the page
    EXPECT_EQ(sliderAt(dialog, "audio.masterVolumePercent"), 40);
    EXPECT_EQ(answerBoxAfter(dialog, L"软件设置", [&] { DialogWatcher::press(dialog, IDC_SETTINGS_APPLY); }), L"设置已应用。");
    EXPECT_EQ(host.fills, 1);  // the reopened session shows the engine's live state again
    slide(dialog, "audio.masterVolumePercent", 60);
    DialogWatcher::press(dialog, IDOK);
  });
  EXPECT_EQ(stored("audio.masterVolumePercent"), SettingValue(int64_t{60}));
  EXPECT_EQ(stored("audio.gameSfxEnabled"), SettingValue(false));
  EXPECT_EQ(host.restores, 0);
  EXPECT_EQ(host.fills, 2);
}

TEST_F(SettingsDialogWindow, EngineButtonsStoreOnlyWhatWasChosen) {
  run([this](HWND dialog) {
    showPage(dialog, kEngine);
    auto draft = [this](const std::string& key) {
      for (const ControlState& row : provider->listPageControls("menu.settings.ai.engine")) {
        if (row.control->id == key) return row.value;
      }
      return SettingValue{};
    };
    click(dialog, "ai.engineSelectDialog");  // the chooser is cancelled
    EXPECT_EQ(draft("ai.autoSelectEngine"), SettingValue(true));
    EXPECT_EQ(draft("ai.enginePath"), SettingValue(std::string("engines\\pikafish.exe")));

    host.engineChosen = true;
    click(dialog, "ai.engineSelectDialog");
    EXPECT_EQ(draft("ai.autoSelectEngine"), SettingValue(false));
    EXPECT_EQ(draft("ai.enginePath"), SettingValue(host.currentEnginePath()));
    EXPECT_EQ(draft("ai.engineVariant"), SettingValue(std::string("pikafish-bmi2.exe")));

    click(dialog, "ai.autoSelectEngine");  // ticked again: the best build beside the program
    EXPECT_EQ(draft("ai.enginePath"), SettingValue("engines\\" + std::get<std::string>(draft("ai.engineVariant"))));

    showPage(dialog, kAdvanced);
    click(dialog, "ai.clearHash");
    EXPECT_EQ(host.actions, std::vector<std::string>{"ai.clearHash"});
  });
}

TEST_F(SettingsDialogWindow, RowsStayInsideTheFrameAndTabShowsEachOne) {
  run([](HWND dialog) {
    showPage(dialog, kAdvanced);
    const SettingsDialogState& state = *dialogState(dialog);
    const RECT area = screenRect(state.rowArea);
    EXPECT_TRUE(inside(area, screenRect(GetDlgItem(dialog, IDC_SETTINGS_FRAME))));
    EXPECT_TRUE(std::all_of(state.createdWindows.begin(), state.createdWindows.end(),
                            [&state](HWND row) { return GetParent(row) == state.rowArea; }));

    // Tab from the page list reaches the last row, scrolled into view.
    const ControlWidget& lastRow = state.widgets.back();
    HWND last = lastRow.numberBox ? lastRow.numberBox : lastRow.editor;
    SendMessageW(dialog, WM_NEXTDLGCTL, WPARAM(GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST)), TRUE);
    for (int presses = 0; presses < 100 && focusOf(dialog) != last; ++presses) {
      SendMessageW(dialog, WM_NEXTDLGCTL, 0, 0);
      if (findWidgetByWindow(*dialogState(dialog), focusOf(dialog))) {
        EXPECT_TRUE(inside(screenRect(focusOf(dialog)), area));
      }
    }
    ASSERT_EQ(focusOf(dialog), last);
    EXPECT_GT(state.scrollPos, 0);

    // A click at the centre of 应用 reaches 应用.
    const RECT apply = screenRect(GetDlgItem(dialog, IDC_SETTINGS_APPLY));
    const POINT centre{(apply.left + apply.right) / 2, (apply.top + apply.bottom) / 2};
    HWND hit = WindowFromPoint(centre);
    POINT at = centre;
    ScreenToClient(hit, &at);
    EXPECT_EQ(answerBoxAfter(dialog, L"软件设置", [&] {
                PostMessageW(hit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
                PostMessageW(hit, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
              }),
              L"设置已应用。");
  });
}

TEST_F(SettingsDialogWindow, ArrowsMoveAmongTheThreeButtonsOnly) {
  run([](HWND dialog) {
    HWND apply = GetDlgItem(dialog, IDC_SETTINGS_APPLY), save = GetDlgItem(dialog, IDOK);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    SendMessageW(dialog, WM_NEXTDLGCTL, WPARAM(cancel), TRUE);
    for (const auto& [key, lands] : {std::pair{VK_DOWN, apply}, {VK_DOWN, save}, {VK_DOWN, cancel}, {VK_UP, save},
                                     {VK_UP, apply}, {VK_UP, cancel}}) {
      HWND from = focusOf(dialog);
      PostMessageW(from, WM_KEYDOWN, key, 0);  // through the dialog's own loop, as a pressed key
      for (int tries = 0; tries < 100 && focusOf(dialog) == from; ++tries) Sleep(20);
      EXPECT_EQ(focusOf(dialog), lands) << (key == VK_DOWN ? "down" : "up");
    }
  });
}

TEST_F(SettingsDialogWindow, RowsLeftAsTheyWereShownAreSavedAsTheyWereRead) {
  log.stored = {{"audio.backendType", std::string("MiniAudio")},
                {"ai.hashSize", int64_t{0}},
                {"ai.difficultyTier", int64_t{5}},
                {"ai.customElo", int64_t{0}}};
  run([](HWND dialog) {
    EXPECT_EQ(boxText(dialog, "ai.customElo"), L"1280");  // the range's nearer end
    showPage(dialog, kAdvanced);
    showPage(dialog, kAudio);
    EXPECT_EQ(SendMessageW(widgetOf(dialog, "audio.backendType")->editor, CB_GETCURSEL, 0, 0), 1);  // Miniaudio
    DialogWatcher::press(dialog, IDOK);
  });
  EXPECT_EQ(stored("audio.backendType"), SettingValue(std::string("MiniAudio")));
  EXPECT_EQ(stored("ai.hashSize"), SettingValue(int64_t{0}));
  EXPECT_EQ(stored("ai.customElo"), SettingValue(int64_t{0}));
}

TEST_F(SettingsDialogWindow, RowsChangedAndChangedBackAreSavedAsShown) {
  run([](HWND dialog) {
    showPage(dialog, kAudio);
    HWND backend = widgetOf(dialog, "audio.backendType")->editor;
    HWND hrtf = widgetOf(dialog, "audio.hrtfPreferred")->editor;
    const auto choose = [&](int index) {  // the page is read without being rebuilt
      SendMessageW(backend, CB_SETCURSEL, index, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(backend), CBN_SELCHANGE), LPARAM(backend));
    };
    typeInto(hrtf, L"Listener B");
    choose(2);
    typeInto(hrtf, L"");
    choose(0);
    ASSERT_EQ(widgetOf(dialog, "audio.backendType")->editor, backend);
    DialogWatcher::press(dialog, IDOK);
  });
  EXPECT_EQ(stored("audio.backendType"), SettingValue(std::string("auto")));
  EXPECT_EQ(stored("audio.hrtfPreferred"), SettingValue(std::string()));
}

}  // namespace
}  // namespace Tavrune::Settings
