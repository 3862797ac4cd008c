#pragma once
// A TCP relay on loopback between a LAN client and a host that can lose, hold back or cut
// the lines passing through it, so a session's recovery paths can be driven on purpose.
// One link at a time: a new client replaces the old link, as a reconnection does.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/SocketApi.h"

namespace Tavrune::Test {

class FaultyRelay {
 public:
  enum class Direction { ToHost, ToClient };

  // Forwards to the host's port on 127.0.0.1; listens on a free loopback port of its own.
  explicit FaultyRelay(int hostPort);
  ~FaultyRelay();
  FaultyRelay(const FaultyRelay&) = delete;
  FaultyRelay& operator=(const FaultyRelay&) = delete;

  int port() const { return listenPort; }
  // Loses the next `count` lines of this key ("MOVE_ACK") going this way.
  void dropNext(Direction direction, const std::string& key, int count = 1);
  // Forwards this line (line feed added) in place of the next one of this key going this way.
  void replaceNext(Direction direction, const std::string& key, const std::string& line);
  // While stalled every line is swallowed both ways; the connections stay open.
  void stall(bool on) { stalled = on; }
  // Keeps the lines going this way, from the next one of this key on (any key when empty),
  // in order until released; a cut loses those held so far.
  void hold(Direction direction, const std::string& fromKey = "");
  void release(Direction direction);
  // While on, new clients are accepted but never connected to the host, and their lines
  // are swallowed: a room that takes the connection and never answers.
  void blackhole(bool on) { swallowNewLinks = on; }
  // Closes both ends of the current link, as a broken network would.
  void cut() { cutRequested = true; }
  // Holds every line for a random time up to `upTo` on `clock`, each way in order; a cut
  // loses what is held. With `stallsUpTo`, 3 lines in 100 (not the handshake's) may be held
  // that long instead, stalling their way.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  void delayLines(Clock clock, std::chrono::milliseconds upTo, unsigned seed,
                  std::chrono::milliseconds stallsUpTo = std::chrono::milliseconds(0));
  // Links from now on go to this port, as when the room's program was started again.
  void retarget(int port) { hostPort = port; }
  // Lines forwarded on the current link so far; whether any line is held, or any is due.
  std::vector<std::string> forwardedOnLink(Direction direction) const;
  bool holdsLines() const;
  bool holdsDueLines() const;

  // Lines forwarded this way so far (line feeds removed), and how many had this key;
  // arrivedCount also counts the lines lost or swallowed.
  std::vector<std::string> forwarded(Direction direction) const;
  int forwardedCount(Direction direction, const std::string& key) const;
  int arrivedCount(Direction direction, const std::string& key) const;
  int linksAccepted() const { return links; }

  // Bytes read so far on the current link from the side whose lines go this way (the
  // client's for ToHost); nullopt while that side has no socket.
  std::optional<std::uint64_t> bytesRead(Direction direction) const;
  // When lines went this way since the last probe: sends a HEARTBEAT behind them, whose
  // answer the relay keeps to itself, and returns its number; 0 when nothing went. The
  // peer has handled every line before it once probeSettled says so.
  int probe(Direction direction);
  // The probe has been answered, or can no longer be (its link is gone).
  bool probeSettled(Direction direction, int number) const;

 private:
  struct Link {
    Sockets::Handle client = Sockets::INVALID_HANDLE;
    Sockets::Handle host = Sockets::INVALID_HANDLE;
    std::string fromClient, fromHost;
    bool swallowed = false;
  };
  // Per direction: what the relay knows of lines and probes going that way.
  struct Flow {
    bool linked = false;          // the side that sends this way has a socket
    std::uint64_t bytesRead = 0;  // on the current link, from the side that sends this way
    int forwardedSinceProbe = 0;
    int probesAsked = 0;
    int probesSent = 0;
    int probesSettled = 0;
    // The HEARTBEATs sent this way on the current link, in order, true for a probe: the
    // other side answers them in the same order.
    std::deque<bool> heartbeats;
  };
  Flow& flow(Direction direction) { return direction == Direction::ToHost ? toHostFlow : toClientFlow; }
  const Flow& flow(Direction direction) const {
    return direction == Direction::ToHost ? toHostFlow : toClientFlow;
  }
  void sendProbes();
  // True for the answer to a probe, which goes no further.
  bool answersProbe(Direction direction, const std::string& line);
  void run();
  void acceptLink();
  void closeLink();
  // False when that side has closed.
  bool pump(Sockets::Handle from, Sockets::Handle to, std::string& buffer, Direction direction);
  // May put a replacement into `line`.
  bool shouldForward(Direction direction, std::string& line);
  // The line sets off towards its player: false when delayed. With the lock held.
  bool enterWay(Direction direction, const std::string& key, const std::string& line);
  // Sends the held lines whose time has come; false when a side has closed.
  bool releaseDueLines();

  std::atomic<int> hostPort;
  Sockets::Handle listener = Sockets::INVALID_HANDLE;
  int listenPort = 0;
  Link link;
  std::atomic<bool> stopping{false};
  std::atomic<bool> stalled{false};
  std::atomic<bool> cutRequested{false};
  std::atomic<bool> swallowNewLinks{false};
  std::atomic<int> links{0};
  mutable std::mutex lock;
  std::map<std::pair<Direction, std::string>, int> drops;
  std::map<std::pair<Direction, std::string>, std::string> replacements;
  std::vector<std::string> toHost, toClient;
  std::size_t linkStartToHost = 0, linkStartToClient = 0;
  Clock delayClock;
  std::chrono::milliseconds maxDelay{0};
  std::chrono::milliseconds maxStall{0};
  std::minstd_rand delayRandom;
  struct Held {
    std::chrono::steady_clock::time_point due;
    Direction direction;
    std::string line;
  };
  std::deque<Held> held;  // in release order
  struct Hold {
    std::optional<std::string> fromKey;  // armed; empty once holding
    bool released = false;
    std::vector<std::string> lines;
  };
  Hold holds[2];
  std::chrono::steady_clock::time_point lastDue[2];
  std::map<std::pair<Direction, std::string>, int> arrivals;
  Flow toHostFlow, toClientFlow;
  std::thread worker;
};

}  // namespace Tavrune::Test
