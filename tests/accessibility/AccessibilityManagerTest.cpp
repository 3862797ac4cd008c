// The accessibility manager with a real window, read through WinEvents and in-process
// Active Accessibility calls.
#include "accessibility/AccessibilityManager.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <thread>

#include "TestBoardWindow.h"
#include "UiaRecorder.h"
#include "WinEventRecorder.h"
#include "accessibility/UiaIdentifiers.h"
#include "platform/WinAnnouncer.h"

namespace Tavrune {
namespace {

using Microsoft::WRL::ComPtr;
using A11yTest::WinEvent;

VARIANT childVariant(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::wstring nameOf(IAccessible* object, long child) {
  BSTR name = nullptr;
  if (FAILED(object->get_accName(childVariant(child), &name)) || !name) return L"<none>";
  std::wstring text = name;
  SysFreeString(name);
  return text;
}

// Takes back the object an LRESULT of WM_GETOBJECT stands for, so it does not leak.
bool takeObject(LRESULT result, WPARAM wParam) {
  if (result <= 0) return false;
  ComPtr<IAccessible> object;
  return SUCCEEDED(ObjectFromLresult(result, IID_IAccessible, wParam,
                                     reinterpret_cast<void**>(object.GetAddressOf()))) &&
         object;
}

std::wstring windowTitle(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

class AccessibilityManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.attach(&manager);
    ASSERT_TRUE(manager.initialize(window.handle(), &A11yTest::openingPieceAt));
  }
  // The root as a client in this process gets it.
  ComPtr<IAccessible> root() {
    ComPtr<IAccessible> accessible;
    EXPECT_EQ(AccessibleObjectFromWindow(window.handle(), static_cast<DWORD>(OBJID_CLIENT),
                                         IID_IAccessible, reinterpret_cast<void**>(accessible.GetAddressOf())),
              S_OK);
    return accessible;
  }
  long state(IAccessible* accessible, long child) {
    VARIANT value;
    EXPECT_EQ(accessible->get_accState(childVariant(child), &value), S_OK);
    return value.lVal;
  }

  A11yTest::TestBoardWindow window;
  AccessibilityManager manager;
};

TEST_F(AccessibilityManagerTest, StatusTextBecomesTitleNameAndEventsInOrder) {
  A11yTest::WinEventRecorder events(window.handle());
  ASSERT_TRUE(events.hooked());
  ComPtr<IAccessible> accessible = root();
  EXPECT_EQ(nameOf(accessible.Get(), CHILDID_SELF), L"象棋棋盘");

  manager.setStatusText(L"红方走棋");
  EXPECT_EQ(windowTitle(window.handle()), L"Velmora - 红方走棋");
  EXPECT_EQ(nameOf(accessible.Get(), CHILDID_SELF), L"红方走棋");
  BSTR description = nullptr;
  ASSERT_EQ(accessible->get_accDescription(childVariant(CHILDID_SELF), &description), S_OK);
  EXPECT_STREQ(description, L"红方走棋");
  SysFreeString(description);
  const std::vector<WinEvent> expected = {{EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, CHILDID_SELF},
                                          {EVENT_OBJECT_DESCRIPTIONCHANGE, OBJID_CLIENT, CHILDID_SELF},
                                          {EVENT_OBJECT_LIVEREGIONCHANGED, OBJID_CLIENT, CHILDID_SELF}};
  EXPECT_EQ(events.waitFor(3), expected);
}

TEST_F(AccessibilityManagerTest, AnnouncerSpeaksThroughTheManager) {
  A11yTest::WinEventRecorder events(window.handle());
  WinAnnouncer announcer(&manager);
  announcer.announce(L"将军");
  EXPECT_EQ(windowTitle(window.handle()), L"Velmora - 将军");
  announcer.cellChanged(Position(4, 2), BLACK_CANNON);
  const auto& seen = events.waitFor(4);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[3], (WinEvent{EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, 23}));
}

TEST_F(AccessibilityManagerTest, FocusAndSelectionMoveFlagsAndRaiseEventsForTheirCells) {
  A11yTest::WinEventRecorder events(window.handle());
  ComPtr<IAccessible> accessible = root();
  manager.setFocusCell(Position(0, 5));
  Move move;
  move.from = Position(4, 0);
  move.to = Position(4, 2);
  manager.notifySelection(move);
  manager.syncFocus(Position(4, 2));
  const std::vector<WinEvent> expected = {{EVENT_OBJECT_FOCUS, OBJID_CLIENT, 46},
                                          {EVENT_OBJECT_SELECTION, OBJID_CLIENT, 23},
                                          {EVENT_OBJECT_FOCUS, OBJID_CLIENT, 23}};
  EXPECT_EQ(events.waitFor(3), expected);

  VARIANT focus;
  ASSERT_EQ(accessible->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, 23);
  for (long child = 1; child <= 90; ++child) {
    const long expectedState = child == 23 ? 0x300006 : 0x300000;
    EXPECT_EQ(state(accessible.Get(), child), expectedState) << child;
  }
  EXPECT_EQ(state(accessible.Get(), CHILDID_SELF), 0);
}

TEST_F(AccessibilityManagerTest, PointsOffTheBoardTouchNoCell) {
  ComPtr<IAccessible> accessible = root();
  manager.setFocusCell(Position(0, 0));
  for (const Position& off : {Position(-1, -1), Position(9, 0), Position(0, 10), Position(-9, 3)}) {
    manager.setFocusCell(off);
    Move move;
    move.to = off;
    manager.notifySelection(move);
    manager.notifyCellChanged(off, EMPTY);
  }
  for (long child = 1; child <= 90; ++child) EXPECT_EQ(state(accessible.Get(), child), 0x300000) << child;
  EXPECT_EQ(manager.focus(), Position(-9, 3));
}

TEST_F(AccessibilityManagerTest, ViewSideSetsTheNumberingOfEveryCell) {
  ComPtr<IAccessible> accessible = root();
  const long rook = 9 * 9 + 0 + 1;
  EXPECT_EQ(nameOf(accessible.Get(), rook), L"红车1 9");
  manager.setViewSide(RED);
  EXPECT_EQ(nameOf(accessible.Get(), rook), L"红车9 0");
  EXPECT_EQ(nameOf(accessible.Get(), 41), L"5 5");
  manager.setViewSide(BLACK);
  for (long child = 1; child <= 90; ++child) {
    const Position pos((child - 1) % 9, (child - 1) / 9);
    const std::wstring numbers = std::to_wstring(pos.x + 1) + L" " + std::to_wstring(pos.y);
    const std::wstring name = nameOf(accessible.Get(), child);
    EXPECT_EQ(name.substr(name.size() - numbers.size()), numbers) << child;
  }
  manager.setViewSide(NONE);
  EXPECT_EQ(nameOf(accessible.Get(), rook), L"红车1 9");
}

TEST_F(AccessibilityManagerTest, BoardFlipMovesCellsButNotTheirNames) {
  ComPtr<IAccessible> accessible = root();
  const POINT origin = A11yTest::clientOrigin(window.handle());
  long left = 0, top = 0, width = 0, height = 0;
  manager.setViewSide(RED);
  manager.setBoardFlipped(true);
  ASSERT_EQ(accessible->accLocation(&left, &top, &width, &height, childVariant(1)), S_OK);
  EXPECT_EQ(left, origin.x + 490);
  EXPECT_EQ(top, origin.y + 580);
  EXPECT_EQ(nameOf(accessible.Get(), 1), L"黑车9 9");
  manager.setBoardFlipped(false);
  ASSERT_EQ(accessible->accLocation(&left, &top, &width, &height, childVariant(1)), S_OK);
  EXPECT_EQ(left, origin.x + 10);
  EXPECT_EQ(top, origin.y + 40);
  EXPECT_EQ(width, 60);
  EXPECT_EQ(height, 60);
  EXPECT_EQ(nameOf(accessible.Get(), 1), L"黑车9 9");
}

TEST_F(AccessibilityManagerTest, GetObjectAnswersOnlyTheClientWhileUiaIsOff) {
  A11yTest::UiaRecorder recorder;
  EXPECT_FALSE(manager.isUiaEnabled());
  EXPECT_EQ(manager.handleGetObject(0, Uia::kRootObjectId), 0);
  EXPECT_EQ(manager.handleGetObject(0, static_cast<LPARAM>(OBJID_WINDOW)), 0);
  // Only the low 32 bits of the long parameter name the object.
  EXPECT_TRUE(takeObject(manager.handleGetObject(0, static_cast<LPARAM>(0xABCD00000000LL | 0xFFFFFFFCLL)), 0));
  EXPECT_TRUE(recorder.calls.empty());

  manager.setUiaProviderEnabled(false);
  EXPECT_FALSE(manager.isUiaEnabled());
}

TEST(AccessibilityManagerBeforeInitialize, AnswersNothingAndKeepsOnlyTheFocus) {
  AccessibilityManager manager;
  int pointEvents = 0;  // none raised, so no notice need wait for one
  manager.setPointEventCallback([&] { ++pointEvents; });
  EXPECT_EQ(manager.handleGetObject(0, static_cast<LPARAM>(OBJID_CLIENT)), 0);
  manager.setStatusText(L"x");
  manager.setViewSide(RED);
  manager.setFocusCell(Position(2, 3));
  manager.notifySelection(Move{Position(2, 3), Position(2, 4)});
  EXPECT_EQ(manager.focus(), Position(2, 3));
  EXPECT_EQ(pointEvents, 0);
  manager.disconnectProviders();
}

TEST_F(AccessibilityManagerTest, HeldObjectsStopReachingTheWindowAndTheBoard) {
  int queries = 0;
  A11yTest::TestBoardWindow otherWindow;
  auto counted = std::make_unique<AccessibilityManager>();
  otherWindow.attach(counted.get());
  counted->initialize(otherWindow.handle(), [&queries](const Position& pos) {
    ++queries;
    return A11yTest::openingPieceAt(pos);
  });
  ComPtr<IAccessible> accessible;
  ASSERT_EQ(AccessibleObjectFromWindow(otherWindow.handle(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(accessible.GetAddressOf())),
            S_OK);
  ComPtr<IDispatch> cellDispatch;
  ASSERT_EQ(accessible->get_accChild(childVariant(1), &cellDispatch), S_OK);
  ComPtr<IAccessible> cell;
  ASSERT_EQ(cellDispatch.As(&cell), S_OK);
  EXPECT_EQ(nameOf(cell.Get(), CHILDID_SELF), L"黑车1 0");
  EXPECT_EQ(queries, 1);

  otherWindow.destroy();  // WM_DESTROY disconnects
  EXPECT_TRUE(takeObject(manager.handleGetObject(0, static_cast<LPARAM>(OBJID_CLIENT)), 0));  // others unaffected
  BSTR name = nullptr;
  EXPECT_EQ(cell->get_accName(childVariant(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
  long left, top, width, height;
  EXPECT_EQ(cell->accLocation(&left, &top, &width, &height, childVariant(CHILDID_SELF)),
            CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(cell->accDoDefaultAction(childVariant(CHILDID_SELF)), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(accessible->get_accName(childVariant(1), &name), CO_E_OBJNOTCONNECTED);
  counted.reset();  // the manager goes too; the objects stay alive through our references
  EXPECT_EQ(cell->get_accName(childVariant(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
  long count = 0;
  EXPECT_EQ(accessible->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(queries, 1);
}

TEST_F(AccessibilityManagerTest, IDispatchReportsThatItDoesNothing) {
  ComPtr<IAccessible> accessible = root();
  ComPtr<IDispatch> cell;
  ASSERT_EQ(accessible->get_accChild(childVariant(5), &cell), S_OK);
  for (IDispatch* object : {static_cast<IDispatch*>(accessible.Get()), cell.Get()}) {
    UINT count = 7;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(object->GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
    wchar_t nameText[] = L"accName";
    LPOLESTR names[] = {nameText};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    DISPPARAMS none{};
    EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
  }
}

// COM is left only by the object that entered it: after RPC_E_CHANGED_MODE the
// thread's multithreaded apartment belongs to its owner and must survive the manager.
TEST(ComApartmentOwnership, LeavesOnlyWhatItEntered) {
  HRESULT afterManager = E_FAIL;
  HRESULT ownEntry = E_FAIL;
  std::thread worker([&] {
    ownEntry = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    { AccessibilityManager manager; }
    afterManager = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still entered
    CoUninitialize();
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(ownEntry, S_OK);
  EXPECT_EQ(afterManager, S_FALSE);

  HRESULT afterBoth = E_FAIL;
  std::thread fresh([&] {
    {
      AccessibilityManager first;
      AccessibilityManager second;  // S_FALSE entry: still needs its own CoUninitialize
    }
    afterBoth = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_OK only when fully left
    if (SUCCEEDED(afterBoth)) CoUninitialize();
  });
  fresh.join();
  EXPECT_EQ(afterBoth, S_OK);
}

TEST(FormatString, KeepsAtMost1023Characters) {
  EXPECT_EQ(AccessibilityManager::formatString("result=0x%llX", 0x1234ULL), "result=0x1234");
  EXPECT_EQ(AccessibilityManager::formatString("%lu.%lu (Build %lu)", 10UL, 0UL, 19045UL), "10.0 (Build 19045)");
  const std::string longText(3000, 'x');
  EXPECT_EQ(AccessibilityManager::formatString("%s", longText.c_str()).size(), 1023u);
}

}  // namespace
}  // namespace Tavrune
