#pragma once
// Which boxes a menu command shows before it acts: the question about a stopped game it
// would throw away, the confirmation before it replaces a game or review, and the
// refusals of commands that do not apply now.
#include <optional>
#include <vector>

#include "app/MenuCommand.h"
#include "app/PromptBox.h"
#include "app/SessionStatus.h"

namespace Tavrune {

class ConfirmationChooser {
 public:
  // The boxes to show, in order; empty when the command acts at once. After each box
  // the window speaks its noticeAfter and stops unless goesOn says otherwise.
  static std::vector<PromptBox> boxesFor(MenuCommand command, const SessionStatus& status);
  // Refusals stop; a Yes/No question goes on with Yes only; the Yes/No/Cancel question
  // of SwitchSides goes on unless cancelled (the window then acts on Yes or No).
  static bool goesOn(MessageBoxKind kind, BoxAnswer answer);
  // The question about a stopped game that NewGame, LoadScore and the three mode
  // commands would discard; none while nothing is suspended or for other commands.
  static std::optional<PromptBox> suspendedGameQuestion(MenuCommand command, const SessionStatus& status);
};

}  // namespace Tavrune
