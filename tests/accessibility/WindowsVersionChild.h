#pragma once
// Runs tests of this program in a copy of it that Wine tells a chosen Windows version
// (per-program "Version" under HKCU\Software\Wine\AppDefaults), since the version is
// read once at process start.
#include <string>

namespace Tavrune::A11yTest {

bool runningUnderWine();
// True inside such a copy; `expectedWindows` is then "win7" or "win10".
bool inVersionChild(std::string* expectedWindows = nullptr);
// Exit code of the copy running the tests matching `filter`, or -1 when it could not start.
int runTestsAsWindowsVersion(const std::wstring& windowsVersion, const std::string& filter);

}  // namespace Tavrune::A11yTest
