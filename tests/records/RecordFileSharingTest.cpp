// Windows file sharing around record files: a save into a file another program holds
// without sharing fails and keeps it; a file another program writes can still be read.
#include <gtest/gtest.h>
#include <windows.h>

#include "RecordTestFiles.h"
#include "platform/WinGbkDecoder.h"
#include "records/ChessScoreManager.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

class OpenHandle {
 public:
  OpenHandle(const std::wstring& path, DWORD access, DWORD share)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenHandle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

ChessScore oneMove() {
  ChessScore score;
  ScoreMove entry;
  entry.move.from = Position(7, 7);
  entry.move.to = Position(4, 7);
  score.moves.push_back(entry);
  return score;
}

TEST(RecordFileSharing, SaveIntoAFileHeldWithoutSharingFailsAndKeepsIt) {
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  const std::string old = "[Event \"old\"]\n\n*\n";
  support::writeWholeFile(folder.file("锁定.pgn"), old);
  {
    OpenHandle holder(folder.widePath("锁定.pgn"), GENERIC_READ, 0);
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(manager.save(folder.widePath("锁定.pgn"), oneMove(), ScoreFormat::PGN));
  }
  EXPECT_EQ(support::readWholeFile(folder.file("锁定.pgn")), old);
  EXPECT_EQ(folder.entryNames(), std::vector<std::string>{"锁定.pgn"});
  // Once released the same save goes through.
  EXPECT_TRUE(manager.save(folder.widePath("锁定.pgn"), oneMove(), ScoreFormat::PGN));
}

TEST(RecordFileSharing, AFileAnotherProgramWritesCanBeRead) {
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  support::writeWholeFile(folder.file("写入中.pgn"), "\nh8e8\n");
  OpenHandle writer(folder.widePath("写入中.pgn"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.valid());
  ChessScore score;
  EXPECT_TRUE(manager.load(folder.widePath("写入中.pgn"), score));
  EXPECT_EQ(score.moves.size(), 1u);
}

TEST(RecordFileSharing, CodePage936DecodesGbk) {
  WinGbkDecoder decoder;
  EXPECT_EQ(decoder.toUtf8("\xC1\xF8\xB4\xF3\xBB\xAA").value_or("?"), "柳大华");
  EXPECT_EQ(decoder.toUtf8("").value_or("?"), "");
  EXPECT_EQ(decoder.toUtf8("abc").value_or("?"), "abc");
}

}  // namespace
}  // namespace Tavrune
