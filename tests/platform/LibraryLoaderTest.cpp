#include "platform/LibraryLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tavrune {
namespace {

// Every try goes through a stand-in for LoadLibraryExW, which loads only `loadablePath`:
// the systems with and without the loader update are both played here.
struct Attempt {
  std::wstring path;
  DWORD flags;
  bool operator==(const Attempt&) const = default;
};

void PrintTo(const Attempt& attempt, std::ostream* out) {
  *out << testing::PrintToString(attempt.path) << " flags 0x" << std::hex << attempt.flags;
}

std::vector<Attempt> attempts;
std::wstring loadablePath;

HMODULE WINAPI recordingLoad(LPCWSTR path, HANDLE, DWORD flags) {
  attempts.push_back({path, flags});
  return path == loadablePath ? GetModuleHandleW(nullptr) : nullptr;
}

constexpr DWORD besideItsOwnFolder = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

TEST(LibraryLoader, LoadsByFullPathWithTheFlagsTheSystemUnderstands) {
  using Origin = LibraryLoader::Origin;
  const std::wstring system = L"C:\\Windows\\system32";
  const std::wstring program = L"D:\\象棋\\Tavrune";
  const struct {
    Origin origin;
    const wchar_t* fileName;
    bool addDllDirectory;
    std::wstring programFolder;
    std::wstring loadable;
    std::vector<Attempt> expected;
  } cases[] = {
      {Origin::System, L"comdlg32.dll", true, program, L"",
       {{system + L"\\comdlg32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}},
      // Windows 7 without the loader update refuses the search flags.
      {Origin::System, L"UIAutomationCore.dll", false, program, L"",
       {{system + L"\\UIAutomationCore.dll", LOAD_WITH_ALTERED_SEARCH_PATH}}},
      {Origin::ShippedOrSystem, L"OpenAL32.dll", true, program, program + L"\\OpenAL32.dll",
       {{program + L"\\OpenAL32.dll", besideItsOwnFolder}}},
      {Origin::ShippedOrSystem, L"OpenAL32.dll", true, program, L"",
       {{program + L"\\OpenAL32.dll", besideItsOwnFolder}, {system + L"\\OpenAL32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}},
      {Origin::ShippedOrSystem, L"OpenAL32.dll", false, L"E:\\", system + L"\\OpenAL32.dll",
       {{L"E:\\OpenAL32.dll", LOAD_WITH_ALTERED_SEARCH_PATH}, {system + L"\\OpenAL32.dll", LOAD_WITH_ALTERED_SEARCH_PATH}}},
      // A program path that cannot be read leaves only the system's copy.
      {Origin::ShippedOrSystem, L"OpenAL32.dll", true, L"", L"",
       {{system + L"\\OpenAL32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fileName << " AddDllDirectory=" << c.addDllDirectory);
    const LibraryLoader::Environment environment{system, c.programFolder, c.addDllDirectory, &recordingLoad};
    LibraryLoader::replaceEnvironmentForTesting(&environment);
    attempts.clear();
    loadablePath = c.loadable;
    const HMODULE module = LibraryLoader::load(c.origin, c.fileName);
    LibraryLoader::replaceEnvironmentForTesting(nullptr);
    EXPECT_EQ(module != nullptr, !c.loadable.empty());
    EXPECT_EQ(attempts, c.expected);
  }

  // The system's own answers: the flags are taken there, and the library comes from its folder.
  const HMODULE comdlg32 = LibraryLoader::load(Origin::System, L"comdlg32.dll");
  ASSERT_NE(comdlg32, nullptr);
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(comdlg32, loaded, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(loaded, LibraryLoader::systemEnvironment().systemFolder.c_str(),
                      LibraryLoader::systemEnvironment().systemFolder.size()), 0);
}

}  // namespace
}  // namespace Tavrune
