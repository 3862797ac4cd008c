#include "game/ReviewManager.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "accessibility/IAnnouncer.h"
#include "game/GameEngine.h"
#include "game/IUICallback.h"
#include "game/Notation.h"

namespace Tavrune {
namespace {

class RecordingAnnouncer : public IAnnouncer {
 public:
  void announce(const std::wstring& text) override { notices.push_back(text); }
  void cellChanged(const Position& pos, PieceType piece) override {
    cells.emplace_back(pos, piece);
  }
  std::wstring last() const { return notices.empty() ? L"" : notices.back(); }

  std::vector<std::wstring> notices;
  std::vector<std::pair<Position, PieceType>> cells;
};

class ScriptedUI : public IUICallback {
 public:
  void requestRedraw() override { ++redraws; }
  // Each queued answer is typed and confirmed; nullopt stands for Cancel.
  bool promptText(const std::wstring& prompt, std::wstring& answer) override {
    prompts.push_back(prompt);
    answer.clear();
    if (answers.empty() || !answers.front()) {
      if (!answers.empty()) answers.pop_front();
      return false;
    }
    answer = *answers.front();
    answers.pop_front();
    return !answer.empty();
  }

  int redraws = 0;
  std::vector<std::wstring> prompts;
  std::deque<std::optional<std::wstring>> answers;
};

// The three opening moves reviewed below: 炮二平五, 马8进7, 马二进三.
const std::vector<Move> THREE_MOVES = {{{7, 7}, {4, 7}}, {{7, 0}, {6, 2}}, {{7, 9}, {6, 7}}};

struct ReviewFixture : testing::Test {
  void SetUp() override {
    game.newGame(MODE_PVP);
    for (const Move& m : THREE_MOVES) ASSERT_TRUE(game.makeMove(m));
    game.setStateCallback([this](GameState s) { states.push_back(s); });
    review.setPositionTextCallback(Notation::positionText);
    review.setStepSoundCallback([this](bool forward) { sounds.push_back(forward); });
  }

  void expectAllCellsReported(size_t from) {
    ASSERT_EQ(announcer.cells.size(), from + 90);
    const Board& board = game.getBoard();
    for (size_t i = 0; i < 90; ++i) {
      const Position pos(static_cast<int32_t>(i % 9), static_cast<int32_t>(i / 9));
      EXPECT_EQ(announcer.cells[from + i].first, pos);
      EXPECT_EQ(announcer.cells[from + i].second, board.getPiece(pos));
    }
  }

