#pragma once
// The version text of the About box: the product version read from the program's
// resource, followed by the build number and the source revision.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Tavrune {

// For example "1.2.10.1 (Build 771 (abc1234))".
std::wstring getProductVersionText();
// "Build 771 (" + the checkout's revision + ")".
std::wstring getBuildText();

// What the resource gave, made into the text: no resource at all gives the built-in
// version alone; otherwise the English ProductVersion string, else the fixed version,
// else the built-in version, each followed by the build text.
std::wstring composeProductVersionText(bool resourceRead, const std::optional<std::wstring>& productVersion,
                                       const std::optional<std::array<uint32_t, 4>>& fixedVersion);

}  // namespace Tavrune
