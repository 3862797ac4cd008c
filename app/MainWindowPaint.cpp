// Painting: the board, cursors, selections and the status and engine lines, drawn through
// one memory bitmap by the board renderer.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/BoardPaintGeometry.h"
#include "app/MainWindow.h"
#include "core/Log.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"

namespace Tavrune {

void MainWindow::onPaint(HDC dc) {
  if (!renderer && !rendererFailed) {
    renderer = std::make_unique<BoardRenderer>();
    if (!renderer->createResources()) {
      renderer.reset();
      rendererFailed = true;
      logError("[MainWindow] Board renderer resources could not be created");
      announcer->announce(L"无法初始化渲染器");
    }
  }
  if (!renderer) return;

  const bool reviewOpen = reviewManager->isActive();
  const int32_t step = reviewOpen ? reviewManager->getCurrentStep() : 0;
  const std::vector<Move> history = reviewOpen ? gameEngine->getMoveHistory() : std::vector<Move>{};
  const BoardRenderState state = BoardPaintGeometry::renderState(cursor, selected, player2Cursor, player2Selected,
                                                                 reviewOpen, step, history, boardFlipped);
  const PaintRect& board = BoardPaintGeometry::kBoardRect;
  accessibility->setBoardRect(BoardRect{board.left, board.top, board.right, board.bottom});
  const std::wstring status = BoardPaintGeometry::statusLine(
      reviewOpen, step, static_cast<int64_t>(reviewManager->getSnapshotCount()), gameEngine->getCurrentPlayer());
  // Against the engine (the mode the program starts in) the engine's state is shown too.
  const std::wstring engineLine =
      gameMode == MODE_PVE ? BoardPaintGeometry::engineLine(ai->getEngineStateText()) : std::wstring();
  RECT client{};
  GetClientRect(hwnd, &client);
  renderer->paintClientArea(dc, client, gameEngine->getBoard(), state, status, engineLine, statusFont);
}

}  // namespace Tavrune
