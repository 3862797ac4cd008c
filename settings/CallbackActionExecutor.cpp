#include "settings/CallbackActionExecutor.h"

#include <utility>

namespace Tavrune::Settings {

void CallbackActionExecutor::onSessionOpened(const ValueMap&) {}

void CallbackActionExecutor::onSessionClosed(bool) {}

ApplyResult CallbackActionExecutor::execute(const std::string& key, const SettingValue& value) {
  auto found = actions.find(key);
  if (found == actions.end()) return {};
  return found->second(value);
}

void CallbackActionExecutor::registerApplier(const std::string& key, Applier applier) {
  if (applier) actions[key] = std::move(applier);
}

void registerIntApplier(CallbackActionExecutor& executor, const std::string& key, std::function<void(int)> apply) {
  executor.registerApplier(key, [apply = std::move(apply)](const SettingValue& value) -> ApplyResult {
    const int64_t* integer = std::get_if<int64_t>(&value);
    if (!integer) return {false, "需要整数值"};
    apply(static_cast<int>(static_cast<uint32_t>(*integer)));
    return {};
  });
}

void registerBoolApplier(CallbackActionExecutor& executor, const std::string& key, std::function<void(bool)> apply) {
  executor.registerApplier(key, [apply = std::move(apply)](const SettingValue& value) -> ApplyResult {
    const bool* flag = std::get_if<bool>(&value);
    if (!flag) return {false, "需要布尔值"};
    apply(*flag);
    return {};
  });
}

void registerTextApplier(CallbackActionExecutor& executor, const std::string& key,
                         std::function<void(const std::string&)> apply) {
  executor.registerApplier(key, [apply = std::move(apply)](const SettingValue& value) -> ApplyResult {
    const std::string* text = std::get_if<std::string>(&value);
    if (!text) return {false, "需要字符串值"};
    apply(*text);
    return {};
  });
}

}  // namespace Tavrune::Settings
