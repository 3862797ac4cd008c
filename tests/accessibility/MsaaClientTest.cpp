// The Active Accessibility tree read the way a screen reader reads it: from another
// thread through AccessibleObjectFromWindow, with every call marshalled to the UI thread.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <map>
#include <string>

#include "TestBoardWindow.h"
#include "accessibility/AccessibilityManager.h"

namespace Tavrune {
namespace {

using Microsoft::WRL::ComPtr;

VARIANT childVariant(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

ComPtr<IAccessible> clientRoot(HWND window) {
  ComPtr<IAccessible> root;
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                             reinterpret_cast<void**>(root.GetAddressOf()));
  return root;
}

ComPtr<IAccessible> childObject(IAccessible* root, long id, HRESULT* result = nullptr) {
  ComPtr<IDispatch> dispatch;
  const HRESULT hr = root->get_accChild(childVariant(id), &dispatch);
  if (result) *result = hr;
  ComPtr<IAccessible> child;
  if (dispatch) dispatch.As(&child);
  return child;
}

// Takes the string by reference: it is read only after the call that fills it.
std::wstring text(HRESULT hr, const BSTR& value) {
  if (FAILED(hr)) return L"<failed>";
  std::wstring result = value ? value : L"<null>";
  SysFreeString(value);
  return result;
}

std::wstring nameOf(IAccessible* object, long child) {
  BSTR name = nullptr;
  const HRESULT hr = object->get_accName(childVariant(child), &name);
  return text(hr, name);
}

class MsaaClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.attach(&manager);
    manager.initialize(window.handle(), &A11yTest::openingPieceAt);
  }
  A11yTest::TestBoardWindow window;
  AccessibilityManager manager;
};

TEST_F(MsaaClientTest, TreeShapeRolesAndEdges) {
  struct {
    bool gotRoot = false;
    long childCount = 0;
    HRESULT child0 = E_FAIL, child1 = E_FAIL, child90 = E_FAIL, child91 = E_FAIL;
    bool child1Present = false, child90Present = false, child0Null = false, child91Null = false;
    long rootRole = 0, childRole = 0, cellRole = 0, cellChildCount = -1;
    HRESULT name91 = S_OK, cellNameOfChild = S_OK, putName = S_OK, putValue = S_OK, rootAction = S_OK;
    HRESULT rootHit = S_OK, navigate = S_OK;
    VARTYPE rootHitType = VT_I4, navigateType = VT_I4;
    long parentChildCount = 0;
    HRESULT rootParent = E_FAIL;
    std::wstring defaultAction;
  } seen;
  A11yTest::runOnClientThread([&] {
    ComPtr<IAccessible> root = clientRoot(window.handle());
    seen.gotRoot = root != nullptr;
    if (!root) return;
    root->get_accChildCount(&seen.childCount);
    seen.child0Null = childObject(root.Get(), 0, &seen.child0) == nullptr;
    seen.child1Present = childObject(root.Get(), 1, &seen.child1) != nullptr;
    seen.child90Present = childObject(root.Get(), 90, &seen.child90) != nullptr;
    seen.child91Null = childObject(root.Get(), 91, &seen.child91) == nullptr;
    VARIANT role;
    root->get_accRole(childVariant(CHILDID_SELF), &role);
    seen.rootRole = role.lVal;
    root->get_accRole(childVariant(7), &role);
    seen.childRole = role.lVal;
    ComPtr<IAccessible> cell = childObject(root.Get(), 7);
    cell->get_accRole(childVariant(CHILDID_SELF), &role);
    seen.cellRole = role.lVal;
    cell->get_accChildCount(&seen.cellChildCount);
    BSTR name = nullptr;
    seen.name91 = root->get_accName(childVariant(91), &name);
    seen.cellNameOfChild = cell->get_accName(childVariant(1), &name);
    seen.putName = cell->put_accName(childVariant(CHILDID_SELF), nullptr);
    seen.putValue = root->put_accValue(childVariant(CHILDID_SELF), nullptr);
    seen.rootAction = root->accDoDefaultAction(childVariant(CHILDID_SELF));
    VARIANT hit;
    seen.rootHit = root->accHitTest(200, 200, &hit);
    seen.rootHitType = hit.vt;
    VARIANT end;
    seen.navigate = cell->accNavigate(NAVDIR_NEXT, childVariant(CHILDID_SELF), &end);
    seen.navigateType = end.vt;
    ComPtr<IDispatch> parent;
    if (cell->get_accParent(&parent) == S_OK && parent) {
      ComPtr<IAccessible> parentAccessible;
      parent.As(&parentAccessible);
      if (parentAccessible) parentAccessible->get_accChildCount(&seen.parentChildCount);
    }
    ComPtr<IDispatch> frame;
    seen.rootParent = root->get_accParent(&frame);
    BSTR action = nullptr;
    seen.defaultAction = text(cell->get_accDefaultAction(childVariant(CHILDID_SELF), &action), action);
  });
  ASSERT_TRUE(seen.gotRoot);
  EXPECT_EQ(seen.childCount, 90);
  EXPECT_EQ(seen.child0, S_FALSE);
  EXPECT_TRUE(seen.child0Null);
  EXPECT_EQ(seen.child1, S_OK);
  EXPECT_TRUE(seen.child1Present);
  EXPECT_EQ(seen.child90, S_OK);
  EXPECT_TRUE(seen.child90Present);
  EXPECT_EQ(seen.child91, S_FALSE);
  EXPECT_TRUE(seen.child91Null);
  EXPECT_EQ(seen.rootRole, ROLE_SYSTEM_TABLE);
  EXPECT_EQ(seen.childRole, ROLE_SYSTEM_CELL);
  EXPECT_EQ(seen.cellRole, ROLE_SYSTEM_CELL);
  EXPECT_EQ(seen.cellChildCount, 0);
  EXPECT_EQ(seen.name91, E_INVALIDARG);
  EXPECT_EQ(seen.cellNameOfChild, E_INVALIDARG);
  EXPECT_EQ(seen.putName, E_NOTIMPL);
  EXPECT_EQ(seen.putValue, E_NOTIMPL);
  EXPECT_EQ(seen.rootAction, E_NOTIMPL);
  EXPECT_EQ(seen.rootHit, S_FALSE);
  EXPECT_EQ(seen.rootHitType, VT_EMPTY);
  EXPECT_EQ(seen.navigate, S_FALSE);
  EXPECT_EQ(seen.navigateType, VT_EMPTY);
  EXPECT_EQ(seen.parentChildCount, 90);
  EXPECT_EQ(seen.rootParent, S_OK);
  EXPECT_EQ(seen.defaultAction, L"选择");
}

