#pragma once
// Every time-out and period of a LAN session, in one place.
#include <chrono>
#include <cstddef>

namespace Tavrune::LanTimings {

using namespace std::chrono_literals;

inline constexpr auto HEARTBEAT_INTERVAL = 5s;       // in PLAYING and WAITING_ACK only
inline constexpr auto UNSTABLE_SILENCE = 10s;        // warned once until a message arrives
inline constexpr auto LOST_SILENCE = 15s;            // ends the game as lost
inline constexpr auto SYNC_TIMEOUT = 10s;            // WAITING_SYNC falls back to PLAYING
inline constexpr auto ACK_TIMEOUT = 5s;              // between sends of an unacknowledged move
inline constexpr int MAX_MOVE_RESENDS = 3;           // the fourth time-out ends the game
inline constexpr auto HANDSHAKE_TIMEOUT = 10s;       // a connection that never says HELLO
inline constexpr auto RECONNECT_ATTEMPT_INTERVAL = 2s;
inline constexpr int DEFAULT_RECONNECT_WAIT_SECONDS = 45;
inline constexpr int ROOM_REPLY_INTERVAL_MS = 1500;  // host's periodic room announcement
inline constexpr int ROOM_SEARCH_INTERVAL_MS = 1000; // searcher's periodic request
inline constexpr std::size_t MAX_ROOMS = 64;         // the room table ignores any more
inline constexpr std::size_t MAX_UNHANDLED_LINES = 1000;  // a peer that sends more is refused
inline constexpr std::size_t LINES_PER_BATCH = 64;   // handed to the game's thread at once

}  // namespace Tavrune::LanTimings
