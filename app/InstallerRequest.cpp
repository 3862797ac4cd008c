#include "app/InstallerRequest.h"

#include <cstring>

namespace Tavrune {

bool InstallerRequest::isQuitRequest(uint64_t tag, uint64_t byteCount, const void* data) {
  return tag == kTag && byteCount >= kPrefixLength && data != nullptr &&
         std::memcmp(data, kPrefix, kPrefixLength) == 0;
}

}  // namespace Tavrune
