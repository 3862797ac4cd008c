#pragma once
// One LAN game session between two copies of the program: the host opens a room and
// waits, the client joins it. Owns the session's state machine, the handshake that names
// the players and gives out the sides, acknowledged moves with resynchronisation,
// liveness and reconnection, draw, undo, resignation and leaving, and the controller half
// of room discovery. Platform-neutral: the transport is Network, the game GameEngine.
// Defined across LANGameController*.cpp, one file per concern.
//
// Threads. One non-recursive mutex guards every field, and every LANCallbacks slot is
// called with it held. Received lines and disconnect reports do not run on the receive
// thread: they are handed in batches to the executor given at construction (the window
// posts them to its UI thread, tests to a queue), so the game is only ever touched on that
// one thread; a peer whose unhandled lines pass a cap is refused. Connection attempts run
// on a thread of their own and post their result. The wait-for-client thread's hand-over
// and the discovery callbacks stay on their own threads and never touch the game.
#include <atomic>
#include <chrono>
#include <deque>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "game/ChessTypes.h"
#include "lan/LANCallbacks.h"
#include "lan/LANSessionState.h"
#include "lan/LanConnectionState.h"
#include "lan/LanMessageRules.h"
#include "lan/LanRequestKind.h"
#include "lan/LanRequestResult.h"
#include "lan/LanProtocol.h"
#include "lan/RoomTable.h"

namespace Tavrune {

class GameEngine;
class Network;

class LANGameController {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  // Every time-out reads this clock; tests give one they move by hand.
  using Clock = std::function<TimePoint()>;
  using Task = std::function<void()>;
  // Runs the work of a received line or a disconnect report on the thread that owns the game.
  using Executor = std::function<void(Task)>;

  static constexpr int32_t DEFAULT_GAME_PORT = 8888;
  static constexpr int32_t DEFAULT_DISCOVERY_PORT = 8889;

  // An empty executor runs the work at once on the receive thread; an empty clock is the
  // steady clock. gamePort is what a room search asks for; discoveryPort is the UDP port of
  // room discovery.
  LANGameController(GameEngine* game, Network* network, Executor executor = {}, Clock clock = {},
                    int32_t gamePort = DEFAULT_GAME_PORT,
                    int32_t discoveryPort = DEFAULT_DISCOVERY_PORT);
  ~LANGameController();
  LANGameController(const LANGameController&) = delete;
  LANGameController& operator=(const LANGameController&) = delete;

  void setCallbacks(const LANCallbacks& table);

  // Opens a room on `port` (0: any free port) and waits for a client on a thread of its
  // own; false outside IDLE or when the port cannot be opened.
  bool createRoom(const std::string& name, const std::string& sidePreference, int32_t port);
  // Starts connecting to the host (then to the room's other known addresses) and returns
  // (CONNECTING); once connected it says HELLO, else connectFailed is reported. False
  // outside IDLE or without an address.
  bool joinRoom(const std::string& name, const std::string& sidePreference,
                const std::string& hostAddress, int32_t port);
  // Says BYE when connected and tears the session down; any state, any number of times.
  void leaveRoom();

  LANSessionState getState() const;
  bool canResume() const;
  // The game's side to move is the local side; reads the game without the lock.
  bool isMyTurn() const;
  // The local side is to move and the session is PLAYING: a local move may be played.
  bool canSendMove() const;
  // The window has set up the local game for this session; peer moves are refused until then.
  void onEngineReady();
  // The number of the last ply sent or accepted.
  int32_t getMoveSeq() const;
  // The peer's request of this kind still waits for the local player's answer: a question
  // the window has not put yet is dropped once this is false.
  bool peerRequestOpen(LanRequestKind kind) const;
  // Lines of the peer's wait for a SYNC, or for the answer to our move taken back.
  bool holdsPeerLines() const;

  // The local player's move, already played on the local game.
  void sendMove(const Move& move);
  // Each says whether it sent the request, or the answer as given, and if not, why.
  LanRequestResult requestUndo();
  LanRequestResult respondUndo(bool accept);
  LanRequestResult requestDraw();
  LanRequestResult respondDraw(bool accept);
  LanRequestResult resign();

  // Once a second from the window's timer: heartbeats, silence, resends, time-outs and
  // reconnection attempts.
  void tick();
  // Begins waiting for the peer to come back after a resumable loss (seconds < 1: 45 s).
  bool enterReconnectWait(int seconds);
  void declineReconnect();

  bool startRoomSearch();
  void stopRoomSearch();

  // One received line and the transport's report of a closed connection, on the thread
  // that owns the game.
  void onMessage(const std::string& line);
  void onNetworkDisconnected();

  // The side text the host gives the client, from the host's preference and the side text
  // of the client's HELLO ("random", "red", "black", or anything else a peer sends).
  static std::string chooseClientSide(const std::string& hostPreference,
                                      const std::string& clientSide);
  static int32_t addressAffinity(const std::string& local, const std::string& candidate) {
    return RoomTable::addressAffinity(local, candidate);
  }

