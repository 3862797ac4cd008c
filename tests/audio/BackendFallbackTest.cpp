// Runs from a folder without "OpenAL32.dll": the library is absent unless a test has it
// loaded from the folder of a stand-in (or of the real library) as if beside the program.
#include <windows.h>

#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "ManagerTestRig.h"
#include "support/TempFolder.h"
#include "WavFile.h"
#include "audio/AudioManager.h"
#include "audio/OpenALBackend.h"
#include "core/TextConversion.h"
#include "platform/LibraryLoader.h"
#include "support/TestPaths.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;

constexpr int MODE_NORMAL = 0;
constexpr int MODE_LOSE_CONTEXT = 1;
constexpr int MODE_NO_HRTF_EXTENSION = 2;

std::wstring buildFolder(const char* relative) {
  return utf8ToWide(binaryDir() + "\\tests\\audio\\" + relative);
}

// Stands one library folder in for the program's and keeps that library loaded (so its
// settings survive the back end's own load and release) for the test's lifetime.
class LibraryFolder {
 public:
  explicit LibraryFolder(const std::wstring& folder) : environment_(LibraryLoader::systemEnvironment()) {
    environment_.programFolder = folder;
    LibraryLoader::replaceEnvironmentForTesting(&environment_);
    module_ = LibraryLoader::load(LibraryLoader::Origin::ShippedOrSystem, L"OpenAL32.dll");
  }
  ~LibraryFolder() {
    if (module_ != nullptr) FreeLibrary(module_);
    LibraryLoader::replaceEnvironmentForTesting(nullptr);
  }
  bool loaded() const { return module_ != nullptr; }
  void setMode(int mode) {
    auto set = reinterpret_cast<void (*)(int)>(reinterpret_cast<void*>(GetProcAddress(module_, "standInSetMode")));
    ASSERT_NE(set, nullptr);
    set(mode);
  }
  std::vector<int> lastAttributes() {
    auto get = reinterpret_cast<const int* (*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "standInLastAttributes")));
    std::vector<int> attributes;
    for (const int* a = get(); *a != 0; a += 2) attributes.insert(attributes.end(), {a[0], a[1]});
    return attributes;
  }
  int liveObjects() {
    auto get = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "standInLiveObjects")));
    return get();
  }

 private:
  LibraryLoader::Environment environment_;
  HMODULE module_ = nullptr;
};

constexpr int ALC_HRTF_SOFT = 0x1992;
constexpr int ALC_HRTF_ID_SOFT = 0x1996;

AudioBackendConfig hrtfConfig(bool enabled, const std::string& preferred) {
  AudioBackendConfig config;
  config.hrtfEnabled = enabled;
  config.hrtfPreferred = preferred;
  return config;
}

TEST(BackendFallbackTest, WithoutTheLibraryTheManagerFallsBackToMiniaudioWithOneWarning) {
  OpenALBackend alone;
  LogCapture log;
  EXPECT_FALSE(alone.initialize({}));
  EXPECT_EQ(alone.getEngine(), nullptr);
  EXPECT_TRUE(log.contains("OpenAL backend unavailable: failed to load dynamic library"));

  TempFolder folder("fallback");
  folder.writeFile("data/config/config.json", "{}");
  for (const SoundTableEntry& entry : SOUND_TABLE) {
    folder.writeFile(std::string("data/sounds/default/") + entry.fileName,
                     wavBytes(sineSamples(0.05, 1000.0, 0.1, 1, 48000), 1, 48000));
  }
  log.clear();
  AudioManager manager;  // the real back ends, not test ones
  manager.setFolderSource([&] { return AudioFolders{folder.utf8("data"), "", folder.utf8("install")}; });
  ASSERT_TRUE(manager.initialize(folder.utf8("data/config/config.json")));
  EXPECT_EQ(log.count("[WARNING] "), 2);  // the library, then the fallback
  EXPECT_EQ(log.count("Primary audio backend init failed: openal_soft, fallback to miniaudio"), 1);
  EXPECT_EQ(manager.backendName(), "miniaudio (bridge=miniaudio-native)");
  EXPECT_NE(manager.getEngine(), nullptr);
  manager.playCursorSound({4, 4}, RED);  // through the pooled sound on the real engine
  EXPECT_TRUE(log.contains("[playSoundInternal] 3D sound started"));
}

TEST(BackendFallbackTest, TheLibraryIsNeverTakenFromTheCurrentFolder) {
  TempFolder folder("cwd");
  ASSERT_TRUE(CopyFileW((buildFolder("standin-full") + L"\\OpenAL32.dll").c_str(),
                        utf8ToWide(folder.utf8("OpenAL32.dll")).c_str(), FALSE));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(utf8ToWide(folder.utf8()).c_str()));
  OpenALBackend backend;
  const bool started = backend.initialize({});
  SetCurrentDirectoryW(previous);
  EXPECT_FALSE(started);
}

TEST(BackendFallbackTest, AMissingEntryPointRefusesTheLibrary) {
  LibraryFolder library(buildFolder("standin-without-play"));
  ASSERT_TRUE(library.loaded());
  LogCapture log;
  OpenALBackend backend;
  EXPECT_FALSE(backend.initialize({}));
  EXPECT_TRUE(log.contains("OpenAL backend unavailable: missing required symbols"));
  EXPECT_FALSE(backend.isInitialized());
}

