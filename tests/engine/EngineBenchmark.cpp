// Prints how much the driver adds to the engine's own time; asserts nothing.
//  - "bestmove" read off the pipe to the move callback (the driver's parsing and dispatch)
//  - "isready" to "readyok", through the relay and directly
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <vector>

#include "EngineEvents.h"
#include "EngineLaunch.h"
#include "RecordingProcess.h"
#include "engine/UCCIEngine.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using Micros = std::chrono::duration<double, std::micro>;

constexpr int READY_ROUNDS = 300;
constexpr size_t SEARCH_ROUNDS = 200;

void report(const char* what, std::vector<double> micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  const double median = micros[micros.size() / 2];
  const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  std::printf("[bench] %-44s median %9.1f us   p99 %9.1f us   (%zu runs)\n", what, median, p99, micros.size());
  std::fflush(stdout);
}

std::vector<double> readyRoundTrips(UCCIEngine& engine) {
  std::vector<double> samples;
  for (int i = 0; i < READY_ROUNDS; ++i) {
    const auto begin = std::chrono::steady_clock::now();
    if (!engine.waitForReady(5000)) break;
    samples.push_back(Micros(std::chrono::steady_clock::now() - begin).count());
  }
  return samples;
}

TEST(EngineBenchmark, DriverLatency) {
  std::string missing;
  std::optional<::Tavrune::Test::EngineLaunch> relayed = ::Tavrune::Test::realEngine(::Tavrune::Test::RelayMode::UciXiangqi, missing);
  if (!relayed) TAVRUNE_SKIP_OR_FAIL_IN_CI(missing);

  auto record = std::make_shared<::Tavrune::Test::ProcessRecord>();
  UCCIEngine engine;
  engine.setProcessManager(std::make_unique<::Tavrune::Test::RecordingProcess>(std::move(relayed->process), record));
  EngineTimeouts timeouts;
  timeouts.handshake = 20s;
  engine.setTimeouts(timeouts);
  engine.setThreads(1);
  engine.setHash(16);
  engine.setDepth(1);
  std::vector<double> toCallback;
  std::mutex mutex;
  std::condition_variable delivered;
  engine.setBestMoveCallback([&](const Move&) {
    const auto now = std::chrono::steady_clock::now();
    {
      std::lock_guard<std::mutex> lock(mutex);
      toCallback.push_back(Micros(now - record->bestmoveReadAt()).count());
    }
    delivered.notify_all();
  });
  ASSERT_TRUE(engine.start(relayed->commandLine));
  for (int i = 0; i < 2000 && engine.getState() != UCCIEngine::IDLE; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(engine.getState(), UCCIEngine::IDLE);

  Board board;
  board.fromFEN(STANDARD_START_FEN);
  for (size_t i = 0; i < SEARCH_ROUNDS; ++i) {
    engine.requestMove(board, STANDARD_START_FEN);
    std::unique_lock<std::mutex> lock(mutex);
    if (!delivered.wait_for(lock, 10s, [&] { return toCallback.size() > i; })) break;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    report("bestmove off the pipe -> move callback", toCallback);
  }
  report("isready -> readyok (through the relay)", readyRoundTrips(engine));
  engine.stop();

  std::optional<::Tavrune::Test::EngineLaunch> direct = ::Tavrune::Test::realEngineDirect(missing);
  ASSERT_TRUE(direct.has_value());
  UCCIEngine plain;
  plain.setProcessManager(std::move(direct->process));
  plain.setTimeouts(timeouts);
  plain.setThreads(1);
  plain.setHash(16);
  ASSERT_TRUE(plain.start(direct->commandLine));
  for (int i = 0; i < 2000 && plain.getState() != UCCIEngine::IDLE; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(plain.getState(), UCCIEngine::IDLE);
  report("isready -> readyok (engine started directly)", readyRoundTrips(plain));
  plain.stop();
}

}  // namespace
}  // namespace Tavrune
