#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "EngineLaunch.h"
#include "engine/CpuFeatures.h"
#include "engine/EngineFolder.h"

namespace Tavrune {
namespace {

// A processor described by the CPUID bits it sets, as (leaf, subleaf, register, bit).
enum Reg { EAX, EBX, ECX, EDX };
struct Bit {
  uint32_t leaf;
  uint32_t subleaf;
  Reg reg;
  int bit;
};
constexpr Bit SSE41{1, 0, ECX, 19}, POPCNT{1, 0, ECX, 23}, OSXSAVE{1, 0, ECX, 27}, AVX{1, 0, ECX, 28},
    BMI1{7, 0, EBX, 3}, AVX2{7, 0, EBX, 5}, BMI2{7, 0, EBX, 8}, AVX512F{7, 0, EBX, 16}, AVX512DQ{7, 0, EBX, 17},
    AVX512IFMA{7, 0, EBX, 21}, AVX512CD{7, 0, EBX, 28}, AVX512BW{7, 0, EBX, 30}, AVX512VL{7, 0, EBX, 31},
    VBMI{7, 0, ECX, 1}, VBMI2{7, 0, ECX, 6}, GFNI{7, 0, ECX, 8}, VAES{7, 0, ECX, 9}, VPCLMULQDQ{7, 0, ECX, 10},
    VNNI512{7, 0, ECX, 11}, BITALG{7, 0, ECX, 12}, VPOPCNTDQ{7, 0, ECX, 14}, AVXVNNI{7, 1, EAX, 4};

constexpr uint64_t XCR0_AVX = 0x7;     // x87, SSE, AVX state
constexpr uint64_t XCR0_AVX512 = 0xE7; // plus opmask and the ZMM halves

struct Processor {
  std::vector<Bit> bits;
  uint64_t xcr0 = XCR0_AVX512;
  uint32_t maxLeaf = 7;
  uint32_t maxLeaf7Subleaf = 1;
};

const std::vector<Bit> SSE_BASE = {SSE41, POPCNT};
const std::vector<Bit> HASWELL = {SSE41, POPCNT, OSXSAVE, AVX, BMI1, AVX2, BMI2};
const std::vector<Bit> SKYLAKE_X = {SSE41, POPCNT, OSXSAVE, AVX, BMI1, AVX2, BMI2,
                                    AVX512F, AVX512DQ, AVX512CD, AVX512BW, AVX512VL};
std::vector<Bit> plus(std::vector<Bit> base, std::initializer_list<Bit> more) {
  base.insert(base.end(), more);
  return base;
}
const std::vector<Bit> CASCADE_LAKE = plus(SKYLAKE_X, {VNNI512});
const std::vector<Bit> ICE_LAKE = plus(CASCADE_LAKE, {AVX512IFMA, VBMI, VBMI2, GFNI, VAES, VPCLMULQDQ, BITALG, VPOPCNTDQ});
const std::vector<Bit> ALDER_LAKE = plus(HASWELL, {AVXVNNI});

void useProcessor(const Processor& p) {
  CpuFeatures::setCpuidSource(
      [p](uint32_t leaf, uint32_t subleaf) {
        CpuidRegisters r;
        if (leaf == 0) {
          r.eax = p.maxLeaf;
          return r;
        }
        if (leaf == 7 && subleaf == 0) r.eax = p.maxLeaf7Subleaf;
        for (const Bit& b : p.bits) {
          if (b.leaf != leaf || b.subleaf != subleaf) continue;
          uint32_t* target = b.reg == EAX ? &r.eax : b.reg == EBX ? &r.ebx : b.reg == ECX ? &r.ecx : &r.edx;
          *target |= 1u << b.bit;
        }
        return r;
      },
      [p] { return p.xcr0; });
}

void usePresentFiles(std::set<std::string> files) {
  CpuFeatures::setEngineFileProbe([files](const std::string& name) { return files.count(name) != 0; });
}

const std::set<std::string> ALL_BUILDS = {"pikafish-vnni512.exe", "pikafish-avx512icl.exe", "pikafish-avx512.exe",
                                          "pikafish-avxvnni.exe", "pikafish-bmi2.exe",      "pikafish.exe",
                                          "pikafish-sse41-popcnt.exe"};

class CpuFeaturesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CpuFeatures::useHardwareCpuid();
    CpuFeatures::setEngineFileProbe(nullptr);
  }
};

