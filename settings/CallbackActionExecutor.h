#pragma once
// The executor the settings dialog uses: one applier per setting key, each pushing a
// committed value into the running program. Keys without an applier are only stored.
#include <functional>
#include <string>
#include <unordered_map>

#include "settings/IActionExecutor.h"

namespace Tavrune::Settings {

class CallbackActionExecutor : public IActionExecutor {
 public:
  using Applier = std::function<ApplyResult(const SettingValue&)>;

  void onSessionOpened(const ValueMap& draft) override;
  ApplyResult execute(const std::string& key, const SettingValue& value) override;
  void onSessionClosed(bool committed) override;

  // Replaces an earlier applier of the key; an empty applier is not stored.
  void registerApplier(const std::string& key, Applier applier);

 private:
  std::unordered_map<std::string, Applier> actions;
};

// Appliers over plain calls: the value must hold an integer (cut to 32 bits), a bool or
// a text, else the result is "需要整数值", "需要布尔值" or "需要字符串值".
void registerIntApplier(CallbackActionExecutor& executor, const std::string& key, std::function<void(int)> apply);
void registerBoolApplier(CallbackActionExecutor& executor, const std::string& key, std::function<void(bool)> apply);
void registerTextApplier(CallbackActionExecutor& executor, const std::string& key,
                         std::function<void(const std::string&)> apply);

}  // namespace Tavrune::Settings
