#include <gtest/gtest.h>

#include "LogCapture.h"
#include "support/TempFolder.h"
#include "audio/SoundPackLocator.h"
#include "audio/SoundPackScanner.h"
#include "audio/Utf8Path.h"
#include "core/TextConversion.h"

namespace Tavrune {
namespace {

using Test::LogCapture;
using Test::TempFolder;

// Equal after lexical normalisation (separators and dots), the way the platform reads them.
::testing::AssertionResult samePath(const std::string& actual, const std::string& expected) {
  if (pathFromUtf8(actual).lexically_normal() == pathFromUtf8(expected).lexically_normal()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "'" << actual << "' is not '" << expected << "'";
}

const SoundPack* findPack(const std::vector<SoundPack>& packs, const std::string& folderName) {
  for (const SoundPack& pack : packs) {
    if (pack.folderName == folderName) return &pack;
  }
  return nullptr;
}

TEST(SoundPackTest, ScanListsPacksWithTheirMetadataAndValidity) {
  TempFolder folder("packs");
  folder.writeFile("user/sounds/Default/move.wav", "x");
  folder.writeFile("user/sounds/Wood/move.wav", "x");
  folder.writeFile("user/sounds/Wood/soundpack.json",
                   R"({"name": "木鱼", "author": "Li", "version": "1.2", "website": "https://example.org/wood",
                       "qq": "12345", "description": "soft \"wood\" knocks"})");
  folder.writeFile("user/sounds/Broken/cursor.wav", "x");  // no move.wav
  folder.writeFile("user/sounds/Odd/move.wav", "x");
  folder.writeFile("user/sounds/Odd/soundpack.json",
                   R"({"tags": "name", "author": "Wu", "name": "later", "website": "file:///C:/Windows/notepad.exe"})");
  folder.writeFile("user/sounds/bg/theme.wav", "x");
  folder.writeFile("user/sounds/loose.wav", "x");
  folder.writeFile("app/sounds/wood/move.wav", "x");  // same name as the user's Wood: hidden
  folder.writeFile("app/sounds/Classic/move.wav", "x");

  LogCapture log;
  const std::vector<SoundPack> packs =
      SoundPackScanner::scanRoots({folder.utf8("user/sounds"), folder.utf8("app/sounds"), folder.utf8("nowhere")});
  ASSERT_EQ(packs.size(), 5u);
  EXPECT_EQ(findPack(packs, "bg"), nullptr);
  EXPECT_EQ(findPack(packs, "wood"), nullptr);

  const SoundPack* defaults = findPack(packs, "Default");
  ASSERT_NE(defaults, nullptr);
  EXPECT_EQ(defaults->displayName, "默认音效包");
  EXPECT_TRUE(defaults->valid);
  EXPECT_FALSE(defaults->hasMetadata);
  EXPECT_TRUE(samePath(wideToUtf8(defaults->path), folder.utf8("user/sounds/Default")));

  const SoundPack* wood = findPack(packs, "Wood");
  ASSERT_NE(wood, nullptr);
  EXPECT_EQ(wood->displayName, "木鱼");
  EXPECT_EQ(wood->author, "Li");
  EXPECT_EQ(wood->version, "1.2");
  EXPECT_EQ(wood->website, "https://example.org/wood");
  EXPECT_EQ(wood->qq, "12345");
  EXPECT_EQ(wood->description, R"(soft \"wood\" knocks)");
  EXPECT_TRUE(wood->hasMetadata);

  const SoundPack* broken = findPack(packs, "Broken");
  ASSERT_NE(broken, nullptr);
  EXPECT_FALSE(broken->valid);
  EXPECT_EQ(broken->displayName, "Broken");

  const SoundPack* odd = findPack(packs, "Odd");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->displayName, "Wu");  // the first "name" is another member's value
  EXPECT_EQ(odd->website, "");            // only web addresses are kept for the dialog to open

  const SoundPack* classic = findPack(packs, "Classic");
  ASSERT_NE(classic, nullptr);
  EXPECT_TRUE(samePath(wideToUtf8(classic->path), folder.utf8("app/sounds/Classic")));
  EXPECT_TRUE(log.contains("Found sound pack: Broken (valid: 0, hasMetadata: 0)"));
  EXPECT_TRUE(log.contains("Found sound pack: Wood (valid: 1, hasMetadata: 1)"));
}

TEST(SoundPackTest, MetadataOverTheSizeLimitIsIgnored) {
  TempFolder folder("packsize");
  const std::string head = R"({"name": "big", "author": "me", "pad": ")";
  const std::string tail = "\"}";
  for (const size_t size : {size_t{10240}, size_t{10241}}) {
    const std::string text = head + std::string(size - head.size() - tail.size(), 'x') + tail;
    ASSERT_EQ(text.size(), size);
    folder.writeFile("pack/soundpack.json", text);
    const SoundPackMetadata metadata = SoundPackScanner::readSoundPackMetadata(utf8ToWide(folder.utf8("pack")));
    EXPECT_EQ(metadata[0], size <= 10240 ? "big" : "") << size;
    EXPECT_EQ(metadata[1], size <= 10240 ? "me" : "") << size;
  }
  EXPECT_EQ(SoundPackScanner::readSoundPackMetadata(utf8ToWide(folder.utf8("absent"))), SoundPackMetadata{});
}

TEST(SoundPackTest, ConfiguredPackPathsResolveToAnExistingFolder) {
  TempFolder folder("locate");
  const std::string data = folder.makeFolder("data");
  const std::string app = folder.makeFolder("app");
  const std::string install = folder.makeFolder("install");
  folder.makeFolder("data/sounds/mine");
  folder.makeFolder("app/sounds/theirs");
  folder.makeFolder("app/sounds/mine");
  folder.makeFolder("install/sounds/only_install");
  folder.makeFolder("install/sounds/default");
  folder.makeFolder("outside/pack");
  const AudioFolders roots{data, app, install};
  const auto in = [&](const std::string& relative) { return folder.utf8(relative); };
  const auto join = [](const std::string& base, const std::string& relative) {
    return utf8FromPath(pathFromUtf8(base) / pathFromUtf8(relative));
  };

  struct Case {
    std::string configured;
    std::string expected;
  };
  const Case cases[] = {
      {"sounds/mine", join(data, "sounds/mine")},  // the data folder wins
      {"sounds/theirs", join(app, "sounds/theirs")},
      {"sounds/only_install", join(install, "sounds/only_install")},
      {"sounds/missing", join(install, "sounds/default")},
      // An absolute path inside the program folder is looked for under the data folder first.
      {in("app/sounds/mine"), join(data, "sounds/mine")},
      {in("app/sounds/theirs"), in("app/sounds/theirs")},
      {in("outside/pack"), in("outside/pack")},
      {in("outside/none"), join(install, "sounds/default")},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(samePath(SoundPackLocator::resolveSoundPackDirectory(c.configured, roots), c.expected))
        << c.configured;
  }

  // With no default pack anywhere the install root's is named anyway.
  TempFolder bare("locatebare");
  const AudioFolders none{"", "", bare.utf8()};
  EXPECT_TRUE(samePath(SoundPackLocator::resolveSoundPackDirectory("sounds/x", none), join(bare.utf8(), "sounds/default")));
}

}  // namespace
}  // namespace Tavrune
