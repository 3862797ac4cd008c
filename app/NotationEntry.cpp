#include "app/NotationEntry.h"

#include <algorithm>

#include "app/GameSessionPlanner.h"
#include "app/VirtualKeys.h"
#include "game/GameEngine.h"
#include "game/Notation.h"

namespace Tavrune {

namespace {

constexpr wchar_t kStarted[] = L"小键盘记谱输入已开始";
constexpr wchar_t kCancelled[] = L"已取消小键盘输入";
constexpr wchar_t kNothingToErase[] = L"当前没有可退格内容";
constexpr wchar_t kNumLockOff[] = L"请开启小键盘（NumLock）";
constexpr wchar_t kTimedOut[] = L"输入超时，已清空";
constexpr wchar_t kAmbiguous[] = L"该着法有歧义，请改用常规选子";
constexpr wchar_t kIllegal[] = L"该着法不合法";

// Keypad order: 1 king .. 7 pawn.
constexpr const wchar_t* kPieceNames[] = {L"将帅", L"士", L"象相", L"马", L"车", L"炮", L"兵卒"};

bool isDigitIn(wchar_t c, wchar_t low, wchar_t high) { return c >= low && c <= high; }

}  // namespace

NotationTimerRequest NotationEntry::setSettings(const NotationSettings& settings) {
  settings_ = settings;
  return armRequest();
}

uint32_t NotationEntry::timerPeriodMs(int32_t timeoutSetting) {
  if (timeoutSetting <= 0) return 0;
  return static_cast<uint32_t>(std::min(timeoutSetting, kMaxTimeoutMs));
}

bool NotationEntry::isKeypadDigit(uint32_t virtualKey) {
  return virtualKey >= VirtualKey::Numpad0 && virtualKey <= VirtualKey::Numpad0 + 9;
}

bool NotationEntry::isKeypadKey(uint32_t virtualKey) {
  return isKeypadDigit(virtualKey) || virtualKey == VirtualKey::Add || virtualKey == VirtualKey::Subtract ||
         virtualKey == VirtualKey::Decimal;
}

std::optional<wchar_t> NotationEntry::characterFor(uint32_t virtualKey, const NotationSettings& settings) {
  // The main-keyboard switch alone still lets the keypad type.
  if (settings.numpadEnabled || settings.mainKeyboardEnabled) {
    if (isKeypadDigit(virtualKey)) return static_cast<wchar_t>(L'0' + (virtualKey - VirtualKey::Numpad0));
    switch (virtualKey) {
      case VirtualKey::Add: return L'+';
      case VirtualKey::Subtract: return L'-';
      case VirtualKey::Decimal: return L'.';
      default: break;
    }
  }
  if (settings.mainKeyboardEnabled) {
    if (virtualKey >= VirtualKey::Digit0 && virtualKey <= VirtualKey::Digit0 + 9) {
      return static_cast<wchar_t>(L'0' + (virtualKey - VirtualKey::Digit0));
    }
    switch (virtualKey) {
      case VirtualKey::OemPlus: return L'+';
      case VirtualKey::OemMinus: return L'-';
      case VirtualKey::OemPeriod: return L'.';
      default: break;
    }
  }
  return std::nullopt;
}

std::optional<std::wstring> NotationEntry::turnRefusal(const NotationTurn& turn, const GameEngine& game) {
  if (!turn.gameActive) return L"当前未开始对局，请从游戏菜单选择模式";
  if (turn.reviewOpen) return L"复盘模式下不能走棋，按ESC退出复盘";
  if (game.getGameState() != PLAYING) return L"游戏已结束，请开始新游戏";
  if (turn.mode == MODE_PVE && game.getCurrentPlayer() != turn.humanSide) {
    // An engine that gave up will not move: waiting for it would be waiting for ever.
    return turn.engineUnavailable ? GameSessionPlanner::kEngineUnavailableNotice : L"AI正在思考，请稍候";
  }
  if (turn.mode == MODE_LAN && !turn.lanLocalTurn) return L"当前未轮到你走棋";
  if (turn.mode == MODE_LAN && !turn.lanRefusal.empty()) return turn.lanRefusal;
  return std::nullopt;
}

std::wstring NotationEntry::promptFor(const NotationFields& fields) {
  switch (fields.step) {
    case 1: {
      const int32_t index = fields.piece - L'1';
      return std::wstring(L"棋子：") + (index >= 0 && index < 7 ? kPieceNames[index] : L"");
    }
    case 2:
      if (fields.start == L'+') return L"起始：前";
      if (fields.start == L'-') return L"起始：后";
      return std::wstring(L"起始：") + fields.start;
    case 3:
      if (fields.action == L'+') return L"动作：进";
      if (fields.action == L'-') return L"动作：退";
      if (fields.action == L'.') return L"动作：平";
      return L"动作：?";
    default:
      return {};
  }
}

std::wstring NotationEntry::hintFor(wchar_t typed, int32_t step) {
  if (typed == L'0') return L"0 不是有效记谱数字，请输入 1 到 9";
  switch (step) {
    case 0:
      return (typed == L'8' || typed == L'9') ? L"棋子编号只能输入 1 到 7" : L"当前应输入棋子（1到7）";
    case 1: return L"当前应输入起始（1到9，或加号前、减号后）";
    case 2: return L"当前应输入动作（加号进、减号退、小数点平，或直接输入 1 到 9 表示平）";
    default: return L"当前应输入目标（1到9）";
  }
}

NotationTimerRequest NotationEntry::armRequest() const {
  const uint32_t period = timerPeriodMs(settings_.timeoutMs);
  if (fields_.active && period >= 1) return {NotationTimerRequest::Start, period};
  return {NotationTimerRequest::Stop, 0};
}

void NotationEntry::reset(NotationOutcome& out) {
  fields_ = NotationFields{};
  out.timer = {NotationTimerRequest::Stop, 0};
}

NotationTimerRequest NotationEntry::cancel() {
  if (!fields_.active) return {};
  fields_ = NotationFields{};
  return {NotationTimerRequest::Stop, 0};
}

NotationOutcome NotationEntry::onTimeout() {
  NotationOutcome out;
  // A timer with no entry, or one whose time-out was switched off, has nothing to end.
  if (!fields_.active || timerPeriodMs(settings_.timeoutMs) < 1) {
    out.timer = {NotationTimerRequest::Stop, 0};
    return out;
  }
  reset(out);
  out.notices.push_back(kTimedOut);
  return out;
}

NotationOutcome NotationEntry::handleKey(uint32_t virtualKey, bool numLockOn, const NotationTurn& turn,
                                         GameEngine& game) {
  NotationOutcome out;
  if (virtualKey == VirtualKey::Escape) {
    if (!fields_.active) return out;
    out.consumed = true;
    reset(out);
    out.notices.push_back(kCancelled);
    return out;
  }
  if ((virtualKey == VirtualKey::Back || virtualKey == VirtualKey::Delete) && fields_.active) {
    out.consumed = true;
    stepBack(out);
    return out;
  }

  const std::optional<wchar_t> typed = characterFor(virtualKey, settings_);
  if (!typed) return out;
  out.consumed = true;

  if (std::optional<std::wstring> refusal = turnRefusal(turn, game)) {
    reset(out);
    out.notices.push_back(*refusal);
    return out;
  }
  // With NumLock off the keypad's digits are arrows; + and - still arrive, but an entry
  // begun with them could not be finished, so every keypad key asks for NumLock.
  if (isKeypadKey(virtualKey) && !numLockOn) {
    reset(out);
    out.notices.push_back(kNumLockOff);
    return out;
  }
  if (!fields_.active) {
    fields_ = NotationFields{};
    fields_.active = true;
    out.notices.push_back(kStarted);
  }
  accept(*typed, turn, game, out);
  return out;
}

void NotationEntry::stepBack(NotationOutcome& out) {
  if (fields_.target) {
    fields_.target = 0;
    fields_.step = 3;
  } else if (fields_.action) {
    fields_.action = 0;
    fields_.step = 2;
  } else if (fields_.start) {
    fields_.start = 0;
    fields_.step = 1;
  } else if (fields_.piece) {
    reset(out);
    out.notices.push_back(kCancelled);
    return;
  } else {
    out.notices.push_back(kNothingToErase);
    return;
  }
  out.timer = armRequest();
}

void NotationEntry::advanceTo(int32_t step, NotationOutcome& out) {
  fields_.step = step;
  out.notices.push_back(promptFor(fields_));
  out.timer = armRequest();
}

void NotationEntry::accept(wchar_t typed, const NotationTurn& turn, GameEngine& game, NotationOutcome& out) {
  switch (fields_.step) {
    case 0:
      if (isDigitIn(typed, L'1', L'7')) {
        fields_.piece = typed;
        advanceTo(1, out);
        return;
      }
      break;
    case 1:
      if (isDigitIn(typed, L'1', L'9') || typed == L'+' || typed == L'-') {
        fields_.start = typed;
        advanceTo(2, out);
        return;
      }
      break;
    case 2:
      if (typed == L'+' || typed == L'-' || typed == L'.') {
        fields_.action = typed;
        advanceTo(3, out);
        return;
      }
      if (isDigitIn(typed, L'1', L'9')) {
        // A digit here only says "traverse"; the target is still asked for.
        fields_.action = L'.';
        advanceTo(3, out);
        return;
      }
      break;
    default:
      if (isDigitIn(typed, L'1', L'9')) {
        fields_.target = typed;
        if (submit(turn, game, out)) {
          reset(out);
        } else {
          out.timer = armRequest();
        }
        return;
      }
      break;
  }
  out.notices.push_back(hintFor(typed, fields_.step));
}

bool NotationEntry::submit(const NotationTurn& turn, GameEngine& game, NotationOutcome& out) {
  NotationQuery query;
  query.pieceKind = fields_.piece - L'0';
  if (fields_.start == L'+') {
    query.frontRear = NotationQuery::Front;
  } else if (fields_.start == L'-') {
    query.frontRear = NotationQuery::Rear;
  } else {
    query.startFile = fields_.start - L'0';
  }
  query.action = fields_.action == L'+'   ? NotationQuery::Advance
                 : fields_.action == L'-' ? NotationQuery::Retreat
                                          : NotationQuery::Traverse;
  query.number = fields_.target - L'0';

  const PieceColor side = game.getCurrentPlayer();
  NotationMatch match = Notation::findMoveByNotation(game.getBoard(), side, turn.viewerSide, query);
  // 8 and 2 sit where the keypad's up and down arrows are: front and rear.
  if (settings_.frontBackAlias82 && (fields_.start == L'8' || fields_.start == L'2') &&
      match.status == NotationMatch::NoMatch) {
    NotationQuery alias = query;
    alias.frontRear = fields_.start == L'8' ? NotationQuery::Front : NotationQuery::Rear;
    alias.startFile = 0;
    NotationMatch retry = Notation::findMoveByNotation(game.getBoard(), side, turn.viewerSide, alias);
    if (retry.status == NotationMatch::Found || retry.status == NotationMatch::Ambiguous) match = retry;
  }

  if (match.status == NotationMatch::Ambiguous) {
    out.notices.push_back(kAmbiguous);
    return false;
  }
  if (match.status == NotationMatch::Found && game.makeMove(match.move)) {
    const Move played = game.getMoveHistory().back();
    out.playedMove = played;
    out.mainCursorFollows = getPieceColor(played.piece) == turn.humanSide;
    return true;
  }
  out.notices.push_back(kIllegal);
  return true;
}

}  // namespace Tavrune
