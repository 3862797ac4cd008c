#pragma once
// One line of text for a decoded LAN message: its key and every field that differs from
// the record's default (the raw payload left out), so tests compare whole records at once.
#include <string>

#include "lan/LanProtocol.h"

namespace Tavrune::Test {

inline std::string describe(const LanMessage& m) {
  const LanMessage none;
  std::string text = LanProtocol::keyText(m.type);
  const auto add = [&text](bool differs, const char* field, const std::string& value) {
    if (differs) text += std::string(" ") + field + "=" + value;
  };
  add(m.name != none.name, "name", m.name);
  add(m.side != none.side, "side", m.side);
  add(m.seq != none.seq, "seq", std::to_string(m.seq));
  add(m.move != none.move, "move", LanProtocol::moveToText(m.move));
  add(m.accepted, "accepted", "1");
  add(m.reason != none.reason, "reason", m.reason);
  add(m.fen != none.fen, "fen", m.fen);
  add(m.moveCount != 0, "count", std::to_string(m.moveCount));
  for (const Move& move : m.moves) add(true, "m", LanProtocol::moveToText(move));
  add(m.address != none.address, "address", m.address);
  add(m.port != none.port, "port", std::to_string(m.port));
  return text;
}

}  // namespace Tavrune::Test
