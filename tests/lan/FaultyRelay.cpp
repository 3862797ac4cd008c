#include "lan/FaultyRelay.h"

#include <algorithm>
#include <chrono>

#include "lan/LanProtocol.h"
#include "lan/LoopbackSockets.h"

namespace Tavrune::Test {

FaultyRelay::FaultyRelay(int port) : hostPort(port) {
  Sockets::startup();
  listener = listenLoopback(listenPort);
  worker = std::thread([this] { run(); });
}

FaultyRelay::~FaultyRelay() {
  stopping = true;
  worker.join();
  closeLink();
  Sockets::close(listener);
  Sockets::cleanup();
}

void FaultyRelay::dropNext(Direction direction, const std::string& key, int count) {
  std::lock_guard<std::mutex> guard(lock);
  drops[{direction, key}] += count;
}

void FaultyRelay::replaceNext(Direction direction, const std::string& key, const std::string& line) {
  std::lock_guard<std::mutex> guard(lock);
  replacements[{direction, key}] = line;
}

void FaultyRelay::hold(Direction direction, const std::string& fromKey) {
  std::lock_guard<std::mutex> guard(lock);
  holds[static_cast<std::size_t>(direction)] = Hold{fromKey, false, {}};
}

void FaultyRelay::release(Direction direction) {
  std::lock_guard<std::mutex> guard(lock);
  holds[static_cast<std::size_t>(direction)].released = true;
}

std::vector<std::string> FaultyRelay::forwarded(Direction direction) const {
  std::lock_guard<std::mutex> guard(lock);
  return direction == Direction::ToHost ? toHost : toClient;
}

int FaultyRelay::forwardedCount(Direction direction, const std::string& key) const {
  int count = 0;
  for (const std::string& line : forwarded(direction)) {
    if (line.compare(0, key.size() + 1, key + ":") == 0) ++count;
  }
  return count;
}

std::optional<std::uint64_t> FaultyRelay::bytesRead(Direction direction) const {
  std::lock_guard<std::mutex> guard(lock);
  const Flow& f = flow(direction);
  if (!f.linked) return std::nullopt;
  return f.bytesRead;
}

int FaultyRelay::probe(Direction direction) {
  std::lock_guard<std::mutex> guard(lock);
  Flow& f = flow(direction);
  if (f.forwardedSinceProbe == 0) return 0;
  f.forwardedSinceProbe = 0;
  return ++f.probesAsked;
}

bool FaultyRelay::probeSettled(Direction direction, int number) const {
  std::lock_guard<std::mutex> guard(lock);
  return flow(direction).probesSettled >= number;
}

void FaultyRelay::run() {
  while (!stopping) {
    if (cutRequested.exchange(false)) closeLink();
    if (Sockets::waitReadable(listener, 2) == Sockets::Readiness::Ready) acceptLink();
    sendProbes();
    if (link.client == Sockets::INVALID_HANDLE) continue;
    if (!pump(link.client, link.host, link.fromClient, Direction::ToHost) ||
        (!link.swallowed && !pump(link.host, link.client, link.fromHost, Direction::ToClient)) ||
        !releaseDueLines()) {
      closeLink();
    }
  }
}

void FaultyRelay::acceptLink() {
  std::string peer;
  const Sockets::Handle client = Sockets::accept(listener, peer);
  if (client == Sockets::INVALID_HANDLE) return;
  closeLink();
  if (swallowNewLinks) {
    Sockets::setNonBlocking(client);
    link.client = client;
    link.swallowed = true;
    ++links;
    std::lock_guard<std::mutex> guard(lock);
    toHostFlow.linked = true;
    return;
  }
  const Sockets::Handle host = connectLoopback(hostPort);
  if (host == Sockets::INVALID_HANDLE) {
    Sockets::close(client);
    return;
  }
  Sockets::setNonBlocking(client);
  link.client = client;
  link.host = host;
  {
    std::lock_guard<std::mutex> guard(lock);
    linkStartToHost = toHost.size();
    linkStartToClient = toClient.size();
  }
  ++links;
  std::lock_guard<std::mutex> guard(lock);
  toHostFlow.linked = toClientFlow.linked = true;
}

void FaultyRelay::closeLink() {
  if (link.client != Sockets::INVALID_HANDLE) Sockets::close(link.client);
  if (link.host != Sockets::INVALID_HANDLE) Sockets::close(link.host);
  link = Link{};
  std::lock_guard<std::mutex> guard(lock);
  held.clear();
  // The next link's lines wait for none of the lost ones.
  lastDue[0] = lastDue[1] = {};
  for (Hold& h : holds) h.lines.clear();
  for (Flow* f : {&toHostFlow, &toClientFlow}) {
    // Probes on a link that is gone will never be answered.
    *f = Flow{false, 0, 0, f->probesAsked, f->probesAsked, f->probesAsked, {}};
  }
}

void FaultyRelay::sendProbes() {
  std::lock_guard<std::mutex> guard(lock);
  for (Direction direction : {Direction::ToHost, Direction::ToClient}) {
    Flow& f = flow(direction);
    const Sockets::Handle to = direction == Direction::ToHost ? link.host : link.client;
    for (; f.probesSent < f.probesAsked; ++f.probesSent) {
      if (to == Sockets::INVALID_HANDLE || !sendAll(to, LanProtocol::makeHeartbeat())) {
        f.probesSettled = f.probesAsked;  // nothing will answer
        continue;
      }
      f.heartbeats.push_back(true);
    }
  }
}

bool FaultyRelay::answersProbe(Direction direction, const std::string& line) {
  if (line.rfind("HEARTBEAT_ACK:", 0) != 0) return false;
  std::lock_guard<std::mutex> guard(lock);
  Flow& asked = flow(direction == Direction::ToHost ? Direction::ToClient : Direction::ToHost);
  if (asked.heartbeats.empty()) return false;
  const bool probe = asked.heartbeats.front();
  asked.heartbeats.pop_front();
  if (probe) ++asked.probesSettled;
  return probe;
}

bool FaultyRelay::pump(Sockets::Handle from, Sockets::Handle to, std::string& buffer,
                       Direction direction) {
  const Sockets::Readiness ready = Sockets::waitReadable(from, 2);
  if (ready == Sockets::Readiness::TimedOut) return true;
  char chunk[4096];
  const long n = ready == Sockets::Readiness::Ready ? Sockets::receive(from, chunk, sizeof chunk) : -1;
  if (n < 0 && Sockets::lastError() == Sockets::ERROR_WOULD_BLOCK) return true;
  if (n <= 0) return false;
  buffer.append(chunk, static_cast<std::size_t>(n));
  std::vector<std::string> lines;
  LanProtocol::splitLines(buffer, lines);
  for (std::string& line : lines) {
    if (answersProbe(direction, line)) continue;
    if (shouldForward(direction, line) && !sendAll(to, line + "\n")) return false;
  }
  std::lock_guard<std::mutex> guard(lock);
  flow(direction).bytesRead += static_cast<std::uint64_t>(n);
  return true;
}

int FaultyRelay::arrivedCount(Direction direction, const std::string& key) const {
  std::lock_guard<std::mutex> guard(lock);
  const auto found = arrivals.find({direction, key});
  return found == arrivals.end() ? 0 : found->second;
}

bool FaultyRelay::shouldForward(Direction direction, std::string& line) {
  std::lock_guard<std::mutex> guard(lock);
  const std::string key = line.substr(0, line.find(':'));
  ++arrivals[{direction, key}];
  if (stalled || link.swallowed) return false;
  const auto drop = drops.find({direction, key});
  if (drop != drops.end() && drop->second > 0) {
    --drop->second;
    return false;
  }
  const auto replacement = replacements.find({direction, key});
  if (replacement != replacements.end()) {
    line = replacement->second;
    replacements.erase(replacement);
  }
  Hold& kept = holds[static_cast<std::size_t>(direction)];
  if (kept.fromKey && (kept.fromKey->empty() || key == *kept.fromKey)) {
    kept.fromKey->clear();
    kept.lines.push_back(line);
    return false;
  }
  return enterWay(direction, key, line);
}

bool FaultyRelay::enterWay(Direction direction, const std::string& key, const std::string& line) {
  // Counted as it enters the way to its player, where a held line keeps its place.
  Flow& f = flow(direction);
  ++f.forwardedSinceProbe;
  if (key == "HEARTBEAT") f.heartbeats.push_back(false);
  if (delayClock) {
    const auto way = static_cast<std::size_t>(direction);
    // A handshake that stalls past its time-out fails by design: stalls are the game's.
    const bool stall = maxStall.count() > 0 && key.rfind("HELLO", 0) != 0 && delayRandom() % 100 < 3;
    const auto wait = std::chrono::milliseconds(delayRandom() % ((stall ? maxStall : maxDelay).count() + 1));
    lastDue[way] = std::max(lastDue[way], delayClock() + wait);
    held.push_back({lastDue[way], direction, line});
    return false;
  }
  (direction == Direction::ToHost ? toHost : toClient).push_back(line);
  return true;
}

void FaultyRelay::delayLines(Clock clock, std::chrono::milliseconds upTo, unsigned seed,
                             std::chrono::milliseconds stallsUpTo) {
  std::lock_guard<std::mutex> guard(lock);
  delayClock = std::move(clock);
  maxDelay = upTo;
  maxStall = stallsUpTo;
  delayRandom.seed(seed);
}

bool FaultyRelay::releaseDueLines() {
  std::vector<Held> due;
  {
    std::lock_guard<std::mutex> guard(lock);
    for (Direction direction : {Direction::ToHost, Direction::ToClient}) {
      Hold& kept = holds[static_cast<std::size_t>(direction)];
      if (!kept.released) continue;
      // On their way now, in the order they came, as if only now arrived.
      for (std::string& line : kept.lines) {
        if (enterWay(direction, line.substr(0, line.find(':')), line)) due.push_back({{}, direction, line});
      }
      kept = Hold{};
    }
    const auto now = delayClock ? delayClock() : std::chrono::steady_clock::time_point{};
    for (auto it = held.begin(); it != held.end();) {
      if (it->due > now) {
        ++it;
        continue;
      }
      (it->direction == Direction::ToHost ? toHost : toClient).push_back(it->line);
      due.push_back(std::move(*it));
      it = held.erase(it);
    }
  }
  for (const Held& line : due) {
    if (!sendAll(line.direction == Direction::ToHost ? link.host : link.client, line.line + "\n")) return false;
  }
  return true;
}

std::vector<std::string> FaultyRelay::forwardedOnLink(Direction direction) const {
  std::lock_guard<std::mutex> guard(lock);
  const std::vector<std::string>& all = direction == Direction::ToHost ? toHost : toClient;
  const std::size_t start = direction == Direction::ToHost ? linkStartToHost : linkStartToClient;
  return {all.begin() + static_cast<std::ptrdiff_t>(start), all.end()};
}

bool FaultyRelay::holdsLines() const {
  std::lock_guard<std::mutex> guard(lock);
  return !held.empty();
}

bool FaultyRelay::holdsDueLines() const {
  std::lock_guard<std::mutex> guard(lock);
  if (!delayClock) return false;
  const auto now = delayClock();
  for (const Held& line : held) {
    if (line.due <= now) return true;
  }
  return false;
}

}  // namespace Tavrune::Test
