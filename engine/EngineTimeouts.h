#pragma once
// Every wait on the engine process, in one place. Each has a defined outcome, so an
// engine that stalls or crashes can never hang the program.
#include <chrono>
#include <cstddef>

namespace Tavrune {

// "isready" to "readyok", the value every caller of waitForReady passes.
inline constexpr int ENGINE_READY_TIMEOUT_MS = 5000;
// Sleep of the read loop when a read returns no bytes.
inline constexpr int ENGINE_IDLE_READ_SLEEP_MS = 10;
// Longest line kept while waiting for its end; the rest of a longer line is dropped.
inline constexpr size_t ENGINE_MAX_LINE_BYTES = size_t{1} << 20;
// Declared options kept from one start; an engine that declares more is not believed
// beyond this (real engines declare a few dozen).
inline constexpr size_t ENGINE_MAX_DECLARED_OPTIONS = 512;

struct EngineTimeouts {
  using Ms = std::chrono::milliseconds;

  // "uci" (or the "ucci" fallback) to the engine being idle. Outcome: ERROR_STATE and a
  // state callback; the owner stops and replaces the engine.
  Ms handshake{10000};
  // "isready" sent internally to "readyok". Outcome: ERROR_STATE, then the engine is
  // stopped.
  Ms ready{ENGINE_READY_TIMEOUT_MS};
  // "stop" to the stopped search's "bestmove" before a new game. Outcome: as for ready.
  Ms searchStop{5000};
  // "quit" to the end of the engine's output (the process has exited). Outcome: the
  // process is terminated.
  Ms quit{2000};
  // Terminated process to the end of the read thread. Outcome: the thread is left to
  // finish on its own and no longer touches the engine object.
  Ms readThreadExit{2000};
  // One command written to the engine's input. Outcome: the write reports failure.
  Ms write{2000};
  // Terminated process to its exit being confirmed; the handles are closed either way.
  Ms processExit{1000};
};

}  // namespace Tavrune
