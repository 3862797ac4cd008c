// The engine driver reading the engine: output split into lines, then each line acted on
// (protocol detection, declarations, best moves, reports).
#include "engine/UCCIEngine.h"

#include <cstring>

#include "core/Log.h"
#include "engine/EngineLineParser.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

void UCCIEngine::consumeChunk(const char* data, size_t size) {
  const char* cursor = data;
  const char* end = data + size;
  while (cursor < end) {
    const char* newline = static_cast<const char*>(std::memchr(cursor, '\n', static_cast<size_t>(end - cursor)));
    const char* segmentEnd = newline ? newline : end;
    if (!droppingLongLine) {
      // NUL bytes are dropped, never taken as the end of the text.
      for (const char* c = cursor; c < segmentEnd; ++c) {
        if (*c != '\0') pendingLine.push_back(*c);
      }
      if (pendingLine.size() > ENGINE_MAX_LINE_BYTES) {
        logWarning("UCCIEngine: Dropping an engine line longer than " +
                   std::to_string(ENGINE_MAX_LINE_BYTES) + " bytes");
        std::string().swap(pendingLine);
        droppingLongLine = true;
      }
    }
    if (!newline) break;
    cursor = newline + 1;
    if (droppingLongLine) {
      droppingLongLine = false;
      continue;
    }
    std::string line;
    line.swap(pendingLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (stopRequested) return;  // nothing reaches the owner once it asked to stop
    if (!line.empty()) processLine(line);
  }
}

void UCCIEngine::processLine(const std::string& line) {
  logInfo("UCCIEngine: Received: " + loggedLine(line));
  EngineProtocol current;
  {
    std::lock_guard<std::mutex> lock(mutex);
    current = protocol;
  }
  if (current == EngineProtocol::DETECTING) {
    processDetectingLine(line);
    return;
  }

  if (current == EngineProtocol::UCCI && startsWith(line, "ucciok")) {
    bool ready = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      // Only the handshake's answer makes the engine idle; a stray one mid-search must not.
      if (state == INITIALIZING) {
        setStateLocked(IDLE);
        ready = true;
      }
    }
    if (ready) {
      notifyState(IDLE);
      logInfo("UCCIEngine: Engine ready (ucciok)");
    }
  } else if (startsWith(line, "id name")) {
    std::string name = line.size() > 8 ? line.substr(8) : std::string();
    {
      std::lock_guard<std::mutex> lock(mutex);
      engineName = name;
    }
    logInfo("UCCIEngine: Engine name: " + name);
  } else if (startsWith(line, "id author")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineAuthor = line.size() > 10 ? line.substr(10) : std::string();
  } else if (startsWith(line, "readyok")) {
    bool becameIdle = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      // An unasked "readyok" must not answer a later "isready" in advance.
      if (readyokReceived < isreadySent) ++readyokReceived;
      if (state == INITIALIZING) {
        setStateLocked(IDLE);
        becameIdle = true;
      }
      stateChanged.notify_all();
    }
    logInfo("UCCIEngine: Received readyok");
    if (becameIdle) {
      notifyState(IDLE);
      logInfo("UCCIEngine: Engine ready after initial options applied");
    }
  } else if (startsWith(line, "bestmove")) {
    parseBestMove(line);
  } else if (startsWith(line, "info")) {
    parseInfo(line);
  } else if (startsWith(line, "error")) {
    logError("UCCIEngine: Engine error: " + loggedLine(line));
    {
      std::lock_guard<std::mutex> lock(mutex);
      setStateLocked(ERROR_STATE);
    }
    notifyState(ERROR_STATE);
  }
}

