// The UI Automation providers called directly through their COM interfaces (Wine's UI
// Automation core cannot reach the patterns), with the raise calls recorded.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

#include "TestBoardWindow.h"
#include "UiaRecorder.h"
#include "accessibility/ComValues.h"
#include "accessibility/UIABoardProvider.h"
#include "accessibility/UIACellProvider.h"
#include "accessibility/UIAProviderHost.h"
#include "accessibility/UiaIdentifiers.h"

namespace Tavrune {
namespace {

using Microsoft::WRL::ComPtr;
using A11yTest::UiaCall;

class UiaProvidersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.initialize(window.handle(), &A11yTest::openingPieceAt));
    board = host.boardProvider();
    ASSERT_NE(board, nullptr);
  }

  ComPtr<IRawElementProviderSimple> item(int row, int column) {
    ComPtr<IRawElementProviderSimple> cell;
    EXPECT_EQ(board->GetItem(row, column, &cell), S_OK);
    return cell;
  }
  static std::wstring stringProperty(IRawElementProviderSimple* element, int property) {
    VARIANT value;
    EXPECT_EQ(element->GetPropertyValue(property, &value), S_OK);
    std::wstring text = value.vt == VT_BSTR ? value.bstrVal : L"<not a string>";
    VariantClear(&value);
    return text;
  }
  static VARIANT property(IRawElementProviderSimple* element, int property) {
    VARIANT value;
    EXPECT_EQ(element->GetPropertyValue(property, &value), S_OK);
    return value;
  }
  template <typename Interface>
  static ComPtr<Interface> as(IUnknown* element) {
    ComPtr<Interface> result;
    EXPECT_EQ(element->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(result.GetAddressOf())),
              S_OK);
    return result;
  }
  IUnknown* boardIdentity() { return A11yTest::identityOf(static_cast<IRawElementProviderSimple*>(board)); }

  A11yTest::TestBoardWindow window;
  A11yTest::UiaRecorder recorder;
  UIAProviderHost host;
  UIABoardProvider* board = nullptr;
};

TEST_F(UiaProvidersTest, GridItemsAreCheckedAndIdentified) {
  const struct {
    int row, column;
    HRESULT expected;
  } refused[] = {{10, 0, E_INVALIDARG}, {0, 9, E_INVALIDARG}, {-1, 0, E_INVALIDARG},
                 {0, -1, E_INVALIDARG}, {-10, 8, E_INVALIDARG}};
  for (const auto& c : refused) {
    IRawElementProviderSimple* cell = reinterpret_cast<IRawElementProviderSimple*>(1);
    EXPECT_EQ(board->GetItem(c.row, c.column, &cell), c.expected) << c.row << "," << c.column;
    EXPECT_EQ(cell, nullptr);
  }
  int rows = 0, columns = 0;
  EXPECT_EQ(board->get_RowCount(&rows), S_OK);
  EXPECT_EQ(board->get_ColumnCount(&columns), S_OK);
  EXPECT_EQ(rows, 10);
  EXPECT_EQ(columns, 9);

  const struct {
    int row, column;
    const wchar_t* automationId;
    int runtimeIndex;
  } cells[] = {{0, 0, L"cell_0", 0}, {9, 8, L"cell_89", 89}, {2, 4, L"cell_22", 22}};
  for (const auto& c : cells) {
    ComPtr<IRawElementProviderSimple> cell = item(c.row, c.column);
    EXPECT_EQ(stringProperty(cell.Get(), Uia::kAutomationIdProperty), c.automationId);
    SAFEARRAY* runtimeId = nullptr;
    ASSERT_EQ(as<IRawElementProviderFragment>(cell.Get())->GetRuntimeId(&runtimeId), S_OK);
    LONG parts[2] = {};
    for (LONG i = 0; i < 2; ++i) SafeArrayGetElement(runtimeId, &i, &parts[i]);
    EXPECT_EQ(parts[0], Uia::kAppendRuntimeId);
    EXPECT_EQ(parts[1], c.runtimeIndex);
    SafeArrayDestroy(runtimeId);
    auto gridItem = as<IGridItemProvider>(cell.Get());
    int row = -1, column = -1, span = 0;
    gridItem->get_Row(&row);
    gridItem->get_Column(&column);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(column, c.column);
    gridItem->get_RowSpan(&span);
    EXPECT_EQ(span, 1);
    ComPtr<IRawElementProviderSimple> grid;
    EXPECT_EQ(gridItem->get_ContainingGrid(&grid), S_OK);
    EXPECT_EQ(A11yTest::identityOf(grid.Get()), boardIdentity());
  }
}