TEST_F(MsaaClientTest, NamesFromBothSidesAndTheNotice) {
  auto readNames = [&] {
    std::map<long, std::wstring> names;
    std::wstring description;
    A11yTest::runOnClientThread([&] {
      ComPtr<IAccessible> root = clientRoot(window.handle());
      for (long child : {static_cast<long>(CHILDID_SELF), 1L, 23L, 41L, 82L, 90L}) names[child] = nameOf(root.Get(), child);
      // The cell object itself gives the same name as the root does for its id.
      names[-82] = nameOf(childObject(root.Get(), 82).Get(), CHILDID_SELF);
      BSTR value = nullptr;
      description = text(root->get_accDescription(childVariant(CHILDID_SELF), &value), value);
    });
    names[-1000] = description;
    return names;
  };
  auto names = readNames();
  EXPECT_EQ(names[CHILDID_SELF], L"象棋棋盘");
  EXPECT_EQ(names[-1000], L"中国象棋棋盘");
  EXPECT_EQ(names[1], L"黑车1 0");
  EXPECT_EQ(names[23], L"5 2");
  EXPECT_EQ(names[82], L"红车1 9");
  EXPECT_EQ(names[-82], L"红车1 9");
  EXPECT_EQ(names[90], L"红车9 9");

  manager.setViewSide(RED);
  manager.setStatusText(L"黑方走棋");
  names = readNames();
  EXPECT_EQ(names[CHILDID_SELF], L"黑方走棋");
  EXPECT_EQ(names[-1000], L"黑方走棋");
  EXPECT_EQ(names[1], L"黑车9 9");
  EXPECT_EQ(names[41], L"5 5");
  EXPECT_EQ(names[82], L"红车9 0");
  EXPECT_EQ(names[-82], L"红车9 0");
  EXPECT_EQ(names[90], L"红车1 0");
}

