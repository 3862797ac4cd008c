#include "app/SoundPackChoice.h"

#include <algorithm>
#include <string_view>

#include "core/TextConversion.h"

namespace Tavrune::SoundPackChoice {

namespace {

// The list shows one line per pack, so the parts are set apart by spaces.
constexpr wchar_t kPartSeparator[] = L"  ";

void addPart(std::wstring& line, const wchar_t* label, const std::string& value) {
  if (!value.empty()) line += kPartSeparator + std::wstring(label) + utf8ToWide(value);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::wstring listItemText(const SoundPack& pack) {
  std::wstring line = L"名称：" + utf8ToWide(pack.displayName);
  addPart(line, L"作者：", pack.author);
  addPart(line, L"版本：", pack.version);
  addPart(line, L"介绍：", pack.description);
  addPart(line, L"网站：", pack.website);
  addPart(line, L"QQ：", pack.qq);
  if (!pack.valid) line += kPartSeparator + std::wstring(L"⚠️ 缺少必需文件");
  return line;
}

std::wstring detailsLine(const SoundPack& pack) {
  std::wstring line = L"当前选中：" + utf8ToWide(pack.displayName);
  if (!pack.author.empty()) line += L" (" + utf8ToWide(pack.author) + L")";
  if (!pack.version.empty()) line += L" - " + utf8ToWide(pack.version);
  return line;
}

int firstValidIndex(const std::vector<SoundPack>& packs) {
  const auto found = std::find_if(packs.begin(), packs.end(), [](const SoundPack& p) { return p.valid; });
  return found == packs.end() ? -1 : static_cast<int>(found - packs.begin());
}

bool isOpenableWebsite(const std::string& address) {
  return startsWithNoCase(address, "http://") || startsWithNoCase(address, "https://");
}

std::wstring confirmationText(const SoundPack& pack) {
  return L"您选择了：" + utf8ToWide(pack.displayName) + L"\n\n" +
         L"需要重新加载音效系统才能应用新的音效包。\n是否现在重新加载？";
}

std::string configuredPath(const SoundPack& pack) { return "sounds/" + pack.folderName; }

}  // namespace Tavrune::SoundPackChoice