TEST_F(UiaProvidersTest, BoardAndCellProperties) {
  ProviderOptions options{};
  board->get_ProviderOptions(&options);
  EXPECT_EQ(options, 50);
  VARIANT controlType = property(board, Uia::kControlTypeProperty);
  EXPECT_EQ(controlType.vt, VT_I4);
  EXPECT_EQ(controlType.lVal, Uia::kTableControlType);
  EXPECT_EQ(stringProperty(board, Uia::kNameProperty), L"象棋棋盘");
  EXPECT_EQ(stringProperty(board, Uia::kAutomationIdProperty), L"tavrune_board");
  EXPECT_EQ(stringProperty(board, Uia::kFrameworkIdProperty), L"Win32");
  VARIANT enabled = property(board, Uia::kIsEnabledProperty);
  EXPECT_EQ(enabled.vt, VT_BOOL);
  EXPECT_EQ(enabled.boolVal, VARIANT_TRUE);
  VARIANT offscreen = property(board, Uia::kIsOffscreenProperty);
  EXPECT_EQ(offscreen.boolVal, VARIANT_FALSE);
  VARIANT other = property(board, 30001);  // BoundingRectangle: left to the host
  EXPECT_EQ(other.vt, VT_EMPTY);

  ComPtr<IUnknown> pattern;
  EXPECT_EQ(board->GetPatternProvider(Uia::kGridPattern, &pattern), S_OK);
  EXPECT_NE(pattern, nullptr);
  EXPECT_EQ(board->GetPatternProvider(10000, pattern.ReleaseAndGetAddressOf()), S_OK);  // Invoke
  EXPECT_EQ(pattern, nullptr);

  ComPtr<IRawElementProviderSimple> rook = item(9, 0);
  rook->get_ProviderOptions(&options);
  EXPECT_EQ(options, 34);
  VARIANT cellType = property(rook.Get(), Uia::kControlTypeProperty);
  EXPECT_EQ(cellType.lVal, Uia::kDataItemControlType);
  EXPECT_EQ(stringProperty(rook.Get(), Uia::kNameProperty), L"红车1 9");
  host.setRedNumbering(true);
  EXPECT_EQ(stringProperty(rook.Get(), Uia::kNameProperty), L"红车9 0");
  EXPECT_EQ(stringProperty(item(4, 4).Get(), Uia::kNameProperty), L"5 5");
  // The board's own name never carries notices.
  EXPECT_EQ(stringProperty(board, Uia::kNameProperty), L"象棋棋盘");
}

TEST_F(UiaProvidersTest, NavigationStopsAtTheEnds) {
  ComPtr<IRawElementProviderFragment> first, last, beyond;
  ASSERT_EQ(board->Navigate(NavigateDirection_FirstChild, &first), S_OK);
  ASSERT_EQ(board->Navigate(NavigateDirection_LastChild, &last), S_OK);
  EXPECT_EQ(A11yTest::identityOf(first.Get()), A11yTest::identityOf(item(0, 0).Get()));
  EXPECT_EQ(A11yTest::identityOf(last.Get()), A11yTest::identityOf(item(9, 8).Get()));
  EXPECT_EQ(board->Navigate(NavigateDirection_NextSibling, &beyond), S_OK);
  EXPECT_EQ(beyond, nullptr);
  EXPECT_EQ(last->Navigate(NavigateDirection_NextSibling, &beyond), S_OK);
  EXPECT_EQ(beyond, nullptr);
  EXPECT_EQ(first->Navigate(NavigateDirection_PreviousSibling, &beyond), S_OK);
  EXPECT_EQ(beyond, nullptr);
  ComPtr<IRawElementProviderFragment> next, parent;
  EXPECT_EQ(first->Navigate(NavigateDirection_NextSibling, &next), S_OK);
  EXPECT_EQ(A11yTest::identityOf(next.Get()), A11yTest::identityOf(item(0, 1).Get()));
  EXPECT_EQ(last->Navigate(NavigateDirection_Parent, &parent), S_OK);
  EXPECT_EQ(A11yTest::identityOf(parent.Get()), boardIdentity());
  ComPtr<IRawElementProviderFragmentRoot> root;
  EXPECT_EQ(next->get_FragmentRoot(&root), S_OK);
  EXPECT_EQ(A11yTest::identityOf(root.Get()), boardIdentity());
}

