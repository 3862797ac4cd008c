#pragma once
// The update installer asks a running copy to save its settings and close by sending
// WM_COPYDATA tagged 'TVRQ' whose data begins "TV_INSTALLER_QUIT:".
#include <cstddef>
#include <cstdint>

namespace Tavrune {

class InstallerRequest {
 public:
  static constexpr uint64_t kTag = 0x54565251;  // 'TVRQ'
  static constexpr char kPrefix[] = "TV_INSTALLER_QUIT:";
  static constexpr size_t kPrefixLength = sizeof(kPrefix) - 1;

  // The fields of the COPYDATASTRUCT; the data needs no terminator and may carry
  // anything after the prefix.
  static bool isQuitRequest(uint64_t tag, uint64_t byteCount, const void* data);
};

}  // namespace Tavrune
