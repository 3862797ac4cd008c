// The controller's half of room discovery: a host answers searches, a searcher collects rooms.
#include "lan/LANGameController.h"

#include "core/Log.h"
#include "lan/LanNickname.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"

namespace Tavrune {

using State = LANSessionState;

bool LANGameController::startRoomSearch() {
  if (!network->startDiscovery(discoveryPort)) return false;
  const std::string localAddress = network->getLocalIPAddress();
  std::string request;
  {
    std::lock_guard<std::mutex> guard(mutex);
    // Each search starts a fresh table: it is what the player will join from.
    rooms.clear();
    roomTableFullWarned = false;
    request = LanProtocol::makeDiscover(localName, searchGamePort);
  }
  network->setDiscoveryCallback(
      [this, localAddress](const std::string& text, const std::string& sender) {
        onDiscoveryReply(text, sender, localAddress);
      });
  network->startPeriodicBroadcast(request, LanTimings::ROOM_SEARCH_INTERVAL_MS);
  logInfo("LANGameController: 开始搜索房间...");
  return true;
}

void LANGameController::stopRoomSearch() {
  network->stopDiscovery();
  logInfo("LANGameController: 停止搜索房间");
}

// On the discovery thread, without the lock: it only uses the reply fixed at room creation.
void LANGameController::onDiscoverRequest(const std::string& text, const std::string& sender,
                                          const std::string& reply) {
  const std::optional<LanMessage> message = LanProtocol::parse(text);
  if (!message || message->type != LanMessageType::TAVRUNE_DISCOVER) return;
  network->sendDiscoverBroadcast(reply, sender, discoveryPort);
  logInfo("LANGameController: 回复发现请求来自 " + sender);
}

void LANGameController::onDiscoveryReply(const std::string& text, const std::string& sender,
                                         const std::string& localAddress) {
  const std::optional<LanMessage> message = LanProtocol::parse(text);
  if (!message || message->type != LanMessageType::TAVRUNE_REPLY) return;
  std::lock_guard<std::mutex> guard(mutex);
  if (!callbacks.roomFound) return;
  const std::optional<std::string> chosen = rooms.record(sender, message->address, localAddress);
  if (!chosen) {
    if (!roomTableFullWarned) {
      roomTableFullWarned = true;
      logWarning("LANGameController: 房间列表已满（" + std::to_string(LanTimings::MAX_ROOMS) +
                 "），忽略更多房间");
    }
    return;
  }
  fire(callbacks.roomFound, LanNickname::fromPeer(message->name), *chosen, message->port);
}

}  // namespace Tavrune
