#pragma once
// The two requests a player can put to the other and must have answered.

namespace Tavrune {

enum class LanRequestKind { Undo, Draw };

}  // namespace Tavrune
