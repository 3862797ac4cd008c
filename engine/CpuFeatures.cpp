#include "engine/CpuFeatures.h"

#include <algorithm>
#include <array>

#include "core/Log.h"
#include "engine/EngineFolder.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define TAVRUNE_HAS_CPUID 1
#endif

namespace Tavrune::CpuFeatures {

namespace {

// Every instruction set a build may be compiled with, and the register state the
// operating system must save for the wide registers.
enum Isa : uint32_t {
  ISA_SSE41,
  ISA_POPCNT,
  ISA_AVX,
  ISA_AVX2,
  ISA_BMI1,
  ISA_BMI2,
  ISA_AVX_VNNI,
  ISA_AVX512F,
  ISA_AVX512BW,
  ISA_AVX512DQ,
  ISA_AVX512VL,
  ISA_AVX512VNNI,
  ISA_AVX512CD,
  ISA_AVX512IFMA,
  ISA_AVX512VBMI,
  ISA_AVX512VBMI2,
  ISA_AVX512VPOPCNTDQ,
  ISA_AVX512BITALG,
  ISA_GFNI,
  ISA_VAES,
  ISA_VPCLMULQDQ,
  ISA_OS_AVX,     // XCR0 bits 1 and 2: SSE and AVX state
  ISA_OS_AVX512,  // XCR0 bits 5 to 7: opmask and the upper ZMM registers
};

using IsaSet = uint64_t;

constexpr IsaSet isaBits(std::initializer_list<Isa> list) {
  IsaSet bits = 0;
  for (Isa isa : list) bits |= IsaSet{1} << isa;
  return bits;
}

// What each build needs; each row adds to the one it grows from.
constexpr IsaSet NEEDS_SSE41_POPCNT = isaBits({ISA_SSE41, ISA_POPCNT});
constexpr IsaSet NEEDS_AVX2 = NEEDS_SSE41_POPCNT | isaBits({ISA_AVX, ISA_AVX2, ISA_BMI1, ISA_OS_AVX});
constexpr IsaSet NEEDS_BMI2 = NEEDS_AVX2 | isaBits({ISA_BMI2});
constexpr IsaSet NEEDS_AVX_VNNI = NEEDS_BMI2 | isaBits({ISA_AVX_VNNI});
constexpr IsaSet NEEDS_AVX512 =
    NEEDS_BMI2 | isaBits({ISA_AVX512F, ISA_AVX512BW, ISA_AVX512DQ, ISA_AVX512VL, ISA_OS_AVX512});
constexpr IsaSet NEEDS_VNNI512 = NEEDS_AVX512 | isaBits({ISA_AVX512VNNI});
constexpr IsaSet NEEDS_AVX512ICL =
    NEEDS_VNNI512 | isaBits({ISA_AVX512CD, ISA_AVX512IFMA, ISA_AVX512VBMI, ISA_AVX512VBMI2,
                             ISA_AVX512VPOPCNTDQ, ISA_AVX512BITALG, ISA_GFNI, ISA_VAES, ISA_VPCLMULQDQ});

struct BuildRow {
  const char* fileName;
  const char* description;
  std::vector<CpuFeature> requiredFeatures;
  int32_t priority;
  IsaSet needs;
};

const std::vector<BuildRow>& buildTable() {
  static const std::vector<BuildRow> table = {
      {"pikafish-vnni512.exe", "VNNI512 版本（最高性能）", {CPU_AVX512F, CPU_VNNI512}, 100, NEEDS_VNNI512},
      {"pikafish-avx512icl.exe", "AVX512 ICL 版本", {CPU_AVX512F}, 90, NEEDS_AVX512ICL},
      {"pikafish-avx512.exe", "AVX512 版本", {CPU_AVX512F}, 85, NEEDS_AVX512},
      {"pikafish-avxvnni.exe", "AVX VNNI 版本", {CPU_AVX2, CPU_AVX_VNNI}, 80, NEEDS_AVX_VNNI},
      {"pikafish-bmi2.exe", "BMI2 版本", {CPU_AVX2, CPU_BMI2}, 70, NEEDS_BMI2},
      {"pikafish.exe", "AVX2 版本（推荐）", {CPU_AVX2}, 60, NEEDS_AVX2},
      {"pikafish-sse41-popcnt.exe", "SSE4.1 版本（兼容性最好）", {CPU_SSE41}, 50, NEEDS_SSE41_POPCNT},
  };
  return table;
}

constexpr std::array<const char*, 7> FEATURE_LABELS = {"SSE4.1: ",    "AVX2: ",     "BMI2: ",   "AVX512F: ",
                                                       "AVX512_VNNI: ", "AVX_VNNI: ", "VNNI512: "};

bool bit(uint32_t value, int index) { return ((value >> index) & 1u) != 0; }

CpuidRegisters hardwareCpuid(uint32_t leaf, uint32_t subleaf) {
  CpuidRegisters r;
#ifdef TAVRUNE_HAS_CPUID
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#else
  (void)leaf;
  (void)subleaf;
#endif
  return r;
}

uint64_t hardwareXcr0() {
#ifdef TAVRUNE_HAS_CPUID
  uint32_t eax = 0;
  uint32_t edx = 0;
  // XGETBV by its encoding, so that no -mxsave flag is needed.
  __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(eax), "=d"(edx) : "c"(0));
  return (uint64_t{edx} << 32) | eax;
#else
  return 0;
#endif
}

bool fileInEnginesFolder(const std::string& fileName) {
  return EngineFolder::holdsFile(EngineFolder::enginesFolder(), fileName);
}

struct ProcessState {
  CpuidFunction cpuid = hardwareCpuid;
  Xcr0Function xcr0 = hardwareXcr0;
  FileProbe fileProbe = fileInEnginesFolder;
  bool detected = false;
  std::array<bool, 7> features{};
  IsaSet isa = 0;
};

ProcessState& processState() {
  static ProcessState state;
  return state;
}

void readFeatures(ProcessState& s) {
  const CpuidRegisters leaf0 = s.cpuid(0, 0);
  const uint32_t maxLeaf = leaf0.eax;
  const CpuidRegisters leaf1 = maxLeaf >= 1 ? s.cpuid(1, 0) : CpuidRegisters{};
  CpuidRegisters leaf7;
  CpuidRegisters leaf7s1;
  if (maxLeaf >= 7) {
    leaf7 = s.cpuid(7, 0);
    // Leaf 7's EAX is its highest subleaf; subleaf 1 is only defined up to there.
    if (leaf7.eax >= 1) leaf7s1 = s.cpuid(7, 1);
  }
  const bool avx = bit(leaf1.ecx, 28);
  const bool osxsave = bit(leaf1.ecx, 27);

  s.features[CPU_SSE41] = bit(leaf1.ecx, 19);
  s.features[CPU_AVX2] = maxLeaf >= 7 && avx && bit(leaf7.ebx, 5);
  s.features[CPU_BMI2] = maxLeaf >= 7 && bit(leaf7.ebx, 8);
  s.features[CPU_AVX512F] = maxLeaf >= 7 && avx && bit(leaf7.ebx, 16);
  s.features[CPU_AVX512_VNNI] = maxLeaf >= 7 && bit(leaf7.ecx, 11);
  s.features[CPU_AVX_VNNI] = maxLeaf >= 7 && bit(leaf7s1.eax, 4);
  s.features[CPU_VNNI512] = s.features[CPU_AVX512_VNNI];

  const uint64_t xcr0 = osxsave ? s.xcr0() : 0;
  const std::pair<Isa, bool> flags[] = {
      {ISA_SSE41, bit(leaf1.ecx, 19)},
      {ISA_POPCNT, bit(leaf1.ecx, 23)},
      {ISA_AVX, avx},
      {ISA_AVX2, bit(leaf7.ebx, 5)},
      {ISA_BMI1, bit(leaf7.ebx, 3)},
      {ISA_BMI2, bit(leaf7.ebx, 8)},
      {ISA_AVX_VNNI, bit(leaf7s1.eax, 4)},
      {ISA_AVX512F, bit(leaf7.ebx, 16)},
      {ISA_AVX512DQ, bit(leaf7.ebx, 17)},
      {ISA_AVX512IFMA, bit(leaf7.ebx, 21)},
      {ISA_AVX512CD, bit(leaf7.ebx, 28)},
      {ISA_AVX512BW, bit(leaf7.ebx, 30)},
      {ISA_AVX512VL, bit(leaf7.ebx, 31)},
      {ISA_AVX512VBMI, bit(leaf7.ecx, 1)},
      {ISA_AVX512VBMI2, bit(leaf7.ecx, 6)},
      {ISA_GFNI, bit(leaf7.ecx, 8)},
      {ISA_VAES, bit(leaf7.ecx, 9)},
      {ISA_VPCLMULQDQ, bit(leaf7.ecx, 10)},
      {ISA_AVX512VNNI, bit(leaf7.ecx, 11)},
      {ISA_AVX512BITALG, bit(leaf7.ecx, 12)},
      {ISA_AVX512VPOPCNTDQ, bit(leaf7.ecx, 14)},
      {ISA_OS_AVX, osxsave && (xcr0 & 0x6) == 0x6},
      {ISA_OS_AVX512, osxsave && (xcr0 & 0xE6) == 0xE6},
  };
  s.isa = 0;
  for (const auto& [isa, present] : flags) {
    if (present) s.isa |= IsaSet{1} << isa;
  }
}

bool rowSupported(const BuildRow& row) {
  detect();
  return (processState().isa & row.needs) == row.needs;
}

EngineVariantInfo toInfo(const BuildRow& row) {
  EngineVariantInfo info;
  info.fileName = row.fileName;
  info.description = row.description;
  info.requiredFeatures = row.requiredFeatures;
  info.priority = row.priority;
  return info;
}

void sortByPriorityDescending(std::vector<EngineVariantInfo>& rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const EngineVariantInfo& a, const EngineVariantInfo& b) { return a.priority > b.priority; });
}

}  // namespace

