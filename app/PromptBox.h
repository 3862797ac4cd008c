#pragma once
// One message box the window shows: its kind, caption and text, and the notice spoken
// once it is closed. Kept free of <windows.h>; style() and answerFromResult() give and
// read MessageBoxW's values.
#include <cstdint>
#include <string>

namespace Tavrune {

enum class MessageBoxKind {
  YesNoQuestion,        // a confirmation: only Yes goes on
  YesNoCancelQuestion,  // a three-way choice
  Information,          // a refusal or notice, OK only
  Plain,                // OK only, no icon
  Error,                // a failure, OK only
};

enum class BoxAnswer { Ok, Yes, No, Cancel };

struct PromptBox {
  MessageBoxKind kind = MessageBoxKind::Plain;
  std::wstring caption;
  std::wstring text;
  std::wstring noticeAfter;  // announced after the box closes; empty for none

  // MessageBoxW's uType for the kind (MB_YESNO | MB_ICONQUESTION and so on).
  uint32_t style() const;
  // MessageBoxW's result: IDOK, IDYES and IDNO by name; anything else (IDCANCEL, a
  // closed box, 0 for failure) reads as Cancel.
  static BoxAnswer answerFromResult(int32_t result);

  friend bool operator==(const PromptBox&, const PromptBox&) = default;
};

}  // namespace Tavrune