TEST_F(UiaProvidersTest, HitTestsAndLocationsFollowTheDrawnOrientation) {
  const POINT origin = A11yTest::clientOrigin(window.handle());
  auto hit = [&](double clientX, double clientY) {
    ComPtr<IRawElementProviderFragment> element;
    EXPECT_EQ(board->ElementProviderFromPoint(origin.x + clientX, origin.y + clientY, &element), S_OK);
    return A11yTest::identityOf(element.Get());
  };
  const struct {
    bool blackAtBottom;
    BoardRect rect;
    double x, y;
    int row, column;  // -1: the board itself
  } cases[] = {
      {false, {}, 220, 310, 4, 3},
      {true, {}, 220, 310, 5, 5},
      {false, {}, 10, 40, 0, 0},
      {false, {}, 9.5, 310, -1, -1},   // just left of the board
      {false, {}, 220, 39, -1, -1},    // just above it
      {false, {}, 600, 310, -1, -1},   // right of it
      {false, {10, 40, 10, 40}, 10, 40, -1, -1},  // a rectangle without area
  };
  for (const auto& c : cases) {
    host.setBlackAtBottom(c.blackAtBottom);
    host.setBoardRect(c.rect);
    IUnknown* expected = c.row < 0 ? boardIdentity() : A11yTest::identityOf(item(c.row, c.column).Get());
    EXPECT_EQ(hit(c.x, c.y), expected) << c.x << "," << c.y << " flipped=" << c.blackAtBottom;
  }

  host.setBoardRect({});
  for (bool blackAtBottom : {false, true}) {
    host.setBlackAtBottom(blackAtBottom);
    UiaRect rect{};
    ASSERT_EQ(as<IRawElementProviderFragment>(item(0, 0).Get())->get_BoundingRectangle(&rect), S_OK);
    EXPECT_EQ(rect.left, origin.x + (blackAtBottom ? 490 : 10));
    EXPECT_EQ(rect.top, origin.y + (blackAtBottom ? 580 : 40));
    EXPECT_EQ(rect.width, 60);
    EXPECT_EQ(rect.height, 60);
  }
}

TEST_F(UiaProvidersTest, SelectionThroughTheHostAndThePatterns) {
  SAFEARRAY* selection = reinterpret_cast<SAFEARRAY*>(1);
  EXPECT_EQ(board->GetSelection(&selection), S_OK);
  EXPECT_EQ(selection, nullptr);

  host.raiseSelection(Position(4, 2));
  IUnknown* cell22 = A11yTest::identityOf(item(2, 4).Get());
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[0].element, cell22);
  EXPECT_EQ(recorder.calls[0].id, Uia::kElementSelectedEvent);
  EXPECT_EQ(recorder.calls[1].element, boardIdentity());
  EXPECT_EQ(recorder.calls[1].id, Uia::kSelectionInvalidatedEvent);

  ASSERT_EQ(board->GetSelection(&selection), S_OK);
  ASSERT_NE(selection, nullptr);
  EXPECT_EQ(selection->rgsabound[0].cElements, 1u);
  IUnknown* selected = nullptr;
  LONG first = 0;
  SafeArrayGetElement(selection, &first, &selected);
  EXPECT_EQ(A11yTest::identityOf(selected), cell22);
  selected->Release();
  SafeArrayDestroy(selection);
  for (int index = 0; index < 90; ++index) {
    BOOL isSelected = FALSE;
    as<ISelectionItemProvider>(item(index / 9, index % 9).Get())->get_IsSelected(&isSelected);
    EXPECT_EQ(isSelected, index == 22 ? VARIANT_TRUE : VARIANT_FALSE) << index;
  }

  // Removing a cell that is not selected changes nothing.
  recorder.calls.clear();
  EXPECT_EQ(as<ISelectionItemProvider>(item(0, 0).Get())->RemoveFromSelection(), S_OK);
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(board->selectedPoint(), Position(4, 2));

  EXPECT_EQ(as<ISelectionItemProvider>(item(2, 4).Get())->RemoveFromSelection(), S_OK);
  EXPECT_EQ(board->selectedPoint(), Position(-1, -1));
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[0].element, boardIdentity());
  EXPECT_EQ(recorder.calls[0].id, Uia::kSelectionInvalidatedEvent);
  EXPECT_EQ(recorder.calls[1].element, cell22);
  EXPECT_EQ(recorder.calls[1].id, Uia::kElementRemovedFromSelectionEvent);
  BOOL isSelected = TRUE;
  as<ISelectionItemProvider>(item(2, 4).Get())->get_IsSelected(&isSelected);
  EXPECT_EQ(isSelected, VARIANT_FALSE);

  const struct {
    HRESULT (STDMETHODCALLTYPE ISelectionItemProvider::*operation)();
    int cellEvent;
  } selections[] = {{&ISelectionItemProvider::Select, Uia::kElementSelectedEvent},
                    {&ISelectionItemProvider::AddToSelection, Uia::kElementAddedToSelectionEvent}};
  for (const auto& s : selections) {
    recorder.calls.clear();
    ComPtr<IRawElementProviderSimple> cell = item(9, 0);
    EXPECT_EQ((as<ISelectionItemProvider>(cell.Get()).Get()->*s.operation)(), S_OK);
    EXPECT_EQ(board->selectedPoint(), Position(0, 9));
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].id, Uia::kSelectionInvalidatedEvent);
    EXPECT_EQ(recorder.calls[1].element, A11yTest::identityOf(cell.Get()));
    EXPECT_EQ(recorder.calls[1].id, s.cellEvent);
  }
  ComPtr<IRawElementProviderSimple> container;
  as<ISelectionItemProvider>(item(0, 0).Get())->get_SelectionContainer(&container);
  EXPECT_EQ(A11yTest::identityOf(container.Get()), boardIdentity());
}