TEST(BackendFallbackTest, HrtfChoiceFollowsWhatTheLibraryOffers) {
  struct Case {
    const char* folder;
    int mode;
    bool hrtf;
    std::string preferred;
    std::string summaryPart;
    std::vector<int> attributes;
  };
  const Case cases[] = {
      {"standin-full", MODE_NORMAL, true, "Alpha HRTF",
       "device='Stand-in Device', hrtfExt=1, hrtfRequested=1, hrtfStatus=enabled, hrtfPreferred='  Alpha HRTF \t', "
       "mode=openal-oneshot+miniaudio-bg",
       {ALC_HRTF_SOFT, 1, ALC_HRTF_ID_SOFT, 0}},
      {"standin-full", MODE_NORMAL, false, " Beta ", "hrtfRequested=0, hrtfStatus=disabled, hrtfPreferred='Beta'",
       {ALC_HRTF_SOFT, 0, ALC_HRTF_ID_SOFT, 1}},
      {"standin-full", MODE_NORMAL, true, "beta", "hrtfPreferredNotFound='beta'", {ALC_HRTF_SOFT, 1}},
      {"standin-full", MODE_NO_HRTF_EXTENSION, true, "Beta",
       "hrtfExt=0, hrtfRequested=1, hrtfStatus=not-supported, hrtfPreferredNotFound='Beta'", {}},
      // Only the name lookup is missing: the library is used, the preference never found.
      {"standin-without-names", MODE_NORMAL, true, "Beta", "hrtfStatus=enabled, hrtfPreferredNotFound='Beta'",
       {ALC_HRTF_SOFT, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " '" + c.preferred + "'");
    LibraryFolder library(buildFolder(c.folder));
    ASSERT_TRUE(library.loaded());
    library.setMode(c.mode);
    OpenALBackend backend;
    ASSERT_TRUE(backend.initialize(hrtfConfig(c.hrtf, c.preferred)));
    EXPECT_NE(backend.getRuntimeStatus().find(c.summaryPart), std::string::npos) << backend.getRuntimeStatus();
    EXPECT_EQ(library.lastAttributes(), c.attributes);
  }
}

TEST(BackendFallbackTest, ALostContextRebuildsTheBackEndAndKeepsTheListener) {
  LibraryFolder library(buildFolder("standin-full"));
  ASSERT_TRUE(library.loaded());
  TempFolder folder("lostcontext");
  const std::string tone = wavBytes(sineSamples(0.1, 1000.0, 0.1, 1, 48000), 1, 48000);
  for (const SoundTableEntry& entry : SOUND_TABLE) {
    folder.writeFile(std::string("data/sounds/default/") + entry.fileName, tone);
  }
  folder.writeFile("data/config/config.json", "{}");
  AudioManager manager;
  manager.setFolderSource([&] { return AudioFolders{folder.utf8("data"), "", folder.utf8("install")}; });
  ASSERT_TRUE(manager.initialize(folder.utf8("data/config/config.json")));
  ASSERT_EQ(manager.backendName().rfind("openal_soft (device='Stand-in Device'", 0), 0u) << manager.backendName();
  manager.updateListener(BLACK);
  manager.playCursorSound({0, 0}, BLACK);
  EXPECT_EQ(library.liveObjects(), 2);  // one buffer and one source, still playing

  LogCapture log;
  library.setMode(MODE_LOSE_CONTEXT);
  manager.playCursorSound({0, 0}, BLACK);
  EXPECT_TRUE(log.contains("Backend one-shot failed, fallback to miniaudio path: backend=openal_soft (device='Stand-in"));
  EXPECT_TRUE(log.contains("runtimeStatus=alc-make-current-failed, sound="));
  EXPECT_EQ(log.count("Audio backend recovery triggered: openal context lost"), 1);
  // The rebuilt OpenAL back end cannot make its context current either: miniaudio it is.
  EXPECT_TRUE(log.contains("OpenAL backend unavailable: alcMakeContextCurrent failed"));
  EXPECT_TRUE(log.contains("Audio backend recovery succeeded"));
  EXPECT_EQ(manager.backendName(), "miniaudio (bridge=miniaudio-native)");
  EXPECT_EQ(library.liveObjects(), 0);  // the old back end released its sources
  ma_engine* engine = manager.getEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_FLOAT_EQ(ma_engine_listener_get_direction(engine, 0).z, 1.0f);
}

TEST(BackendFallbackTest, ADeviceThatCannotOpenFallsBackToMiniaudio) {
  // The real library, told to write its output where no folder exists.
  TempFolder folder("nodevice");
  const std::string conf = "[general]\r\ndrivers = wave\r\n[wave]\r\nfile = " + folder.utf8("missing\\out.wav") + "\r\n";
  _wputenv_s(L"ALSOFT_CONF", utf8ToWide(folder.writeFile("alsoft.conf", conf)).c_str());
  LibraryFolder library(buildFolder(""));
  ASSERT_TRUE(library.loaded());
  folder.writeFile("data/config/config.json", R"({"Audio": {"BackendType": "openal_soft"}})");
  LogCapture log;
  AudioManager manager;
  manager.setFolderSource([&] { return AudioFolders{folder.utf8("data"), "", folder.utf8("install")}; });
  ASSERT_TRUE(manager.initialize(folder.utf8("data/config/config.json")));
  EXPECT_TRUE(log.contains("OpenAL backend unavailable: alcOpenDevice failed"));
  EXPECT_EQ(log.count("Primary audio backend init failed: openal_soft, fallback to miniaudio"), 1);
  EXPECT_EQ(manager.backendName(), "miniaudio (bridge=miniaudio-native)");
  _wputenv_s(L"ALSOFT_CONF", L"");
}

}  // namespace
}  // namespace Tavrune::Test