TEST_F(CpuFeaturesTest, BestBuildForEachProcessor) {
  struct Case {
    const char* what;
    Processor processor;
    const char* best;
  };
  const Case cases[] = {
      {"Ice Lake runs every build; the VNNI512 build ranks first", {ICE_LAKE}, "pikafish-vnni512.exe"},
      {"Cascade Lake", {CASCADE_LAKE}, "pikafish-vnni512.exe"},
      {"Skylake-X has no AVX-512 VNNI", {SKYLAKE_X}, "pikafish-avx512.exe"},
      {"AVX-512 the system does not save", {CASCADE_LAKE, XCR0_AVX}, "pikafish-bmi2.exe"},
      {"AVX-512F without BW, DQ and VL", {plus(HASWELL, {AVX512F, VNNI512})}, "pikafish-bmi2.exe"},
      {"Alder Lake", {ALDER_LAKE, XCR0_AVX}, "pikafish-avxvnni.exe"},
      {"AVX-VNNI beyond leaf 7's last subleaf is not read", {ALDER_LAKE, XCR0_AVX, 7, 0}, "pikafish-bmi2.exe"},
      {"Haswell", {HASWELL, XCR0_AVX}, "pikafish-bmi2.exe"},
      {"AVX2 without BMI2", {{SSE41, POPCNT, OSXSAVE, AVX, BMI1, AVX2}, XCR0_AVX}, "pikafish.exe"},
      {"AVX2 without BMI1", {{SSE41, POPCNT, OSXSAVE, AVX, AVX2, BMI2}, XCR0_AVX}, "pikafish-sse41-popcnt.exe"},
      {"AVX2 with the AVX state off", {HASWELL, 0x3}, "pikafish-sse41-popcnt.exe"},
      {"AVX2 without OSXSAVE", {{SSE41, POPCNT, AVX, BMI1, AVX2, BMI2}}, "pikafish-sse41-popcnt.exe"},
      {"no leaf 7", {HASWELL, XCR0_AVX, 6}, "pikafish-sse41-popcnt.exe"},
      {"SSE4.1 only", {SSE_BASE}, "pikafish-sse41-popcnt.exe"},
      // Nothing runs: the least demanding present build is the last resort.
      {"SSE4.1 without POPCNT", {{SSE41}}, "pikafish-sse41-popcnt.exe"},
  };
  usePresentFiles(ALL_BUILDS);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    useProcessor(c.processor);
    EXPECT_EQ(CpuFeatures::selectBestEngine().fileName, c.best);
  }
}

TEST_F(CpuFeaturesTest, FeatureFlagsKeepTheirOwnBits) {
  struct Case {
    const char* what;
    Processor processor;
    std::array<bool, 7> flags;  // SSE4.1, AVX2, BMI2, AVX512F, AVX512_VNNI, AVX_VNNI, VNNI512
  };
  const Case cases[] = {
      {"Ice Lake", {ICE_LAKE}, {true, true, true, true, true, false, true}},
      {"Alder Lake", {ALDER_LAKE}, {true, true, true, false, false, true, false}},
      {"AVX2 bit without AVX", {{SSE41, AVX2, BMI2, AVX512F}}, {true, false, true, false, false, false, false}},
      {"no leaf 7", {ICE_LAKE, XCR0_AVX512, 6}, {true, false, false, false, false, false, false}},
      // The flags ignore the system's register state; only the build choice weighs it.
      {"AVX-512 not saved", {CASCADE_LAKE, XCR0_AVX}, {true, true, true, true, true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    useProcessor(c.processor);
    for (int id = 0; id < 7; ++id) EXPECT_EQ(CpuFeatures::hasCpuFeature(id), c.flags[id]) << "feature " << id;
    EXPECT_FALSE(CpuFeatures::hasCpuFeature(7));
    EXPECT_FALSE(CpuFeatures::hasCpuFeature(-1));
  }
}

TEST_F(CpuFeaturesTest, FallbacksWhenNoUsableBuildIsPresent) {
  useProcessor({SSE_BASE});  // no AVX2
  usePresentFiles({"pikafish.exe"});
  EngineVariantInfo onlyAvx2 = CpuFeatures::selectBestEngine();
  EXPECT_EQ(onlyAvx2.fileName, "pikafish.exe");
  EXPECT_EQ(onlyAvx2.description, "AVX2 版本（推荐）");

  useProcessor({{}});  // not even SSE4.1
  usePresentFiles({"pikafish.exe", "pikafish-sse41-popcnt.exe"});
  EXPECT_EQ(CpuFeatures::selectBestEngine().fileName, "pikafish-sse41-popcnt.exe");

  usePresentFiles({});
  EngineVariantInfo none = CpuFeatures::selectBestEngine();
  EXPECT_EQ(none.fileName, "pikafish.exe");
  EXPECT_EQ(none.description, "默认引擎（文件不存在）");
  EXPECT_TRUE(none.requiredFeatures.empty());
  EXPECT_EQ(none.priority, 0);
  EXPECT_TRUE(none.supported);
  EXPECT_TRUE(none.present);
}

TEST_F(CpuFeaturesTest, ListsAndDescriptions) {
  useProcessor({HASWELL, XCR0_AVX});
  usePresentFiles({"pikafish.exe", "pikafish-bmi2.exe", "pikafish-vnni512.exe"});

  std::vector<std::string> order;
  for (const EngineVariantInfo& v : CpuFeatures::listAllVariants()) {
    order.push_back(v.fileName + (v.supported ? " S" : " -") + (v.present ? "P" : "-"));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"pikafish-bmi2.exe SP", "pikafish.exe SP", "pikafish-vnni512.exe -P",
                                             "pikafish-avx512icl.exe --", "pikafish-avx512.exe --",
                                             "pikafish-avxvnni.exe --", "pikafish-sse41-popcnt.exe S-"}));
  std::vector<EngineVariantInfo> available = CpuFeatures::listAvailableVariants();
  ASSERT_EQ(available.size(), 2u);
  EXPECT_EQ(available[0].fileName, "pikafish-bmi2.exe");

  EXPECT_EQ(CpuFeatures::getVariantDescription("pikafish-bmi2.exe"), "BMI2 版本");
  EXPECT_EQ(CpuFeatures::getVariantDescription("pikafish-vnni512.exe"), "pikafish-vnni512.exe");
  EXPECT_EQ(CpuFeatures::getVariantDescription("other.exe"), "other.exe");
  useProcessor({SSE_BASE});
  EXPECT_EQ(CpuFeatures::getVariantDescription("pikafish-bmi2.exe"), "pikafish-bmi2.exe");

  std::vector<EngineVariantInfo> table = CpuFeatures::getEngineVariants();
  ASSERT_EQ(table.size(), 7u);
  EXPECT_EQ(table.front().priority, 100);
  EXPECT_EQ(table.back().fileName, "pikafish-sse41-popcnt.exe");
}