TEST_F(UiaProvidersTest, FocusAndNameEventsNeedTheCells) {
  host.raiseFocusChanged(Position(0, 5));
  host.raiseNameChanged(Position(0, 5), RED_PAWN);
  EXPECT_TRUE(recorder.calls.empty()) << "no cell exists yet";

  IUnknown* cell45 = A11yTest::identityOf(item(5, 0).Get());
  host.raiseFocusChanged(Position(0, 5));
  host.raiseFocusChanged(Position(-1, 0));  // off the board: no cell, no event
  host.raiseFocusChanged(Position(9, 0));
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].element, cell45);
  EXPECT_EQ(recorder.calls[0].id, Uia::kFocusChangedEvent);

  host.raiseFocusChanged(Position(0, 5));
  ComPtr<IRawElementProviderFragment> focused;
  ASSERT_EQ(board->GetFocus(&focused), S_OK);
  EXPECT_EQ(A11yTest::identityOf(focused.Get()), cell45);

  recorder.calls.clear();
  host.raiseNameChanged(Position(0, 5), RED_PAWN);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].kind, UiaCall::PropertyChanged);
  EXPECT_EQ(recorder.calls[0].element, cell45);
  EXPECT_EQ(recorder.calls[0].id, Uia::kNameProperty);
  EXPECT_EQ(recorder.calls[0].newValueType, VT_BSTR);
  EXPECT_EQ(recorder.calls[0].newValue, L"红兵1 5");
  EXPECT_EQ(recorder.calls[0].oldValueType, VT_EMPTY);

  recorder.calls.clear();
  EXPECT_EQ(as<IRawElementProviderFragment>(item(0, 3).Get())->SetFocus(), S_OK);
  EXPECT_EQ(board->focusPoint(), Position(3, 0));
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].id, Uia::kFocusChangedEvent);
}

TEST_F(UiaProvidersTest, HeldElementsAreCutOffWhenTheWindowGoes) {
  ComPtr<IRawElementProviderSimple> cell = item(9, 0);
  ComPtr<IRawElementProviderSimple> heldBoard = board;
  host.disconnect();
  EXPECT_EQ(host.boardProvider(), nullptr);
  VARIANT value;
  EXPECT_EQ(cell->GetPropertyValue(Uia::kNameProperty, &value), Uia::kElementNotAvailable);
  EXPECT_EQ(value.vt, VT_EMPTY);
  ComPtr<IRawElementProviderFragment> parent;
  EXPECT_EQ(as<IRawElementProviderFragment>(cell.Get())->Navigate(NavigateDirection_Parent, &parent),
            Uia::kElementNotAvailable);
  EXPECT_EQ(as<ISelectionItemProvider>(cell.Get())->Select(), Uia::kElementNotAvailable);
  EXPECT_EQ(heldBoard->GetPropertyValue(Uia::kNameProperty, &value), Uia::kElementNotAvailable);
  ComPtr<IRawElementProviderSimple> none;
  EXPECT_EQ(as<IGridProvider>(heldBoard.Get())->GetItem(0, 0, &none), Uia::kElementNotAvailable);
  heldBoard.Reset();  // the board goes first; the cell must not reach it afterwards
  EXPECT_EQ(as<IRawElementProviderFragment>(cell.Get())->SetFocus(), Uia::kElementNotAvailable);
}

}  // namespace
}  // namespace Tavrune
