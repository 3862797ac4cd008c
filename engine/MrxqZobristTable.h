#pragma once
// The fixed 64-bit hash keys of the Mrxq book layout, indexed by
// (colour offset + piece type) * 90 + point; see MrxqZobrist.h for the indexing.
#include <array>
#include <cstdint>

namespace Tavrune {

inline constexpr int MRXQ_ZOBRIST_TABLE_SIZE = 1260;

extern const std::array<uint64_t, MRXQ_ZOBRIST_TABLE_SIZE> MRXQ_ZOBRIST_TABLE;

}  // namespace Tavrune
