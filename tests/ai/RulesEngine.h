#pragma once
// A scripted UCI engine for the AI's tests that plays by the rules: its best move is the
// first legal move of the position it was given, its expected reply the first legal reply
// to that. Each start of the AI's engine gets a session of its own. Searches and the
// handshake's "readyok" can be held, to catch the AI while the engine is busy or starting.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IProcessManager.h"
#include "engine/ScriptedProcess.h"
#include "game/Board.h"

namespace Tavrune::Test {

class RulesEngine {
 public:
  // Threads, Hash, Ponder, MultiPV, Move Overhead, UCI_ShowWDL and "Skill Level" 0..20.
  static std::vector<std::string> standardDeclaration();

  explicit RulesEngine(std::vector<std::string> declaration = standardDeclaration());

  // The process for the next engine start; the AI's process factory.
  std::unique_ptr<IProcessManager> newProcess();
  size_t sessionCount() const;
  std::shared_ptr<ScriptedEngineIo> session(size_t index) const;
  std::shared_ptr<ScriptedEngineIo> lastSession() const;

  void setStartFails(bool fails);
  void setHoldSearches(bool hold);
  // Answers the held search of the newest session.
  void releaseSearch();
  void setHoldReady(bool hold);
  void releaseReady();
  // While held, the start command's write returns only once released, after the
  // handshake is answered: the engine becomes idle while the AI is still in its start.
  void setHoldStart(bool hold);
  // Names this text as the expected reply instead of the rules' choice.
  void setPonderText(std::string text);
  // The newest session's output ends, as when the process is killed.
  void killLastSession();

 private:
  struct Session {
    std::shared_ptr<ScriptedEngineIo> io;
    Board position;
    bool searching = false;
    bool held = false;
    bool readyOwed = false;
  };

  void respond(Session& session, const std::string& line);
  void answer(Session& session);

  const std::vector<std::string> declaration;
  mutable std::mutex lock;
  std::condition_variable startReleased;
  std::vector<std::shared_ptr<Session>> sessions;
  bool startFails = false;
  bool holdSearches = false;
  bool holdReady = false;
  bool holdStart = false;
  std::string ponderText;
};

}  // namespace Tavrune::Test