void detect() {
  ProcessState& s = processState();
  if (s.detected) return;
  logInfo("[CpuFeatures] Starting CPU feature detection...");
  readFeatures(s);
  s.detected = true;
  logInfo("[CpuFeatures] Detection complete:");
  for (size_t i = 0; i < FEATURE_LABELS.size(); ++i) {
    logInfo(std::string("[CpuFeatures]   ") + FEATURE_LABELS[i] + (s.features[i] ? "YES" : "NO"));
  }
}

bool hasCpuFeature(int32_t feature) {
  detect();
  if (feature < 0 || feature >= static_cast<int32_t>(FEATURE_LABELS.size())) return false;
  return processState().features[static_cast<size_t>(feature)];
}

bool engineFileExists(const std::string& fileName) {
  return processState().fileProbe(fileName);
}

std::vector<EngineVariantInfo> getEngineVariants() {
  std::vector<EngineVariantInfo> rows;
  for (const BuildRow& row : buildTable()) rows.push_back(toInfo(row));
  return rows;
}

std::vector<EngineVariantInfo> listAllVariants() {
  std::vector<EngineVariantInfo> usable;
  std::vector<EngineVariantInfo> others;
  for (const BuildRow& row : buildTable()) {
    EngineVariantInfo info = toInfo(row);
    info.supported = rowSupported(row);
    info.present = engineFileExists(info.fileName);
    (info.supported && info.present ? usable : others).push_back(std::move(info));
  }
  sortByPriorityDescending(usable);
  sortByPriorityDescending(others);
  usable.insert(usable.end(), others.begin(), others.end());
  return usable;
}