 private:
  struct Lifetime {};

  TimePoint now() const { return clock(); }
  bool inGame() const;
  void send(const std::string& line);
  template <typename Slot, typename... Args>
  static void fire(const Slot& slot, Args&&... args) {
    if (slot) slot(std::forward<Args>(args)...);
  }

  // Transport binding. Work from the transport is tagged with its connection's number and
  // dropped when that is no longer the connection this session talks over.
  void bindNetworkCallbacks();
  void unbindNetworkCallbacks();
  void post(Task work);
  // The connection just made or accepted becomes the session's, with state of its own.
  void adoptConnection(uint64_t connection);
  // Nothing more from the session's connection reaches the game, and nothing it counted
  // or expected is kept; it is closed once the lock is released (finishUnlocked).
  void retireConnection();
  void handleLineFrom(uint64_t connection, const std::string& line);
  // The transport's report that a connection ended; refused: it cut the peer off for
  // breaking the protocol.
  void handleDisconnectFrom(uint64_t connection, bool refused);
  void dispatch(const LanMessage& message);
  // A line acted on where the session stands, or held while a SYNC is due.
  void handle(const LanMessage& message);
  void act(const LanMessage& message);
  LanMessageRules::Phase phase() const;
  // A line the session does not act on where it stands; said in the log once per kind and
  // connection.
  void ignoreLine(LanMessageType type, const char* why);
  // The connection whose handshake has not completed goes, and only it: a room or a
  // reconnection wait goes on, a first join ends.
  void dropHandshakingPeer(const std::string& why);
  // The peer broke the protocol: it is told so, its connection closes and the game ends
  // without a wait for it.
  void refuseBreach(const char* why);

  // Wait-for-client thread.
  void startWaitThread(bool resume);
  void stopWaitThread();
  void waitForClient(bool resume);
  static void endThread(std::mutex& threadMutex, std::thread& thread);

  // Connection attempts: started with the lock held; a result counts only while its
  // attempt is the current one.
  void startConnectAttempt();
  void cancelConnect();
  // Waits for the attempt's thread (quick once cancelled); without the lock.
  void stopConnectThread();
  void onConnectResult(uint64_t attempt, uint64_t connection);

  // What the transport's threads hand over: a line, or the report that the connection ended.
  struct Inbound {
    uint64_t connection = 0;
    bool lost = false;
    bool refused = false;  // lost because the transport cut the peer off
    std::string line;
  };
  // False when the peer has too many lines waiting already.
  bool queueInbound(Inbound item);
  void drainInbox();
  void onHello(const LanMessage& message);
  void onHelloAck(const LanMessage& message);
  // The host's game sent right after it seated this guest, whose program had been restarted:
  // kept until the window has set up the game, then taken (rejoinFromHeldSync).
  void holdRejoinSync(const LanMessage& sync);
  void rejoinFromHeldSync();

  void onMove(const LanMessage& message);
  // Plays a checked move of the peer's and tells the window; false when the game refuses it.
  bool applyPeerMove(const Move& move);
  void onMoveAck(const LanMessage& message);
  void onSyncRequest(const LanMessage& message);
  void onSync(const LanMessage& message);
  // The host's first SYNC after a client's return: settles the move a cut caught.
  enum class ResumeSync { Unsettled, Settled, OwnMoveLost };
  ResumeSync settleResumeSync(const LanMessage& message);
  void resendMoveInDoubt(int32_t seq);
  bool playPeerMoveFromSync(const LanMessage& message);
  void checkMoveAck();
  void sendSyncState();
  // The peer's SYNC is due on this connection (it answers a request of ours, follows its
  // refusal of our move, or follows the host's answer to our return); the first that comes
  // settles it.
  void awaitSync();
  // The board's position without the own move that awaits its acknowledgement.
  std::string fenBeforePendingMove() const;
  void requestSync();
  // Our move awaits its answer (in WAITING_ACK, or in WAITING_SYNC when a SYNC became due meanwhile).
  bool movePending() const { return pendingMove.seq != 0; }
  // The peer's move or request that must wait for the board a due SYNC, or the answer to
  // our move taken back, settles: held.
  bool holdWhileSyncDue(const LanMessage& message);
  // The wait for a SYNC is over: back to WAITING_ACK or PLAYING, and what was held is handled.
  void endSyncWait();
  // `afterSync`: the peer's SYNC, sent after every held line, was taken.
  void releaseHeldLines(bool afterSync);
  // A held undo line whose outcome the SYNC taken after it already holds.
  bool settledBySync(const std::vector<LanMessage>& held, std::size_t at);
  void settlePendingMove(const LanMessage& answer);
  // Our move awaiting its answer leaves the board (an undo, or the peer's game replacing
  // ours); the answer still settles it.
  void takePendingMoveOff(bool byUndo);
  void expectAnswersToResends(int32_t seq, int resends, bool firstAccepted);
  void settleTakenBackMove(const LanMessage& answer);

