#include "core/TextConversion.h"

namespace Tavrune {

std::wstring utf8ToWide(const std::string&) { return {}; }
std::string wideToUtf8(const std::wstring&) { return {}; }
std::string wideToUtf8Path(const std::wstring&) { return {}; }
std::string wideToUtf8Text(const std::wstring&) { return {}; }
std::string encodeUtf8(const std::wstring&) { return {}; }

}  // namespace Tavrune