std::vector<EngineVariantInfo> listAvailableVariants() {
  std::vector<EngineVariantInfo> usable;
  for (const BuildRow& row : buildTable()) {
    if (rowSupported(row) && engineFileExists(row.fileName)) usable.push_back(toInfo(row));
  }
  sortByPriorityDescending(usable);
  return usable;
}

EngineVariantInfo selectBestEngine() {
  std::vector<EngineVariantInfo> usable = listAvailableVariants();
  if (!usable.empty()) return usable.front();

  logWarning("[CpuFeatures] No suitable engine found, trying fallback strategy");
  std::vector<EngineVariantInfo> present;
  for (const BuildRow& row : buildTable()) {
    if (engineFileExists(row.fileName)) present.push_back(toInfo(row));
  }
  if (!present.empty()) {
    std::stable_sort(present.begin(), present.end(),
                     [](const EngineVariantInfo& a, const EngineVariantInfo& b) { return a.priority < b.priority; });
    logWarning("[CpuFeatures] Falling back to: " + present.front().fileName +
               " (Note: CPU features may not be fully supported)");
    return present.front();
  }

  logError("[CpuFeatures] No engine files found, returning default engine");
  EngineVariantInfo fallback;
  fallback.fileName = "pikafish.exe";
  fallback.description = "默认引擎（文件不存在）";
  fallback.priority = 0;
  return fallback;
}

std::string getVariantDescription(const std::string& fileName) {
  for (const EngineVariantInfo& info : listAvailableVariants()) {
    if (info.fileName == fileName) return info.description;
  }
  return fileName;
}

void setCpuidSource(CpuidFunction cpuid, Xcr0Function xcr0) {
  ProcessState& s = processState();
  s.cpuid = cpuid ? std::move(cpuid) : CpuidFunction(hardwareCpuid);
  s.xcr0 = xcr0 ? std::move(xcr0) : Xcr0Function(hardwareXcr0);
  s.detected = false;
  s.features = {};
  s.isa = 0;
}

void useHardwareCpuid() {
  setCpuidSource(nullptr, nullptr);
}

void setEngineFileProbe(FileProbe probe) {
  processState().fileProbe = probe ? std::move(probe) : FileProbe(fileInEnginesFolder);
}

}  // namespace Tavrune::CpuFeatures