  void onResign();
  void onUndoRequest();
  void onUndoAck(const LanMessage& message);
  void onDrawRequest();
  void onDrawAck(const LanMessage& message);
  // A request of this kind from the peer is still open: the repeat is ignored.
  bool ignoreRepeatedRequest(bool requestOpen, bool& repeated, const char* kind);
  void onBye(const LanMessage& message);
  bool gameOver() const;
  void takeBackTwoPlies();
  // Our agreement to an undo is about to go: resends of the peer's plies it takes back may
  // still be on their way.
  void fenceStaleResends(bool crossing);
  void liftResendFenceOn(const LanMessage& undoAnswer);
  // A resend of the peer's move that an undo agreed here took back, still on its way.
  bool staleResend(const LanMessage& message) const;
  // The peer's lines so far were sent before it took back the plies of an undo agreed here.
  bool peerYetToUndo() const { return link.heartbeatsAnswered < link.resendFenceLiftsAt; }
  void sendHeartbeat();
  void onHeartbeatAck();
  // A crossing settled our undo request: an acceptance of it still on its way answers nothing.
  void fenceUndoAnswers();
  bool undoFenced() const { return link.heartbeatsAnswered < link.undoFenceLiftsAt; }
  void endInDraw();

  void checkConnectionHealth();
  // Ends the game on a lost connection; a peer that may not come back (it broke the
  // protocol) is not offered a wait and no notice is given.
  void handleConnectionLost(const std::string& notice, bool peerMayReturn = true);
  void reconnectDeadlinePassed();
  // A host's room takes no one in once nothing can be resumed: the listener closes.
  void closeRoom();
  // What is left to do once the lock is released.
  struct AfterUnlock {
    uint64_t closeConnection = 0;  // given up: closed once the lock is released
    bool restartWaitThread = false;
    bool waitForResume = false;
  };
  // Takes what the handlers left in `deferred`; with the lock held.
  AfterUnlock takeDeferred() { return std::exchange(deferred, AfterUnlock{}); }
  // Closes the given-up connection and restarts a room's wait; called once the lock is released.
  void finishUnlocked(const AfterUnlock& after);
  void checkHandshakeTimeout();
  // A handshake that does not complete gives up only its connection where a wait goes on:
  // a host's room waits again (as a resume only inside a reconnection wait), a guest's
  // reconnection tries again at a later tick. False when nothing waits.
  bool abandonHandshake();
  void tryReconnect();

  void onDiscoverRequest(const std::string& text, const std::string& sender,
                         const std::string& reply);
  void onDiscoveryReply(const std::string& text, const std::string& sender,
                        const std::string& localAddress);

  GameEngine* game;
  Network* network;
  LANCallbacks callbacks;
  LANSessionState state = LANSessionState::IDLE;
  PieceColor localColor = NONE;
  std::string localName;
  std::string opponentName;
  std::string sidePreference;
  int32_t moveSeq = 0;
  bool isHost = false;
  bool engineReady = false;
  PendingMove pendingMove;
  bool gameStarted = false;
  // Client: its own move awaited its acknowledgement when the connection was lost.
  bool moveInDoubt = false;
  bool localLeft = false;
  bool peerLeft = false;
  bool resumable = false;
  bool waitingReconnect = false;
  bool resuming = false;
  TimePoint reconnectDeadline;
  TimePoint lastReconnectAttempt;
  std::string hostAddress;
  int32_t gamePort = DEFAULT_GAME_PORT;
  std::vector<std::string> candidateAddresses;
  RoomTable rooms;
  mutable std::mutex mutex;
  std::mutex waitThreadMutex;
  std::thread waitThread;

  Executor executor;
  Clock clock;
  const int32_t searchGamePort;
  const int32_t discoveryPort;
  // The connection this session talks over (number 0: none) and all that is its own.
  LanConnectionState link;
  // What a handler under the lock leaves for after it: a connection to close, a wait to restart.
  AfterUnlock deferred;
  bool roomTableFullWarned = false;
  // The host's handshake completed: discovery stops once the lock is released.
  bool discoveryToStop = false;
  std::mutex connectThreadMutex;
  std::thread connectThread;
  std::shared_ptr<std::atomic<bool>> connectCancel;
  uint64_t connectAttempt = 0;
  bool connecting = false;

  std::mutex inboxMutex;
  std::deque<Inbound> inbox;
  std::size_t inboxLines = 0;
  bool inboxPosted = false;  // a drainInbox is posted and has not finished
  // Queued work checks this before it touches the controller.
  std::shared_ptr<Lifetime> lifetime = std::make_shared<Lifetime>();
};

}  // namespace Tavrune