TEST_F(MsaaClientTest, StatesFocusAndSelection) {
  manager.setFocusCell(Position(0, 5));
  Move move;
  move.to = Position(0, 5);
  manager.notifySelection(move);
  std::map<long, long> states;
  long focus = 0;
  A11yTest::runOnClientThread([&] {
    ComPtr<IAccessible> root = clientRoot(window.handle());
    for (long child : {static_cast<long>(CHILDID_SELF), 45L, 46L, 47L}) {
      VARIANT state;
      root->get_accState(childVariant(child), &state);
      states[child] = state.lVal;
    }
    VARIANT focused;
    root->get_accFocus(&focused);
    focus = focused.lVal;
  });
  EXPECT_EQ(focus, 46);
  EXPECT_EQ(states[CHILDID_SELF], 0);
  EXPECT_EQ(states[46], 0x300006);
  EXPECT_EQ(states[45], 0x300000);
  EXPECT_EQ(states[47], 0x300000);
}

TEST_F(MsaaClientTest, LocationsHitTestsAndDefaultActionFollowTheDrawnBoard) {
  const POINT origin = A11yTest::clientOrigin(window.handle());
  const struct {
    bool blackAtBottom;
    long child;                     // the point (3, 4): child 40
    long left, top;                 // client coordinates of its square
  } cases[] = {{false, 40, 190, 280}, {true, 40, 310, 340}};
  for (const auto& c : cases) {
    manager.setBoardFlipped(c.blackAtBottom);
    long left = 0, top = 0, width = 0, height = 0;
    long viaCellLeft = 0;
    HRESULT inside = E_FAIL, outside = E_FAIL;
    VARTYPE insideType = VT_EMPTY, outsideType = VT_I4;
    long insideChild = -1;
    HRESULT action = E_FAIL;
    A11yTest::runOnClientThread([&] {
      ComPtr<IAccessible> root = clientRoot(window.handle());
      root->accLocation(&left, &top, &width, &height, childVariant(c.child));
      ComPtr<IAccessible> cell = childObject(root.Get(), c.child);
      long t, w, h;
      cell->accLocation(&viaCellLeft, &t, &w, &h, childVariant(CHILDID_SELF));
      VARIANT hit;
      inside = cell->accHitTest(left + 59, top, &hit);
      insideType = hit.vt;
      insideChild = hit.lVal;
      outside = cell->accHitTest(left + 60, top, &hit);
      outsideType = hit.vt;
      action = cell->accDoDefaultAction(childVariant(CHILDID_SELF));
    });
    EXPECT_EQ(left, origin.x + c.left);
    EXPECT_EQ(top, origin.y + c.top);
    EXPECT_EQ(width, 60);
    EXPECT_EQ(height, 60);
    EXPECT_EQ(viaCellLeft, left);
    EXPECT_EQ(inside, S_OK);
    EXPECT_EQ(insideType, VT_I4);
    EXPECT_EQ(insideChild, CHILDID_SELF);
    EXPECT_EQ(outside, S_FALSE);
    EXPECT_EQ(outsideType, VT_EMPTY);
    EXPECT_EQ(action, S_OK);
    // The click lands in the middle of the point's square, where the window's own click
    // handler finds the same point.
    ASSERT_TRUE(A11yTest::pumpUntil([&] { return !window.clicks().empty(); }));
    const LPARAM click = window.clicks().back();
    EXPECT_EQ(static_cast<short>(LOWORD(click)), c.left + 30);
    EXPECT_EQ(static_cast<short>(HIWORD(click)), c.top + 30);
    window.clearClicks();
  }
}

TEST_F(MsaaClientTest, ARemoteClientIsCutOffWhenTheWindowGoes) {
  ComPtr<IAccessible> root, cell;
  A11yTest::runOnClientThread([&] {
    root = clientRoot(window.handle());
    if (root) cell = childObject(root.Get(), 1);
  });
  ASSERT_TRUE(root && cell);
  window.destroy();
  HRESULT cellName = S_OK, rootCount = S_OK;
  A11yTest::runOnClientThread([&] {
    BSTR name = nullptr;
    cellName = cell->get_accName(childVariant(CHILDID_SELF), &name);
    long count = 0;
    rootCount = root->get_accChildCount(&count);
    cell.Reset();
    root.Reset();
  });
  EXPECT_TRUE(FAILED(cellName));
  EXPECT_TRUE(FAILED(rootCount));
}

}  // namespace
}  // namespace Tavrune
