#pragma once
// Plain loopback sockets for the LAN test peers, non-blocking once connected.
#include <string>

#include "platform/SocketApi.h"

namespace Tavrune::Test {

// Connected to 127.0.0.1:port within 3 s, or INVALID_HANDLE.
Sockets::Handle connectLoopback(int port);
// A listener on a free port, told through `port`.
Sockets::Handle listenLoopback(int& port);
// False when the socket is closed or stops reading for a second.
bool sendAll(Sockets::Handle socket, const std::string& text);

}  // namespace Tavrune::Test
