#pragma once
// Nicknames travel unescaped inside ':'-separated lines, so they are made safe on the way
// out and bounded on the way in.
#include <string>

namespace Tavrune::LanNickname {

// The longest nickname taken from a peer, in Unicode characters.
inline constexpr std::size_t MAX_INCOMING_CHARACTERS = 63;

// Before a name is written into HELLO, HELLO_ACK or a discovery datagram: ':' becomes the
// full-width '：' (a bare ':' would shift the peer's fields, even handing both players the
// same side); control characters and bytes that are not UTF-8 are dropped (a line feed
// would end the line).
std::string forSending(const std::string& name);

// Before a peer's name is reported: control characters and bytes that are not UTF-8 are
// dropped, and the rest is cut to MAX_INCOMING_CHARACTERS whole characters.
std::string fromPeer(const std::string& name);

}  // namespace Tavrune::LanNickname
