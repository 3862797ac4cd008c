// The UI Automation switch on Windows 7 and Windows 10, each in a copy of this program
// that Wine tells that version, and the manager's UI Automation path where it is on.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>

#include "TestBoardWindow.h"
#include "UiaRecorder.h"
#include "WindowsVersionChild.h"
#include "accessibility/AccessibilityManager.h"
#include "accessibility/UiaIdentifiers.h"
#include "accessibility/UiaPatternProviders.h"

namespace Tavrune {
namespace {

using Microsoft::WRL::ComPtr;
using A11yTest::UiaCall;

#define SKIP_UNLESS_CHILD_OF(version)                                                     \
  do {                                                                                    \
    std::string expected;                                                                 \
    if (!A11yTest::inVersionChild(&expected) || expected != (version)) {                      \
      GTEST_SKIP() << "runs in a copy of this program that Wine tells " << (version);     \
    }                                                                                     \
  } while (0)

RTL_OSVERSIONINFOW windowsVersion() {
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (rtlGetVersion) rtlGetVersion(&info);
  return info;
}

TEST(UiaSwitch, IsRefusedOnWindows7AndOfferedOnWindows10) {
  if (A11yTest::inVersionChild()) GTEST_SKIP() << "the copies run the tests below";
  if (!A11yTest::runningUnderWine()) GTEST_SKIP() << "needs Wine's per-program Windows version";
  EXPECT_EQ(A11yTest::runTestsAsWindowsVersion(L"win7", "UiaInChild*.*"), 0);
  EXPECT_EQ(A11yTest::runTestsAsWindowsVersion(L"win10", "UiaInChild*.*"), 0);
}

class UiaInChildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.attach(&manager);
    manager.initialize(window.handle(), &A11yTest::openingPieceAt);
  }
  A11yTest::UiaRecorder recorder;  // first: outlives the manager's last raise
  A11yTest::TestBoardWindow window;
  AccessibilityManager manager;
};

TEST_F(UiaInChildTest, Windows7KeepsUiaOff) {
  SKIP_UNLESS_CHILD_OF("win7");
  const RTL_OSVERSIONINFOW version = windowsVersion();
  ASSERT_EQ(version.dwMajorVersion, 6u);
  manager.setUiaProviderEnabled(true);
  EXPECT_FALSE(manager.isUiaEnabled());
  EXPECT_EQ(manager.handleGetObject(0, Uia::kRootObjectId), 0);
  manager.setFocusCell(Position(1, 1));
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(UiaInChildTest, Windows10SwitchesUiaBothWays) {
  SKIP_UNLESS_CHILD_OF("win10");
  ASSERT_GE(windowsVersion().dwMajorVersion, 10u);
  manager.setUiaProviderEnabled(true);
  EXPECT_TRUE(manager.isUiaEnabled());
  manager.setUiaProviderEnabled(false);
  EXPECT_FALSE(manager.isUiaEnabled());
  EXPECT_EQ(manager.handleGetObject(0, Uia::kRootObjectId), 0);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(UiaInChildTest, Windows10EventsReachUiaInOrder) {
  SKIP_UNLESS_CHILD_OF("win10");
  manager.setUiaProviderEnabled(true);
  ASSERT_EQ(manager.handleGetObject(7, Uia::kRootObjectId), 0x1234);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].kind, UiaCall::ReturnProvider);
  EXPECT_EQ(recorder.calls[0].window, window.handle());
  EXPECT_EQ(recorder.calls[0].wParam, 7u);
  EXPECT_EQ(recorder.calls[0].lParam, Uia::kRootObjectId);
  ComPtr<IRawElementProviderSimple> board = recorder.lastProvider;
  ASSERT_TRUE(board);

  manager.setFocusCell(Position(0, 5));  // no cells yet: nothing to raise on
  ComPtr<IGridProvider> grid;
  ASSERT_EQ(board.As(&grid), S_OK);
  ComPtr<IRawElementProviderSimple> cell22, cell45;
  grid->GetItem(2, 4, &cell22);
  grid->GetItem(5, 0, &cell45);
  recorder.calls.clear();

  Move move;
  move.from = Position(4, 0);
  move.to = Position(4, 2);
  manager.notifySelection(move);
  manager.setFocusCell(Position(0, 5));
  manager.notifyCellChanged(Position(4, 2), BLACK_CANNON);
  manager.setStatusText(L"黑方走棋");  // notices reach UI Automation through the MSAA root only
  const IUnknown* boardId = A11yTest::identityOf(board.Get());
  const struct {
    UiaCall::Kind kind;
    const IUnknown* element;
    int id;
  } expected[] = {
      {UiaCall::Event, A11yTest::identityOf(cell22.Get()), Uia::kElementSelectedEvent},
      {UiaCall::Event, boardId, Uia::kSelectionInvalidatedEvent},
      {UiaCall::Event, A11yTest::identityOf(cell45.Get()), Uia::kFocusChangedEvent},
      {UiaCall::PropertyChanged, A11yTest::identityOf(cell22.Get()), Uia::kNameProperty},
  };
  ASSERT_EQ(recorder.calls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(recorder.calls[i].kind, expected[i].kind) << i;
    EXPECT_EQ(recorder.calls[i].element, expected[i].element) << i;
    EXPECT_EQ(recorder.calls[i].id, expected[i].id) << i;
  }
  EXPECT_EQ(recorder.calls[3].newValue, L"黑炮5 2");

  // The view side reaches the UI Automation cells too.
  manager.setViewSide(RED);
  VARIANT name;
  cell45->GetPropertyValue(Uia::kNameProperty, &name);
  EXPECT_STREQ(name.bstrVal, L"9 4");
  VariantClear(&name);

  recorder.calls.clear();
  manager.disconnectProviders();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].kind, UiaCall::ReturnProvider);
  EXPECT_EQ(recorder.calls[0].window, window.handle());
  EXPECT_EQ(recorder.calls[0].element, nullptr);
  EXPECT_EQ(recorder.calls[0].wParam, 0u);
  EXPECT_EQ(recorder.calls[0].lParam, 0);
  EXPECT_EQ(cell45->GetPropertyValue(Uia::kNameProperty, &name), Uia::kElementNotAvailable);
}

