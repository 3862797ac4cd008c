// What the sound-pack chooser shows for a pack and what it lets the user open.
#include <gtest/gtest.h>

#include "app/SoundPackChoice.h"

namespace Tavrune {
namespace {

SoundPack pack(const std::string& name, bool valid) {
  SoundPack p;
  p.folderName = name;
  p.displayName = name;
  p.valid = valid;
  return p;
}

TEST(SoundPackChoiceTest, ListsEachPackOnOneLineWithWhatItSays) {
  SoundPack full = pack("bamboo", true);
  full.displayName = "竹林";
  full.author = "阿青";
  full.version = "1.2";
  full.description = "清脆的竹子声";
  full.website = "https://example.org/竹";
  full.qq = "12345";
  SoundPack broken = pack("raw", false);
  SoundPack authorOnly = pack("plain", true);
  authorOnly.author = "佚名";
  const struct {
    SoundPack pack;
    std::wstring line;
    std::wstring details;
  } cases[] = {
      {full, L"名称：竹林  作者：阿青  版本：1.2  介绍：清脆的竹子声  网站：https://example.org/竹  QQ：12345",
       L"当前选中：竹林 (阿青) - 1.2"},
      {broken, L"名称：raw  ⚠️ 缺少必需文件", L"当前选中：raw"},
      {authorOnly, L"名称：plain  作者：佚名", L"当前选中：plain (佚名)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SoundPackChoice::listItemText(c.pack), c.line);
    EXPECT_EQ(SoundPackChoice::detailsLine(c.pack), c.details);
  }
  EXPECT_EQ(SoundPackChoice::configuredPath(full), "sounds/bamboo");
}

TEST(SoundPackChoiceTest, OffersTheFirstCompletePackAndOpensOnlyWebAddresses) {
  EXPECT_EQ(SoundPackChoice::firstValidIndex({pack("a", false), pack("b", true), pack("c", true)}), 1);
  EXPECT_EQ(SoundPackChoice::firstValidIndex({pack("a", false)}), -1);
  EXPECT_EQ(SoundPackChoice::firstValidIndex({}), -1);
  for (const char* address : {"http://a.example", "HTTPS://a.example/x"}) {
    EXPECT_TRUE(SoundPackChoice::isOpenableWebsite(address)) << address;
  }
  for (const char* address : {"", "file:///C:/x.exe", "C:\\Windows\\notepad.exe", "javascript:x", "ftp://a"}) {
    EXPECT_FALSE(SoundPackChoice::isOpenableWebsite(address)) << address;
  }
}

}  // namespace
}  // namespace Tavrune
