#include "ai/RulesEngine.h"

#include <utility>

#include "engine/EngineMoveText.h"

namespace Tavrune::Test {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string firstLegalMoveText(const Board& board, Move* chosen) {
  const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
  if (moves.empty()) return {};
  if (chosen) *chosen = moves.front();
  return EngineMoveText::format(moves.front());
}

}  // namespace

std::vector<std::string> RulesEngine::standardDeclaration() {
  return {"id name Rules Engine",
          "option name Threads type spin default 1 min 1 max 512",
          "option name Hash type spin default 16 min 1 max 33554432",
          "option name Ponder type check default false",
          "option name MultiPV type spin default 1 min 1 max 500",
          "option name Move Overhead type spin default 10 min 0 max 5000",
          "option name UCI_ShowWDL type check default false",
          "option name Skill Level type spin default 20 min 0 max 20"};
}

RulesEngine::RulesEngine(std::vector<std::string> declaration) : declaration(std::move(declaration)) {}

std::unique_ptr<IProcessManager> RulesEngine::newProcess() {
  auto session = std::make_shared<Session>();
  session->io = std::make_shared<ScriptedEngineIo>();
  session->position.fromFEN(STANDARD_START_FEN);
  {
    std::lock_guard<std::mutex> guard(lock);
    session->io->setStartFails(startFails);
    sessions.push_back(session);
  }
  std::weak_ptr<Session> weak = session;
  session->io->setResponder([this, weak](const std::string& line, ScriptedEngineIo&) {
    if (std::shared_ptr<Session> alive = weak.lock()) respond(*alive, line);
    if (line == "uci") {  // held outside `respond`: the reader answers meanwhile
      std::unique_lock<std::mutex> guard(lock);
      startReleased.wait(guard, [this] { return !holdStart; });
    }
  });
  return std::make_unique<ScriptedProcess>(session->io);
}

size_t RulesEngine::sessionCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return sessions.size();
}

std::shared_ptr<ScriptedEngineIo> RulesEngine::session(size_t index) const {
  std::lock_guard<std::mutex> guard(lock);
  return index < sessions.size() ? sessions[index]->io : nullptr;
}

std::shared_ptr<ScriptedEngineIo> RulesEngine::lastSession() const {
  std::lock_guard<std::mutex> guard(lock);
  return sessions.empty() ? nullptr : sessions.back()->io;
}

void RulesEngine::setStartFails(bool fails) {
  std::lock_guard<std::mutex> guard(lock);
  startFails = fails;
}

void RulesEngine::setHoldSearches(bool hold) {
  std::lock_guard<std::mutex> guard(lock);
  holdSearches = hold;
}

void RulesEngine::releaseSearch() {
  std::lock_guard<std::mutex> guard(lock);
  holdSearches = false;
  if (!sessions.empty() && sessions.back()->held) answer(*sessions.back());
}

void RulesEngine::setHoldReady(bool hold) {
  std::lock_guard<std::mutex> guard(lock);
  holdReady = hold;
}

void RulesEngine::releaseReady() {
  std::lock_guard<std::mutex> guard(lock);
  holdReady = false;
  for (const auto& session : sessions) {
    if (std::exchange(session->readyOwed, false)) session->io->emitLines({"readyok"});
  }
}

void RulesEngine::setHoldStart(bool hold) {
  {
    std::lock_guard<std::mutex> guard(lock);
    holdStart = hold;
  }
  startReleased.notify_all();
}

void RulesEngine::setPonderText(std::string text) {
  std::lock_guard<std::mutex> guard(lock);
  ponderText = std::move(text);
}

void RulesEngine::killLastSession() {
  std::shared_ptr<ScriptedEngineIo> io = lastSession();
  if (io) io->endOutput();
}

void RulesEngine::respond(Session& session, const std::string& line) {
  std::lock_guard<std::mutex> guard(lock);
  ScriptedEngineIo& io = *session.io;
  if (line == "uci") {
    std::string chunk;
    for (const std::string& declared : declaration) chunk += declared + "\n";
    io.emit(chunk + "uciok\n");
  } else if (line == "isready") {
    if (holdReady) {
      session.readyOwed = true;
    } else {
      io.emitLines({"readyok"});
    }
  } else if (line == "position startpos") {
    session.position.fromFEN(STANDARD_START_FEN);
  } else if (startsWith(line, "position fen ")) {
    session.position.fromFEN(line.substr(13));
  } else if (startsWith(line, "go ponder")) {
    session.searching = true;  // until "ponderhit" or "stop"
  } else if (startsWith(line, "go") || line == "ponderhit") {
    session.searching = true;
    if (holdSearches) {
      session.held = true;
    } else {
      answer(session);
    }
  } else if (line == "stop") {
    if (session.searching) answer(session);
  } else if (line == "quit") {
    io.endOutput();
  }
}

void RulesEngine::answer(Session& session) {
  session.searching = false;
  session.held = false;
  Move best;
  const std::string bestText = firstLegalMoveText(session.position, &best);
  if (bestText.empty()) {
    session.io->emitLines({"bestmove (none)"});
    return;
  }
  Board after = session.position;
  after.movePiece(best);
  std::string reply = ponderText.empty() ? firstLegalMoveText(after, nullptr) : ponderText;
  session.io->emitLines({"bestmove " + bestText + (reply.empty() ? "" : " ponder " + reply)});
}

}  // namespace Tavrune::Test
