#pragma once
// The Grid, GridItem, Selection and SelectionItem provider interfaces of UI Automation,
// declared from their published IIDs and member order (mingw does not declare them).
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

#ifndef __IGridProvider_INTERFACE_DEFINED__
#define __IGridProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("b17d6187-0907-464b-a168-0ef17a1572b1")
IGridProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetItem(int row, int column, IRawElementProviderSimple** pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RowCount(int* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ColumnCount(int* pRetVal) = 0;
};
__CRT_UUID_DECL(IGridProvider, 0xb17d6187, 0x0907, 0x464b, 0xa1, 0x68, 0x0e, 0xf1, 0x7a, 0x15, 0x72, 0xb1)
#endif

#ifndef __IGridItemProvider_INTERFACE_DEFINED__
#define __IGridItemProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("d02541f1-fb81-4d64-ae32-f520f8a6dbd1")
IGridItemProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Row(int* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Column(int* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RowSpan(int* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ColumnSpan(int* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ContainingGrid(IRawElementProviderSimple** pRetVal) = 0;
};
__CRT_UUID_DECL(IGridItemProvider, 0xd02541f1, 0xfb81, 0x4d64, 0xae, 0x32, 0xf5, 0x20, 0xf8, 0xa6, 0xdb, 0xd1)
#endif

#ifndef __ISelectionProvider_INTERFACE_DEFINED__
#define __ISelectionProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("fb8b03af-3bdf-48d4-bd36-1a65793be168")
ISelectionProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* pRetVal) = 0;
};
__CRT_UUID_DECL(ISelectionProvider, 0xfb8b03af, 0x3bdf, 0x48d4, 0xbd, 0x36, 0x1a, 0x65, 0x79, 0x3b, 0xe1, 0x68)
#endif

#ifndef __ISelectionItemProvider_INTERFACE_DEFINED__
#define __ISelectionItemProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("2acad808-b2d4-452d-a407-91ff1ad167b2")
ISelectionItemProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** pRetVal) = 0;
};
__CRT_UUID_DECL(ISelectionItemProvider, 0x2acad808, 0xb2d4, 0x452d, 0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2)
#endif
