// The Windows menu bar built from the model and its item states, read back in-process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MenuBuilder.h"
#include "app/PromptBox.h"

namespace Tavrune {
namespace {

struct ReadItem {
  bool separator = false;
  UINT id = 0;
  UINT state = 0;
  std::wstring label;
};

ReadItem readItem(HMENU menu, UINT item, BOOL byPosition) {
  wchar_t text[128] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 127;
  EXPECT_TRUE(GetMenuItemInfoW(menu, item, byPosition, &info)) << item;
  return ReadItem{(info.fType & MFT_SEPARATOR) != 0, info.wID, info.fState, text};
}

class MenuBuilderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (bar != nullptr) DestroyMenu(bar);
  }
  HMENU bar = MenuBuilder::build();
};

TEST_F(MenuBuilderTest, BarMatchesTheModel) {
  ASSERT_NE(bar, nullptr);
  const std::vector<MenuPopup>& model = MenuModel::menuBar();
  ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(model.size()));
  for (size_t p = 0; p < model.size(); ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(readItem(bar, static_cast<UINT>(p), TRUE).label, model[p].title);
    HMENU popup = GetSubMenu(bar, static_cast<int>(p));
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(model[p].entries.size()));
    for (size_t i = 0; i < model[p].entries.size(); ++i) {
      const MenuEntry& entry = model[p].entries[i];
      const ReadItem item = readItem(popup, static_cast<UINT>(i), TRUE);
      EXPECT_EQ(item.separator, entry.separator) << i;
      if (entry.separator) continue;
      EXPECT_EQ(item.id, static_cast<UINT>(entry.command)) << i;
      EXPECT_EQ(item.label, entry.label) << i;
      EXPECT_EQ(item.state & (MFS_GRAYED | MFS_CHECKED), 0u) << i;
    }
  }
  HMENU game = MenuBuilder::gamePopup(bar);
  ASSERT_NE(game, nullptr);
  EXPECT_EQ(GetMenuItemID(game, 0), 200u);
  EXPECT_EQ(MenuBuilder::gamePopup(nullptr), nullptr);
}

TEST_F(MenuBuilderTest, StatesAreWrittenAndWrittenBack) {
  ASSERT_NE(bar, nullptr);
  SessionStatus stoppedUnderReview{false, true, REVIEW, true, MODE_PVP};
  SessionStatus playing{true, false, PLAYING, false, MODE_PVE};
  // Applied twice so that greying, checking and relabelling are also undone.
  for (const auto& [status, professional] :
       std::vector<std::pair<SessionStatus, bool>>{{stoppedUnderReview, true}, {playing, false}}) {
    const std::vector<MenuItemState> states = MenuModel::itemStates(status, professional);
    MenuBuilder::apply(bar, states);
    for (const MenuItemState& expected : states) {
      SCOPED_TRACE(static_cast<int>(expected.command));
      const ReadItem item = readItem(bar, static_cast<UINT>(expected.command), FALSE);
      EXPECT_EQ((item.state & MFS_GRAYED) == 0, expected.enabled);
      EXPECT_EQ((item.state & MFS_CHECKED) != 0, expected.checked);
      EXPECT_EQ(item.label, expected.label);
    }
  }
  EXPECT_EQ(readItem(bar, 209, FALSE).label, L"停止当前对局");
}

TEST_F(MenuBuilderTest, UpdateWritesIntoTheWindowsBar) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TavruneMenuTest";
  ASSERT_TRUE(RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"menu test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr) << GetLastError();
  const SessionStatus stopped{false, false, PLAYING, true};
  MenuBuilder::update(window, MenuModel::itemStates(stopped, false));  // no bar yet: nothing

  ASSERT_TRUE(SetMenu(window, bar));
  HMENU attached = bar;
  bar = nullptr;  // the window owns it now
  MenuBuilder::update(window, MenuModel::itemStates(stopped, false));
  EXPECT_EQ(readItem(attached, 209, FALSE).label, L"恢复当前对局");
  EXPECT_NE(readItem(attached, 203, FALSE).state & MFS_GRAYED, 0u);
  DestroyWindow(window);
}

uint32_t styleOf(MessageBoxKind kind) {
  PromptBox box;
  box.kind = kind;
  return box.style();
}

TEST(PromptBoxWindowsTest, ValuesMatchWindows) {
  EXPECT_EQ(styleOf(MessageBoxKind::YesNoQuestion), static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(styleOf(MessageBoxKind::YesNoCancelQuestion),
            static_cast<uint32_t>(MB_YESNOCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(styleOf(MessageBoxKind::Information), static_cast<uint32_t>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(styleOf(MessageBoxKind::Plain), static_cast<uint32_t>(MB_OK));
  EXPECT_EQ(styleOf(MessageBoxKind::Error), static_cast<uint32_t>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(PromptBox::answerFromResult(IDOK), BoxAnswer::Ok);
  EXPECT_EQ(PromptBox::answerFromResult(IDYES), BoxAnswer::Yes);
  EXPECT_EQ(PromptBox::answerFromResult(IDNO), BoxAnswer::No);
  EXPECT_EQ(PromptBox::answerFromResult(IDCANCEL), BoxAnswer::Cancel);
}

}  // namespace
}  // namespace Tavrune
