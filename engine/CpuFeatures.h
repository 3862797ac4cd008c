#pragma once
// Chooses the engine build for this processor: reads the instruction-set features once
// through CPUID (and XGETBV for the register state the operating system saves), holds
// the table of builds and picks the fastest usable one present in the engines folder.
// Process-wide state, used on the UI thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tavrune {

enum CpuFeature : int32_t {
  CPU_SSE41 = 0,
  CPU_AVX2 = 1,
  CPU_BMI2 = 2,
  CPU_AVX512F = 3,
  CPU_AVX512_VNNI = 4,
  CPU_AVX_VNNI = 5,
  CPU_VNNI512 = 6,  // the same bit as CPU_AVX512_VNNI
};

struct EngineVariantInfo {
  std::string fileName;     // inside the engines folder
  std::string description;  // UTF-8 display name
  std::vector<CpuFeature> requiredFeatures;
  int32_t priority = 0;     // higher is faster and preferred
  bool supported = true;    // the processor runs every instruction of the build
  bool present = true;      // the file exists
};

struct CpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

namespace CpuFeatures {

using CpuidFunction = std::function<CpuidRegisters(uint32_t leaf, uint32_t subleaf)>;
// XCR0; asked only when CPUID reports OSXSAVE.
using Xcr0Function = std::function<uint64_t()>;
// Whether the engines folder holds a regular file of this name.
using FileProbe = std::function<bool(const std::string& fileName)>;

// Fills the feature flags once per process.
void detect();
// Detects first when needed; false for an id outside 0..6.
bool hasCpuFeature(int32_t feature);
// A regular file of that name in the engines folder beside the program.
bool engineFileExists(const std::string& fileName);

// The seven builds, fastest first, with both flags at their default (true).
std::vector<EngineVariantInfo> getEngineVariants();
// Every build with its flags computed: usable ones (supported and present) first, each
// group by descending priority.
std::vector<EngineVariantInfo> listAllVariants();
// Only the usable builds, by descending priority.
std::vector<EngineVariantInfo> listAvailableVariants();
// The best usable build; else the least demanding present one; else "pikafish.exe".
EngineVariantInfo selectBestEngine();
// The description of the usable build of that name, or the name itself.
std::string getVariantDescription(const std::string& fileName);

// Seams for tests: faked registers and file presence; null restores the real ones.
// Changing the CPUID source forgets an earlier detection.
void setCpuidSource(CpuidFunction cpuid, Xcr0Function xcr0);
void useHardwareCpuid();
void setEngineFileProbe(FileProbe probe);

}  // namespace CpuFeatures
}  // namespace Tavrune
