#include "app/EngineChoiceTexts.h"

#include "core/TextConversion.h"

namespace Tavrune {

const wchar_t* const EngineChoiceTexts::kCaption = L"选择引擎版本";
const wchar_t* const EngineChoiceTexts::kExplanation =
    L"请根据您的 CPU 选择最优引擎版本。\n系统已自动检测并推荐最优版本（标有★）。\n\n"
    L"注意：列表中包含当前CPU不支持或文件不存在的引擎，\n这些引擎无法选择。";
const wchar_t* const EngineChoiceTexts::kRefusalCaption = L"无法选择";
const wchar_t* const EngineChoiceTexts::kConfirmationCaption = L"引擎选择";
const wchar_t* const EngineChoiceTexts::kCancelled = L"已取消引擎选择";

bool EngineChoiceTexts::isUsable(const EngineVariantInfo& build) { return build.supported && build.present; }

EngineChoiceList EngineChoiceTexts::listLines(const std::vector<EngineVariantInfo>& builds) {
  EngineChoiceList list;
  for (size_t i = 0; i < builds.size(); ++i) {
    const EngineVariantInfo& build = builds[i];
    std::wstring line = utf8ToWide(build.description);
    if (isUsable(build)) {
      if (list.recommended < 0) {
        line = L"★ 推荐 - " + line;
        list.recommended = static_cast<int>(i);
      }
    } else {
      line += build.present ? L" [当前CPU不支持]" : L" [文件不存在]";
    }
    list.lines.push_back(line);
  }
  return list;
}

std::wstring EngineChoiceTexts::refusal(const EngineVariantInfo& build) {
  const wchar_t* reason =
      build.present ? L"原因：当前 CPU 不支持此引擎所需的指令集" : L"原因：引擎文件不存在";
  return L"无法选择该引擎：\n\n" + utf8ToWide(build.description) + L"\n\n" + reason;
}

std::wstring EngineChoiceTexts::confirmation(const EngineVariantInfo& chosen, const EngineVariantInfo& best) {
  std::wstring text = L"您选择了：" + utf8ToWide(chosen.description) + L"\n\n";
  if (chosen.fileName == best.fileName) {
    text += L"这正是当前 CPU 的最优推荐！";
  } else {
    text += L"当前 CPU 的最优推荐是：\n" + utf8ToWide(best.description) + L"\n" + L"如需最佳性能，建议选择最优推荐。";
  }
  return text;
}

}  // namespace Tavrune
