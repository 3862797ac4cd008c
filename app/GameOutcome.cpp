#include "app/GameOutcome.h"

namespace Tavrune {

int32_t GameOutcome::resultForPlayer(GameState state, PieceColor player) {
  if (player != RED && player != BLACK) return 0;
  if (state == RED_WIN) return player == RED ? 1 : 2;
  if (state == BLACK_WIN) return player == BLACK ? 1 : 2;
  return 0;
}

std::wstring GameOutcome::gameOverText(GameState state) {
  switch (state) {
    case RED_WIN: return L"游戏结束，红方获胜！";
    case BLACK_WIN: return L"游戏结束，黑方获胜！";
    case DRAW: return L"游戏结束，和棋！";
    default: return {};
  }
}

}  // namespace Tavrune
