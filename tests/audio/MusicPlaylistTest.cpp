#include <gtest/gtest.h>

#include "LogCapture.h"
#include "support/TempFolder.h"
#include "audio/MusicPlaylist.h"
#include "audio/Utf8Path.h"

namespace Tavrune {
namespace {

using Test::LogCapture;
using Test::TempFolder;

std::vector<std::string> fileNames(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& path : paths) {
    const std::filesystem::path p = pathFromUtf8(path);
    names.push_back(utf8FromPath(p.parent_path().parent_path().parent_path().filename()) + "/" +
                    utf8FromPath(p.filename()));
  }
  return names;
}

TEST(MusicPlaylistTest, TracksComeFolderByFolderInByteOrderWithEarlierNamesWinning) {
  TempFolder folder("music");
  for (const char* file : {"user/sounds/bg/b.mp3", "user/sounds/bg/A.wav", "user/sounds/bg/Theme.mp3",
                           "user/sounds/bg/notes.txt", "user/sounds/bg/.wav", "user/sounds/bg/sub/deep.wav",
                           "app/sounds/bg/theme.mp3", "app/sounds/bg/c.OGG", "app/sounds/bg/a.wav.bak",
                           "install/sounds/bg/z.flac", "install/sounds/bg/B.MP3", "install/sounds/bg/song.Flac"}) {
    folder.writeFile(file, "x");
  }
  const AudioFolders roots{folder.utf8("user"), folder.utf8("app"), folder.utf8("install")};
  const std::vector<std::string> folders = MusicPlaylist::collectMusicFolders(roots);
  ASSERT_EQ(folders.size(), 3u);

  LogCapture log;
  const std::vector<std::string> playlist = MusicPlaylist::scan(folders);
  // Upper-case letters sort first; theme.mp3 of the program folder is hidden by the user's
  // Theme.mp3, and b.MP3 of the install root by the user's b.mp3.
  EXPECT_EQ(fileNames(playlist), (std::vector<std::string>{"user/A.wav", "user/Theme.mp3", "user/b.mp3", "app/c.OGG",
                                                           "install/song.Flac", "install/z.flac"}));
  EXPECT_TRUE(log.contains("Background music scan complete: 6 files found"));
  EXPECT_EQ(log.count("Found background music: "), 6);
}

TEST(MusicPlaylistTest, FoldersAreListedOnceAndOnlyWhenTheyExist) {
  TempFolder folder("musicroots");
  folder.makeFolder("shared/sounds/bg");
  folder.makeFolder("nobg/sounds");
  // The data folder and the program folder are the same (portable mode): one entry.
  const AudioFolders same{folder.utf8("shared"), folder.utf8("shared"), folder.utf8("nobg")};
  EXPECT_EQ(MusicPlaylist::collectMusicFolders(same).size(), 1u);
  const AudioFolders empty{"", "", folder.utf8("nobg")};
  EXPECT_TRUE(MusicPlaylist::collectMusicFolders(empty).empty());

  LogCapture log;
  EXPECT_TRUE(MusicPlaylist::scan({}).empty());
  EXPECT_TRUE(log.contains("Background music directory not found in user/legacy/install roots"));
}

TEST(MusicPlaylistTest, AnUnreadableFolderAbortsTheScan) {
  TempFolder folder("musicgone");
  folder.writeFile("a/sounds/bg/one.wav", "x");
  LogCapture log;
  const std::vector<std::string> playlist =
      MusicPlaylist::scan({folder.utf8("a/sounds/bg"), folder.utf8("vanished/sounds/bg")});
  EXPECT_TRUE(playlist.empty());
  EXPECT_TRUE(log.contains("Failed to scan background music directories: "));
}

TEST(MusicPlaylistTest, MusicFileNames) {
  const std::pair<const char*, bool> cases[] = {
      {"a.wav", true},  {"a.MP3", true},     {"a.Ogg", true},      {"a.flac", true}, {".wav", false},
      {"a.wma", false}, {"a.wav.txt", false}, {"wav", false},      {"a.", false},    {"x.y.flac", true},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(MusicPlaylist::isMusicFileName(name), expected) << name;
  }
}

}  // namespace
}  // namespace Tavrune
