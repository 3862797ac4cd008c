#include "app/PromptBox.h"

namespace Tavrune {

namespace {
// The values of <windows.h>; the Windows tests compare them with it.
constexpr uint32_t kOk = 0x0;
constexpr uint32_t kYesNoCancel = 0x3;
constexpr uint32_t kYesNo = 0x4;
constexpr uint32_t kIconError = 0x10;
constexpr uint32_t kIconQuestion = 0x20;
constexpr uint32_t kIconInformation = 0x40;
constexpr int32_t kIdOk = 1;
constexpr int32_t kIdYes = 6;
constexpr int32_t kIdNo = 7;
}  // namespace

uint32_t PromptBox::style() const {
  switch (kind) {
    case MessageBoxKind::YesNoQuestion: return kYesNo | kIconQuestion;
    case MessageBoxKind::YesNoCancelQuestion: return kYesNoCancel | kIconQuestion;
    case MessageBoxKind::Information: return kOk | kIconInformation;
    case MessageBoxKind::Error: return kOk | kIconError;
    case MessageBoxKind::Plain: break;
  }
  return kOk;
}

BoxAnswer PromptBox::answerFromResult(int32_t result) {
  switch (result) {
    case kIdOk: return BoxAnswer::Ok;
    case kIdYes: return BoxAnswer::Yes;
    case kIdNo: return BoxAnswer::No;
    default: return BoxAnswer::Cancel;
  }
}

}  // namespace Tavrune
