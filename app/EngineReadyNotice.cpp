#include "app/EngineReadyNotice.h"

#include "core/TextConversion.h"

namespace Tavrune {

EngineNoticeText EngineReadyNotice::compose(bool autoSelect, const std::string& configuredVariant,
                                            const std::string& buildInUse, const std::string& bestBuild,
                                            const Describe& describe) {
  const bool pickedAutomatically = autoSelect || configuredVariant == "auto";
  const std::string build = pickedAutomatically ? buildInUse : configuredVariant;
  const std::wstring description = utf8ToWide(describe(build));
  std::wstring text = L"AI引擎加载成功\n\n";
  if (autoSelect) {
    text += L"已为您自动选择最优引擎：\n" + description + L"\n\n" + L"这是根据您的 CPU 特性推荐的最佳版本";
    return EngineNoticeText{text, "Engine selection: Auto-selected " + build};
  }
  const bool isDefault = configuredVariant == "auto" || configuredVariant == "pikafish.exe";
  text += (isDefault ? L"当前使用默认引擎：\n" : L"您选择了：\n") + description + L"\n\n";
  if (build == bestBuild) {
    text += L"这正是当前 CPU 的最优推荐！";
    return EngineNoticeText{text, std::string(isDefault ? "Engine selection: Using default optimal engine "
                                                        : "Engine selection: User selected optimal engine ") +
                                      build};
  }
  text += L"当前 CPU 的最优推荐是：\n" + utf8ToWide(describe(bestBuild)) + L"\n\n" + L"您可以在设置中更改引擎";
  return EngineNoticeText{text, std::string(isDefault ? "Engine selection: Using default engine "
                                                      : "Engine selection: User selected ") +
                                    build + ", best is " + bestBuild};
}

}  // namespace Tavrune