TEST_F(UiaInChildTest, Windows10FaultInsideTheGuardTurnsUiaOff) {
  SKIP_UNLESS_CHILD_OF("win10");
  manager.setUiaProviderEnabled(true);
  recorder.faultInReturnProvider = true;
  EXPECT_EQ(manager.handleGetObject(0, Uia::kRootObjectId), 0);
  EXPECT_FALSE(manager.isUiaEnabled());
  recorder.faultInReturnProvider = false;
  EXPECT_EQ(manager.handleGetObject(0, Uia::kRootObjectId), 0);
  EXPECT_TRUE(recorder.calls.empty());
  // The MSAA tree still answers.
  ComPtr<IAccessible> root;
  EXPECT_EQ(AccessibleObjectFromWindow(window.handle(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(root.GetAddressOf())),
            S_OK);
}

// A UI Automation client on another thread reads the board through UIA core.
TEST(UiaInChildClient, Windows10ReadsTheRootThroughUiaCore) {
  SKIP_UNLESS_CHILD_OF("win10");
  using NodeFromHandle = HRESULT(WINAPI*)(HWND, void**);
  using GetPropertyValue = HRESULT(WINAPI*)(void*, PROPERTYID, VARIANT*);
  using NodeRelease = BOOL(WINAPI*)(void*);
  HMODULE core = LoadLibraryW(L"UIAutomationCore.dll");
  ASSERT_NE(core, nullptr);
  auto nodeFromHandle = reinterpret_cast<NodeFromHandle>(reinterpret_cast<void*>(GetProcAddress(core, "UiaNodeFromHandle")));
  auto getPropertyValue =
      reinterpret_cast<GetPropertyValue>(reinterpret_cast<void*>(GetProcAddress(core, "UiaGetPropertyValue")));
  auto nodeRelease = reinterpret_cast<NodeRelease>(reinterpret_cast<void*>(GetProcAddress(core, "UiaNodeRelease")));
  ASSERT_TRUE(nodeFromHandle && getPropertyValue && nodeRelease);

  A11yTest::TestBoardWindow window;
  AccessibilityManager manager;
  window.attach(&manager);
  manager.initialize(window.handle(), &A11yTest::openingPieceAt);
  manager.setUiaProviderEnabled(true);
  ASSERT_TRUE(manager.isUiaEnabled());

  HRESULT found = E_FAIL;
  std::wstring name;
  LONG controlType = 0;
  A11yTest::runOnClientThread([&] {
    void* node = nullptr;
    found = nodeFromHandle(window.handle(), &node);
    if (FAILED(found) || !node) return;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(getPropertyValue(node, Uia::kNameProperty, &value)) && value.vt == VT_BSTR) {
      name = value.bstrVal;
    }
    VariantClear(&value);
    if (SUCCEEDED(getPropertyValue(node, Uia::kControlTypeProperty, &value)) && value.vt == VT_I4) {
      controlType = value.lVal;
    }
    VariantClear(&value);
    nodeRelease(node);
  });
  EXPECT_EQ(found, S_OK);
  EXPECT_EQ(name, L"象棋棋盘");
  EXPECT_EQ(controlType, Uia::kTableControlType);
}

}  // namespace
}  // namespace Tavrune
