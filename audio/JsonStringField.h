#pragma once
// A deliberately small reader for the string members of "soundpack.json": the raw text
// between the quotes of the first "key" found anywhere in the file, escapes kept.
#include <string>

namespace Tavrune {

// Empty when the key, its colon, its opening quote or its closing quote is missing.
std::string extractJsonStringField(const std::string& text, const std::string& key);

}  // namespace Tavrune
