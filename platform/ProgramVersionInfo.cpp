#include "platform/ProgramVersionInfo.h"

#include <windows.h>

#include "platform/PlatformBase.h"

namespace Tavrune {

ProgramVersionInfo ProgramVersionInfo::ofThisProgram() { return ofFile(PlatformBase::programPath()); }

ProgramVersionInfo ProgramVersionInfo::ofFile(const std::wstring& path) {
  ProgramVersionInfo info;
  if (path.empty()) return info;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return info;
  std::vector<unsigned char> block(size);
  if (GetFileVersionInfoW(path.c_str(), 0, size, block.data())) info.block = std::move(block);
  return info;
}

std::optional<std::wstring> ProgramVersionInfo::string(const wchar_t* key) const {
  if (block.empty()) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key, &value, &length) || value == nullptr || length == 0) return std::nullopt;
  std::wstring text(static_cast<const wchar_t*>(value));
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<std::array<uint32_t, 4>> ProgramVersionInfo::fixedProductVersion() const {
  if (block.empty()) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
  return std::array<uint32_t, 4>{HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                                 HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
}

}  // namespace Tavrune
