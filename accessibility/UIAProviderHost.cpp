#include "accessibility/UIAProviderHost.h"

#include <utility>

#include "accessibility/UIABoardProvider.h"
#include "accessibility/UIACellProvider.h"
#include "accessibility/UiaCore.h"
#include "accessibility/UiaIdentifiers.h"

namespace Tavrune {

UIAProviderHost::~UIAProviderHost() { releaseBoard(); }

bool UIAProviderHost::initialize(HWND window, PieceQuery pieceQuery) {
  releaseBoard();
  window_ = window;
  board_ = new UIABoardProvider(window, std::move(pieceQuery));
  board_->setGeometry(geometry_);
  board_->setRedNumbering(redNumbering_);
  return true;
}

void UIAProviderHost::raiseNameChanged(const Position& pos, PieceType piece) {
  UIACellProvider* cell = board_ ? board_->cellAt(pos) : nullptr;
  if (!cell) return;
  // The board has already changed, so the old name is gone; UI Automation accepts an
  // empty old value when the provider cannot supply it.
  VARIANT oldValue;
  VariantInit(&oldValue);
  VARIANT newValue;
  VariantInit(&newValue);
  newValue.vt = VT_BSTR;
  const std::wstring name = cell->nameFor(piece);
  newValue.bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  if (!newValue.bstrVal) return;
  UiaCore::raisePropertyChangedEvent(static_cast<IRawElementProviderSimple*>(cell), Uia::kNameProperty,
                                     oldValue, newValue);
  VariantClear(&newValue);
}

void UIAProviderHost::raiseFocusChanged(const Position& pos) {
  if (!board_) return;
  board_->setFocusPoint(pos);
  if (UIACellProvider* cell = board_->cellAt(pos)) cell->raiseEvent(Uia::kFocusChangedEvent);
}

void UIAProviderHost::raiseSelection(const Position& pos) {
  if (!board_) return;
  board_->selectCell(pos);
  if (UIACellProvider* cell = board_->cellAt(pos)) cell->raiseEvent(Uia::kElementSelectedEvent);
  board_->raiseEvent(Uia::kSelectionInvalidatedEvent);
}

void UIAProviderHost::setBoardRect(const BoardRect& rect) {
  geometry_.setRect(rect);
  if (board_) board_->setGeometry(geometry_);
}

void UIAProviderHost::setBlackAtBottom(bool blackAtBottom) {
  geometry_.setBlackAtBottom(blackAtBottom);
  if (board_) board_->setGeometry(geometry_);
}

void UIAProviderHost::setRedNumbering(bool redNumbering) {
  redNumbering_ = redNumbering;
  if (board_) board_->setRedNumbering(redNumbering);
}

void UIAProviderHost::disconnect() {
  if (board_) board_->disconnect();
  releaseBoard();
  window_ = nullptr;
}

void UIAProviderHost::releaseBoard() {
  if (!board_) return;
  board_->disconnect();  // clients may hold it and its cells past this host
  board_->Release();
  board_ = nullptr;
}

}  // namespace Tavrune