void UCCIEngine::processDetectingLine(const std::string& line) {
  if (startsWith(line, "uciok")) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      protocol = EngineProtocol::UCI;
    }
    sendInitialOptions();
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++isreadySent;
    }
    sendCommand("isready");
    logInfo("UCCIEngine: Protocol detected: UCI, sent initial options, waiting for readyok");
  } else if (startsWith(line, "Unknown command")) {
    logInfo("UCCIEngine: UCI not supported, trying UCCI...");
    {
      std::lock_guard<std::mutex> lock(mutex);
      protocol = EngineProtocol::UCCI;
    }
    sendCommand("ucci");
  } else if (startsWith(line, "id name ")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineName = line.substr(8);
  } else if (startsWith(line, "id author ")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineAuthor = line.substr(10);
  } else if (startsWith(line, "option name ")) {
    std::string name;
    EngineOption option;
    if (!EngineLineParser::parseOptionDeclaration(line, name, option)) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (options.size() >= ENGINE_MAX_DECLARED_OPTIONS && options.count(name) == 0) {
        // A flood of declarations must not fill memory within the handshake time.
        if (!optionLimitWarned) {
          optionLimitWarned = true;
          logWarning("UCCIEngine: Engine declared more than " + std::to_string(ENGINE_MAX_DECLARED_OPTIONS) +
                     " options; ignoring the rest");
        }
        return;
      }
    }
    logInfo("UCCIEngine: Parsed option: " + name + " type=" + EngineLineParser::optionTypeWord(option.type) +
            " default=" + option.defaultValue + " min=" + std::to_string(option.min) +
            " max=" + std::to_string(option.max));
    std::lock_guard<std::mutex> lock(mutex);
    options[name] = std::move(option);
  }
}

void UCCIEngine::parseBestMove(const std::string& line) {
  std::vector<std::string> words = EngineLineParser::splitWords(line);
  const std::string moveText = words.size() > 1 ? words[1] : std::string();
  const std::string ponderText = (words.size() > 3 && words[2] == "ponder") ? words[3] : std::string();
  std::optional<Move> move = EngineMoveText::parse(moveText);
  const bool ponderValid = EngineMoveText::parse(ponderText).has_value();

  EngineState previous;
  bool discarded = false;
  BestMoveCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex);
    previous = state;
    // Outside a search an answer is old or unasked, never a move to play.
    if (previous == THINKING || previous == PONDERING) {
      discarded = searchResultDiscarded || previous == PONDERING;
      searchResultDiscarded = false;
      ponderMove = (move && ponderValid) ? ponderText : std::string();
      if (move) {
        move->piece = searchBoard.getPiece(move->from);
        move->captured = searchBoard.getPiece(move->to);
      }
      setStateLocked(IDLE);
      callback = bestMoveCallback;
    }
  }
  if (previous != THINKING && previous != PONDERING) {
    logWarning("UCCIEngine: Ignoring bestmove while no search runs: " + loggedLine(line));
    return;
  }
  if (!move) {
    logError("UCCIEngine: No valid move from engine");
    notifyState(IDLE);
    return;
  }
  if (!ponderText.empty()) {
    if (ponderValid) {
      logInfo("UCCIEngine: Ponder move: " + ponderText);
    } else {
      logWarning("UCCIEngine: Ignoring invalid ponder move: " + loggedLine(ponderText));
    }
  }
  logMove("UCCIEngine: Got best move", move->from.x, move->from.y, move->to.x, move->to.y);
  if (!discarded) {
    if (callback) callback(*move);
    notifyState(IDLE);
    return;
  }
  notifyState(IDLE);
  logInfo(previous == PONDERING ? "UCCIEngine: Ponder stopped, discarding bestmove result"
                                : "UCCIEngine: Search stopped, discarding bestmove result");
}

void UCCIEngine::parseInfo(const std::string& line) {
  InfoLineCallback lineCallback;
  InfoCallback parsedCallback;
  {
    std::lock_guard<std::mutex> lock(mutex);
    lineCallback = infoLineCallback;
    parsedCallback = infoCallback;
  }
  if (lineCallback) lineCallback(line);
  if (parsedCallback) parsedCallback(EngineLineParser::parseInfo(line));
}

void UCCIEngine::onOutputEnded() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopRequested || state == NOT_STARTED) return;
    setStateLocked(ERROR_STATE);
  }
  logError("UCCIEngine: Engine output ended unexpectedly; the engine has exited");
  notifyState(ERROR_STATE);
}

}  // namespace Tavrune
