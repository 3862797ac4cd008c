#pragma once
// Pushes committed settings into the running program, and hears when a session opens and
// closes.
#include <string>

#include "settings/SettingValue.h"

namespace Tavrune::Settings {

class IActionExecutor {
 public:
  virtual ~IActionExecutor() = default;
  // The draft of a session that has just opened, defaults filled in.
  virtual void onSessionOpened(const ValueMap& draft) = 0;
  // One changed value of a commit, after the store accepted the draft.
  virtual ApplyResult execute(const std::string& key, const SettingValue& value) = 0;
  // After a successful commit (true) or a cancel (false); not after a failed commit.
  virtual void onSessionClosed(bool committed) = 0;
};

}  // namespace Tavrune::Settings
