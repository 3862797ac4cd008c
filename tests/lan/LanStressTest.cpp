// Two real controllers play random games over a relay that holds each line up to 300 ms
// (dropping none), cuts the link, and lets a stranger in; the players ask for undo and draw,
// cross each other's requests, press twice, answer after a while, and have their programs
// started again. Now and then both are brought to rest, where they must agree. Seeded: the
// number of games and the seed come from LAN_STRESS_GAMES and LAN_STRESS_SEED, for long
// runs by hand; LAN_STRESS_REQUESTS=0 leaves out undo and draw, LAN_STRESS_RESTARTS=0 the
// restarted programs; LAN_STRESS_STALL_MS holds a few lines in a hundred up to that long,
// as a link that stalls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "lan/LanPeer.h"
#include "lan/ScriptedPeer.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;
using Direction = FaultyRelay::Direction;
using State = LANSessionState;

int setting(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

bool inGame(const LanPeer& p) {
  const State s = p.controller.getState();
  return s == State::PLAYING || s == State::WAITING_ACK;
}

// One player as the window runs it: it answers the peer's question after a while and
// always waits for a lost peer.
struct Player {
  std::unique_ptr<LanPeer> peer;
  bool asked[2] = {false, false};  // its own request of each kind waits for an answer
  int answerAt[2] = {-1, -1};      // the step at which the peer's open question is answered
  std::size_t seen = 0;
  std::string lastNotice;
};

class StressGame {
 public:
  StressGame(unsigned seed, bool requests, bool restarts, int stallMs)
      : random(seed), requests(requests), restarts(restarts), stalls(stallMs) {}
  // Plays one game to its end; empty, or what went wrong.
  std::string play();
  // Boards found apart by a move's refusal and put right by a SYNC: no failure of its own,
  // as the next rest finds them equal, but none should happen on a link that drops nothing.
  int plies = 0, steps = 0, repairs = 0;

 private:
  static constexpr LanRequestKind KINDS[2] = {LanRequestKind::Undo, LanRequestKind::Draw};
  // Moves the clock on (a whole second if it may and both play with no line held: nothing
  // but the next heartbeat is then due), ticking both players once a second, and runs what
  // arrives.
  void step(bool mayLeap = false);
  void look(Player& p);
  void respond(Player& p, int kind);
  void act();
  void move();
  void request(Player& p, int kind);
  void restartGuest();
  void restartHost();
  bool restart(Player& p);
  void stranger();
  // Brings both to rest, every question answered and nothing but heartbeats passing, and
  // compares them there; false once the game has ended or failed.
  bool settle();
  bool heartbeatsAnswered(int link, std::size_t markToHost, std::size_t markToClient) const;
  void fail(const std::string& what) {
    if (failure.empty()) failure = what;
  }
  unsigned pick(unsigned n) { return static_cast<unsigned>(random() % n); }

  std::mt19937 random;
  bool requests, restarts;
  std::chrono::milliseconds stalls;
  ManualClock clock;
  Player host, guest;
  std::unique_ptr<FaultyRelay> relay;
  std::unique_ptr<ScriptedPeer> intruder;
  std::chrono::milliseconds elapsed{0};
  std::chrono::steady_clock::time_point handshakeSeen;
  bool hostRestarted = false;  // the old guest's wait must run out
  bool guestReturning = false;  // a restarted guest has not got its game back yet
  bool over = false;
  std::string failure;
};

void StressGame::step(bool mayLeap) {
  // A handshake takes real time that the clock must not outrun (its time-out would end
  // it): unless the relay holds a line for the clock, the clock waits for it, up to a
  // quarter of a second (ample on loopback), after which a silent stranger's runs out.
  const auto handshaking = [&] {
    for (const Player* p : {&host, &guest}) {
      const State s = p->peer->controller.getState();
      if (s == State::HANDSHAKING || s == State::CONNECTING) return !relay->holdsLines();
    }
    return false;
  };
  if (!handshaking()) {
    handshakeSeen = {};
  } else {
    const auto now = std::chrono::steady_clock::now();
    if (handshakeSeen == std::chrono::steady_clock::time_point{}) handshakeSeen = now;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(handshakeSeen + 250ms - now);
    if (left > 0ms) pumpUntil({host.peer.get(), guest.peer.get()}, [&] { return !handshaking(); }, left);
  }
  const bool resting = host.peer->controller.getState() == State::PLAYING &&
                       guest.peer->controller.getState() == State::PLAYING && !relay->holdsLines();
  const std::chrono::milliseconds by = mayLeap && resting ? 1000ms : 100ms;
  clock.advance(by);
  ++steps;
  if ((elapsed + by) / 1s != elapsed / 1s) {
    for (Player* p : {&host, &guest}) p->peer->controller.tick();
  }
  elapsed += by;
  LanPeer& h = *host.peer;
  LanPeer& g = *guest.peer;
  if (!pumpUntil({&h, &g}, [&] { return !relay->holdsDueLines(); })) fail("relay stuck");
  // A moment for the lines just released to arrive; a late one comes a step later.
  std::this_thread::sleep_for(1ms);
  h.queue.runPending();
  g.queue.runPending();
  look(host);
  look(guest);
}

void StressGame::look(Player& p) {
  const std::vector<std::string> events = p.peer->events();
  LANGameController& c = p.peer->controller;
  for (; p.seen < events.size(); ++p.seen) {
    const std::string& e = events[p.seen];
    if (e.rfind("status:", 0) == 0) p.lastNotice = e.substr(7);
    if (e.rfind("status:检测到棋局偏差", 0) == 0) ++repairs;
    if (e.rfind("undoResponse:", 0) == 0) p.asked[0] = false;
    if (e.rfind("drawResponse:", 0) == 0) p.asked[1] = false;
    if (e.find("protocol_error") != std::string::npos) fail("protocol_error: " + e);
    if (e == "connectFailed") fail("rejoin refused");
    if (e.rfind("ready:", 0) == 0 && &p == &host && hostRestarted) fail("restarted host took up the old game");
    if (e.rfind("ready:", 0) == 0 && &p == &guest) guestReturning = false;
    if (e != "lost") continue;
    p.asked[0] = p.asked[1] = false;
    const LanPeer& other = *(&p == &host ? guest : host).peer;
    if (c.canResume()) {
      c.enterReconnectWait(45);
    } else if (p.peer->game.getGameState() == PLAYING && other.game.getGameState() == PLAYING &&
               !(hostRestarted && &p == &guest)) {
      fail((&p == &guest && guestReturning ? "rejoin refused: " : "lost for good: ") + p.lastNotice);
    } else {
      over = true;  // the old guest of a restarted room, or a cut that caught the game's end
    }
  }
  for (int k = 0; k < 2; ++k) {
    if (!c.peerRequestOpen(KINDS[k])) {
      p.answerAt[k] = -1;
    } else if (p.answerAt[k] < 0) {
      p.answerAt[k] = steps + static_cast<int>(pick(8));
    } else if (steps >= p.answerAt[k]) {
      respond(p, k);
    }
  }
}

void StressGame::respond(Player& p, int kind) {
  const bool accept = pick(3) != 0;
  LANGameController& c = p.peer->controller;
  const bool yes = kind == 0 ? accept : accept && pick(3) == 0;
  // Agreeing also settles one's own request of that kind, if it crossed the peer's.
  if ((kind == 0 ? c.respondUndo(yes) : c.respondDraw(yes)) == LanRequestResult::Sent && yes) p.asked[kind] = false;
  p.answerAt[kind] = -1;
}

void StressGame::move() {
  for (Player* p : {&host, &guest}) {
    LanPeer& peer = *p->peer;
    if (!peer.controller.canSendMove() || peer.game.getGameState() != PLAYING) continue;
    const std::vector<Move> moves = peer.game.getBoard().getLegalMoves(peer.game.getCurrentPlayer());
    if (!moves.empty() && peer.play(moves[pick(static_cast<unsigned>(moves.size()))])) ++plies;
  }
}

void StressGame::request(Player& p, int kind) {
  LANGameController& c = p.peer->controller;
  const int presses = pick(4) == 0 ? 2 : 1;
  for (int i = 0; i < presses; ++i) {
    if ((kind == 0 ? c.requestUndo() : c.requestDraw()) == LanRequestResult::Sent) p.asked[kind] = true;
  }
}

// The player's program closes without a word (the cut) and starts again with a new
// session: false, and nothing restarted, when the game ended as the cut came (the last
// line before it a crossing draw, say) or the cut went unnoticed.
bool StressGame::restart(Player& p) {
  const int lost = p.peer->count("lost");
  relay->cut();
  if (!pumpUntil({p.peer.get()}, [&] { return p.peer->count("lost") > lost; })) {
    if (p.peer->controller.getState() == State::ENDED && p.peer->game.getGameState() != PLAYING) {
      over = true;
    } else {
      fail("cut unnoticed");
    }
    return false;
  }
  p = Player{};
  p.peer = std::make_unique<LanPeer>(clock);
  return true;
}

// The guest comes back under the same name.
void StressGame::restartGuest() {
  if (!restart(guest)) return;
  guestReturning = true;
  for (int i = 0; i < 200 && host.peer->controller.getState() != State::HOSTING; ++i) step();
  if (!guest.peer->controller.joinRoom("guest", "random", "127.0.0.1", relay->port())) fail("rejoin not started");
}

// A room's program started again has no game to resume: the waiting guest's wait runs out.
void StressGame::restartHost() {
  if (!restart(host)) return;
  if (!host.peer->controller.createRoom("host", "random", 0)) return fail("room not reopened");
  relay->retarget(host.peer->network.listeningPort());
  hostRestarted = true;
  for (int i = 0; i < 700 && failure.empty() && guest.peer->controller.getState() != State::ENDED; ++i) step(true);
  if (guest.peer->count("status:重连等待超时") == 0) fail("guest's wait did not run out");
  over = true;
}

// A program that is not the guest connects to the room and says something valid.
void StressGame::stranger() {
  const std::string lines[] = {
      LanProtocol::makeHello("stranger", "red"), LanProtocol::makeMove(1 + pick(40), OPENING[pick(4)]),
      LanProtocol::makeMoveAck(1 + pick(40), pick(2) == 0, ""), LanProtocol::makeSyncRequest(pick(40)),
      LanProtocol::makeSync(STANDARD_START_FEN, {}), LanProtocol::makeUndoRequest(),
      LanProtocol::makeUndoAck(true), LanProtocol::makeDrawRequest(), LanProtocol::makeDrawAck(true),
      LanProtocol::makeHeartbeat(), LanProtocol::makeBye("stranger"), LanProtocol::makeResign()};
  intruder = std::make_unique<ScriptedPeer>();
  if (!intruder->connectTo(host.peer->network.listeningPort())) return intruder.reset();
  for (unsigned i = 1 + pick(3); i > 0; --i) intruder->send(lines[pick(std::size(lines))]);
}

void StressGame::act() {
  if (pick(5) != 0) move();
  const unsigned roll = pick(1000);
  Player& someone = pick(2) == 0 ? host : guest;
  const bool playing = inGame(*host.peer) && inGame(*guest.peer) && host.peer->game.getGameState() == PLAYING;
  if (roll < 60 && requests) request(someone, 0);
  else if (roll < 66 && requests) request(someone, 1);
  else if (roll < 69 && playing) relay->cut();
  else if (roll < 72) stranger();
  else if (roll < 74 && playing && restarts) restartGuest();
  else if (roll < 75 && playing && restarts) restartHost();
  else if (roll < 78) settle();
}

// Both sent two heartbeats since the marks, on the same link, and every heartbeat is
// answered. Two: a heartbeat sent just before an undo's answer (its fence) may reach the
// relay after the marks, with the answer still behind it.
bool StressGame::heartbeatsAnswered(int link, std::size_t markToHost, std::size_t markToClient) const {
  const std::vector<std::string> toHost = relay->forwardedOnLink(Direction::ToHost);
  const std::vector<std::string> toClient = relay->forwardedOnLink(Direction::ToClient);
  if (relay->linksAccepted() != link || toHost.size() < markToHost || toClient.size() < markToClient) return false;
  const auto count = [](const std::vector<std::string>& lines, std::size_t from, const char* key) {
    int n = 0;
    for (std::size_t i = from; i < lines.size(); ++i) n += lines[i].rfind(key, 0) == 0;
    return n;
  };
  return count(toHost, markToHost, "HEARTBEAT:") > 1 && count(toClient, markToClient, "HEARTBEAT:") > 1 &&
         count(toClient, 0, "HEARTBEAT:") == count(toHost, 0, "HEARTBEAT_ACK:") &&
         count(toHost, 0, "HEARTBEAT:") == count(toClient, 0, "HEARTBEAT_ACK:");
}

bool StressGame::settle() {
  LanPeer& h = *host.peer;
  LanPeer& g = *guest.peer;
  const auto ended = [&] {
    for (const LanPeer* p : {&h, &g}) {
      const State s = p->controller.getState();
      if ((s != State::ENDED && s != State::IDLE) || p->controller.canResume()) return false;
    }
    return true;
  };
  const auto deadline = elapsed + 90s;
  while (elapsed < deadline && failure.empty() && !over) {
    if (ended()) {
      if (h.game.getGameState() != g.game.getGameState()) fail("game ended on one board only");
      over = true;
      return false;
    }
    for (Player* p : {&host, &guest}) {
      for (int k = 0; k < 2; ++k) {
        if (p->peer->controller.peerRequestOpen(KINDS[k])) respond(*p, k);
      }
    }
    // Each side's next heartbeat, once answered, follows everything it sent before; with
    // only heartbeats passing since, both have handled all the other said.
    const int link = relay->linksAccepted();
    const std::size_t toHost = relay->forwardedOnLink(Direction::ToHost).size();
    const std::size_t toClient = relay->forwardedOnLink(Direction::ToClient).size();
    do {
      step(true);
    } while (elapsed < deadline && failure.empty() && !over && !ended() && relay->linksAccepted() == link &&
             !heartbeatsAnswered(link, toHost, toClient));
    const auto quiet = [&](Direction way, std::size_t mark) {
      const std::vector<std::string> lines = relay->forwardedOnLink(way);
      if (lines.size() < mark) return false;
      for (std::size_t i = mark; i < lines.size(); ++i) {
        if (lines[i].rfind("HEARTBEAT", 0) != 0) return false;
      }
      return true;
    };
    // A player may have answered meanwhile: its answer, still held by the relay, or a
    // question just put, is no rest.
    const bool questionOpen = [&] {
      for (const LanPeer* p : {&h, &g}) {
        for (LanRequestKind kind : KINDS) {
          if (p->controller.peerRequestOpen(kind)) return true;
        }
      }
      return false;
    }();
    if (elapsed >= deadline || !failure.empty() || over || ended() || relay->linksAccepted() != link || !quiet(Direction::ToHost, toHost) || !quiet(Direction::ToClient, toClient) ||
        relay->holdsLines() || questionOpen || h.controller.getState() != State::PLAYING ||
        g.controller.getState() != State::PLAYING) {
      continue;
    }
    if (h.fen() != g.fen() || h.plies() != g.plies() || h.controller.getMoveSeq() != g.controller.getMoveSeq() ||
        h.game.getGameState() != g.game.getGameState()) {
      fail("boards differ: host " + std::to_string(h.plies()) + " plies, seq " + std::to_string(h.controller.getMoveSeq()) +
           ", result " + std::to_string(h.game.getGameState()) + "; guest " + std::to_string(g.plies()) + ", " +
           std::to_string(g.controller.getMoveSeq()) + ", " + std::to_string(g.game.getGameState()));
    } else if (h.controller.holdsPeerLines() || g.controller.holdsPeerLines()) {
      fail(std::string("line held at rest by the ") + (h.controller.holdsPeerLines() ? "host" : "guest"));
    } else if (host.asked[0] || host.asked[1] || guest.asked[0] || guest.asked[1]) {
      fail(std::string("request left open: ") + (host.asked[0] || host.asked[1] ? "host's " : "guest's ") +
           (host.asked[0] || guest.asked[0] ? "undo" : "draw"));
    } else if (h.game.getGameState() == PLAYING && h.controller.canSendMove() == g.controller.canSendMove()) {
      fail("no one may move");
    }
    return failure.empty();
  }
  const auto where = [](const LanPeer& p) {
    return std::to_string(static_cast<int>(p.controller.getState())) + "/" + std::to_string(p.game.getGameState()) +
           "/" + std::to_string(p.plies());
  };
  if (!over) fail("no rest within 90 s: session/game/plies host " + where(h) + ", guest " + where(g));
  return false;
}

std::string StressGame::play() {
  host.peer = std::make_unique<LanPeer>(clock);
  guest.peer = std::make_unique<LanPeer>(clock);
  const char* sides[] = {"red", "black", "random"};
  if (!host.peer->controller.createRoom("host", sides[pick(3)], 0)) return "room not opened";
  relay = std::make_unique<FaultyRelay>(host.peer->network.listeningPort());
  relay->delayLines(clock.source(), 300ms, random(), stalls);
  if (!guest.peer->controller.joinRoom("guest", sides[pick(3)], "127.0.0.1", relay->port())) return "join not started";
  for (int i = 0; i < 100 && !(host.peer->count("ready:") && guest.peer->count("ready:")); ++i) step();
  if (!host.peer->count("ready:") || !guest.peer->count("ready:")) return "no game";
  const int target = 20 + static_cast<int>(pick(100));
  while (failure.empty() && !over && steps < 20000) {
    step();
    if (plies >= target || host.peer->game.getGameState() != PLAYING) {
      if (settle()) break;
    } else {
      act();
    }
  }
  for (Direction way : {Direction::ToHost, Direction::ToClient}) {
    for (const std::string& line : relay->forwarded(way)) {
      if (line.rfind("BYE:protocol_error", 0) == 0) fail("protocol_error ending");
    }
  }
  if (steps >= 20000) fail("game never ended");
  // What each side heard and the last lines each way, to read a failure by.
  if (!failure.empty() && setting("LAN_STRESS_TRACE", 0) != 0) {
    for (const auto& [name, p] : {std::pair{"host", &host}, std::pair{"guest", &guest}}) {
      for (const std::string& e : p->peer->events()) std::printf("%s %s\n", name, e.c_str());
    }
    for (Direction way : {Direction::ToHost, Direction::ToClient}) {
      const std::vector<std::string> lines = relay->forwarded(way);
      for (std::size_t i = lines.size() > 150 ? lines.size() - 150 : 0; i < lines.size(); ++i) {
        std::printf("%s %s\n", way == Direction::ToHost ? "->host" : "->guest", lines[i].c_str());
      }
    }
  }
  intruder.reset();
  guest.peer.reset();
  host.peer.reset();
  relay.reset();
  return failure;
}

TEST(LanStress, RandomGamesOverASlowCuttingRelayKeepBothBoardsEqual) {
  const int games = setting("LAN_STRESS_GAMES", 2);
  const unsigned seed = static_cast<unsigned>(setting("LAN_STRESS_SEED", 1));
  const bool requests = setting("LAN_STRESS_REQUESTS", 1) != 0;
  const bool restarts = setting("LAN_STRESS_RESTARTS", 1) != 0;
  const int stallMs = setting("LAN_STRESS_STALL_MS", 0);
  std::map<std::string, int> kinds;
  int plies = 0, steps = 0, repairs = 0;
  for (int i = 0; i < games; ++i) {
    StressGame game(seed + static_cast<unsigned>(i), requests, restarts, stallMs);
    const std::string failure = game.play();
    plies += game.plies;
    steps += game.steps;
    repairs += game.repairs;
    if (game.repairs > 0) std::printf("seed %u: boards put right by a SYNC %d times\n", seed + i, game.repairs);
    if (!failure.empty()) {
      ++kinds[failure.substr(0, failure.find(':'))];
      ADD_FAILURE() << "seed " << seed + i << ": " << failure;
    }
  }
  std::string summary;
  for (const auto& [kind, n] : kinds) summary += " " + kind + " x" + std::to_string(n) + ";";
  std::printf("lan stress: %d games from seed %u, %d plies, %d steps, %d repairs;%s\n", games, seed, plies, steps, repairs,
              summary.empty() ? " no failure" : summary.c_str());
}

}  // namespace
}  // namespace Tavrune::Test