  GameEngine game;
  RecordingAnnouncer announcer;
  ScriptedUI ui;
  ReviewManager review{&game, &announcer, &ui};
  std::vector<GameState> states;
  std::vector<bool> sounds;
};

TEST_F(ReviewFixture, StepsThroughTheGameAndBack) {
  const Board::Cells finalCells = game.getBoard().getCells();
  review.enterReviewMode();
  ASSERT_TRUE(review.isActive());
  EXPECT_EQ(game.getGameState(), REVIEW);
  EXPECT_EQ(states, std::vector<GameState>{REVIEW});
  EXPECT_EQ(review.getCurrentStep(), 3);
  EXPECT_EQ(review.getSnapshotCount(), 4u);
  EXPECT_EQ(announcer.last(), L"进入复盘模式，当前第3步，共3步");
  EXPECT_EQ(game.getBoard().getCells(), finalCells);
  expectAllCellsReported(0);
  EXPECT_GT(ui.redraws, 0);

  review.nextStep();
  EXPECT_EQ(announcer.last(), L"已经是最后一步了");

  review.previousStep();
  EXPECT_EQ(announcer.last(), L"第2步，黑马 8 0 到 7 2");
  review.previousStep();
  EXPECT_EQ(announcer.last(), L"第1步，红炮 2 2 到 5 2");
  EXPECT_EQ(game.getBoard().getPiece({4, 7}), RED_CANNON);
  EXPECT_EQ(game.getBoard().getPiece({7, 0}), BLACK_KNIGHT);
  review.previousStep();
  EXPECT_EQ(announcer.last(), L"开局，红方先行");
  Board opening;
  opening.setupInitialPosition();
  EXPECT_EQ(game.getBoard().getCells(), opening.getCells());
  EXPECT_EQ(game.getCurrentPlayer(), BLACK) << "only the cells are replaced";
  review.previousStep();
  EXPECT_EQ(announcer.last(), L"已经是开局了");
  EXPECT_EQ(sounds, (std::vector<bool>{false, false, false}));

  review.nextStep();
  EXPECT_EQ(review.getCurrentStep(), 1);
  EXPECT_EQ(sounds.back(), true);

  const size_t cellsBefore = announcer.cells.size();
  review.exitReviewMode();
  EXPECT_FALSE(review.isActive());
  EXPECT_EQ(announcer.last(), L"退出复盘模式");
  EXPECT_EQ(game.getBoard().getCells(), finalCells);
  EXPECT_EQ(game.getCurrentPlayer(), BLACK);
  EXPECT_EQ(game.getGameState(), PLAYING);
  EXPECT_EQ(states.back(), PLAYING);
  EXPECT_EQ(review.getSnapshotCount(), 0u);
  expectAllCellsReported(cellsBefore);
}

TEST_F(ReviewFixture, JumpInput) {
  review.enterReviewMode();
  struct Jump {
    std::optional<std::wstring> typed;
    int32_t stepAfter;
    std::wstring notice;  // empty: nothing new is said
    std::optional<bool> sound;
  };
  const std::wstring range = L"步数超出范围，请输入0到3之间的数字";
  const std::vector<Jump> jumps = {
      {L" 2a", 2, L"第2步，黑马 8 0 到 7 2", false},
      {L"abc", 2, L"输入无效", std::nullopt},
      {L"5", 2, range, std::nullopt},
      {L"-1", 2, range, std::nullopt},
      {L"2147483648", 2, L"输入无效", std::nullopt},
      {L"-123456789012345678901234567890", 2, L"输入无效", std::nullopt},
      {std::nullopt, 2, L"", std::nullopt},
      {L"", 2, L"", std::nullopt},
      {L"+3", 3, L"第3步，红马 2 0 到 3 2", true},
      {L"3", 3, L"第3步，红马 2 0 到 3 2", false},
      {L"\t0", 0, L"开局，红方先行", false},
  };
  for (const Jump& j : jumps) {
    SCOPED_TRACE(j.stepAfter);
    ui.answers.push_back(j.typed);
    const size_t noticesBefore = announcer.notices.size();
    sounds.clear();
    review.jumpToStep();
    EXPECT_EQ(ui.prompts.back(), L"请输入步数");
    EXPECT_EQ(review.getCurrentStep(), j.stepAfter);
    if (j.notice.empty()) {
      EXPECT_EQ(announcer.notices.size(), noticesBefore);
    } else {
      EXPECT_EQ(announcer.last(), j.notice);
    }
    EXPECT_EQ(sounds, j.sound ? std::vector<bool>{*j.sound} : std::vector<bool>{});
  }

  ReviewManager withoutUI(&game, &announcer, nullptr);
  withoutUI.enterReviewMode();
  withoutUI.jumpToStep();
  EXPECT_EQ(announcer.last(), L"无法打开输入对话框");
}

TEST_F(ReviewFixture, EnteringTwiceKeepsTheFirstSavedGame) {
  review.exitReviewMode();
  EXPECT_TRUE(announcer.notices.empty()) << "leaving while inactive does nothing";

  review.enterReviewMode();
  review.previousStep();
  review.enterReviewMode();
  EXPECT_EQ(review.getCurrentStep(), 2);
  review.exitReviewMode();
  EXPECT_EQ(game.getGameState(), PLAYING);
  EXPECT_EQ(game.getCurrentPlayer(), BLACK);
  EXPECT_EQ(game.getMoveHistory().size(), 3u);
}

struct ReviewOf : testing::Test {
  GameEngine game;
  RecordingAnnouncer announcer;
  ReviewManager review{&game, &announcer, nullptr};
};

TEST_F(ReviewOf, AnEmptyGameIsRefused) {
  game.newGame(MODE_PVP);
  review.enterReviewMode();
  EXPECT_FALSE(review.isActive());
  EXPECT_EQ(announcer.last(), L"没有棋谱可以复盘");
  EXPECT_EQ(game.getGameState(), PLAYING);
}

TEST_F(ReviewOf, AGameEndedByMateRestoresTheWin) {
  ASSERT_TRUE(game.newGameFromFEN(MODE_PVP, "4k4/R8/9/9/9/8R/9/9/9/3K5 w - - 0 1"));
  ASSERT_TRUE(game.makeMove({{8, 5}, {8, 0}}));
  const Board::Cells finalCells = game.getBoard().getCells();
  review.setMoveTextCallback([this](const Move& m, PieceColor side) {
    return Notation::moveToChinese(m, side, game.getBoard());
  });
  review.enterReviewMode();
  EXPECT_EQ(game.getGameState(), REVIEW);
  review.previousStep();
  review.nextStep();
  EXPECT_EQ(announcer.last(), L"第1步，红车1进5，将军！");
  review.exitReviewMode();
  EXPECT_EQ(game.getGameState(), RED_WIN);
  EXPECT_EQ(game.getBoard().getCells(), finalCells);
  EXPECT_EQ(game.getCurrentPlayer(), BLACK);
}

TEST_F(ReviewOf, ARecordStartingWithBlackToMove) {
  const std::string start = "4k4/9/9/9/9/9/9/9/4P4/3K5 b - - 0 30";
  ASSERT_TRUE(game.newGameFromFEN(MODE_PVP, start));
  ASSERT_TRUE(game.makeMove({{4, 0}, {4, 1}}));
  review.enterReviewMode();
  review.previousStep();
  EXPECT_EQ(announcer.last(), L"开局，黑方先行");
  Board expected;
  ASSERT_TRUE(expected.fromFEN(start));
  EXPECT_EQ(game.getBoard().getCells(), expected.getCells());
  review.nextStep();
  EXPECT_EQ(announcer.last(), L"第1步，黑将 到");  // no text callbacks installed
}

}  // namespace
}  // namespace Tavrune
