#pragma once
// Windows virtual-key codes used by the board keys, keypad notation entry and volume
// keys, spelled out so that the key logic builds without <windows.h>.
#include <cstdint>

namespace Tavrune::VirtualKey {

inline constexpr uint32_t Back = 0x08;
inline constexpr uint32_t Return = 0x0D;
inline constexpr uint32_t Escape = 0x1B;
inline constexpr uint32_t Space = 0x20;
inline constexpr uint32_t PageUp = 0x21;    // VK_PRIOR
inline constexpr uint32_t PageDown = 0x22;  // VK_NEXT
inline constexpr uint32_t Left = 0x25;
inline constexpr uint32_t Up = 0x26;
inline constexpr uint32_t Right = 0x27;
inline constexpr uint32_t Down = 0x28;
inline constexpr uint32_t Delete = 0x2E;
inline constexpr uint32_t Digit0 = 0x30;  // '0'..'9' follow
inline constexpr uint32_t Numpad0 = 0x60;  // VK_NUMPAD0..VK_NUMPAD9 follow
inline constexpr uint32_t Add = 0x6B;
inline constexpr uint32_t Separator = 0x6C;
inline constexpr uint32_t Subtract = 0x6D;
inline constexpr uint32_t Decimal = 0x6E;
inline constexpr uint32_t F1 = 0x70;
inline constexpr uint32_t OemPlus = 0xBB;
inline constexpr uint32_t OemComma = 0xBC;
inline constexpr uint32_t OemMinus = 0xBD;
inline constexpr uint32_t OemPeriod = 0xBE;

// Letter keys share their code with the upper-case ASCII letter.
constexpr uint32_t letter(char upper) { return static_cast<uint32_t>(upper); }

}  // namespace Tavrune::VirtualKey
