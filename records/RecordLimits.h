#pragma once
// The largest record the program reads. Real games run to a few hundred moves and a few
// kilobytes; a bigger file is refused before it can take the memory and the UI thread's
// time that reading and replaying it would cost.
#include <cstddef>
#include <cstdint>

namespace Tavrune {

constexpr std::uintmax_t kMaxRecordFileBytes = 16u * 1024u * 1024u;
constexpr std::size_t kMaxRecordPlies = 10000;

}  // namespace Tavrune