TEST_F(CpuFeaturesTest, RealProcessorIsReadable) {
  CpuFeatures::useHardwareCpuid();
  CpuFeatures::detect();
  // Every x86-64 processor this program targets with AVX2 also has SSE4.1.
  if (CpuFeatures::hasCpuFeature(CPU_AVX2)) {
    EXPECT_TRUE(CpuFeatures::hasCpuFeature(CPU_SSE41));
  }
  EXPECT_FALSE(CpuFeatures::selectBestEngine().fileName.empty());
}

// A folder named like a build is not a build; folders with Chinese names work.
TEST_F(CpuFeaturesTest, EngineFolderCountsOnlyRegularFiles) {
  const std::string folder = ::Tavrune::Test::freshTestFolder("引擎 文件夹");
  const std::filesystem::path root(std::u8string(folder.begin(), folder.end()));
  std::ofstream(root / "pikafish.exe") << "x";
  std::filesystem::create_directories(root / "pikafish-bmi2.exe");

  EXPECT_TRUE(EngineFolder::holdsFile(folder, "pikafish.exe"));
  EXPECT_FALSE(EngineFolder::holdsFile(folder, "pikafish-bmi2.exe"));
  EXPECT_FALSE(EngineFolder::holdsFile(folder, "pikafish-avx512.exe"));
  EXPECT_FALSE(EngineFolder::holdsFile(folder, "../pikafish.exe"));
  EXPECT_FALSE(EngineFolder::holdsFile("", "pikafish.exe"));

  // The default probe looks in the engines folder beside this test program.
  const std::string engines = EngineFolder::enginesFolder();
  ASSERT_FALSE(engines.empty());
  EXPECT_EQ(std::filesystem::path(std::u8string(engines.begin(), engines.end())).filename(), "engines");
  const std::filesystem::path enginesPath(std::u8string(engines.begin(), engines.end()));
  std::filesystem::remove_all(enginesPath);
  std::filesystem::create_directories(enginesPath / "pikafish-avx512.exe");
  std::ofstream(enginesPath / "pikafish-sse41-popcnt.exe") << "x";
  CpuFeatures::setEngineFileProbe(nullptr);
  EXPECT_TRUE(CpuFeatures::engineFileExists("pikafish-sse41-popcnt.exe"));
  EXPECT_FALSE(CpuFeatures::engineFileExists("pikafish-avx512.exe"));
  std::filesystem::remove_all(enginesPath);
}

}  // namespace
}  // namespace Tavrune
