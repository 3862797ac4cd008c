#pragma once
// The value of one setting as it travels between the store, the draft of an edit session
// and the code that pushes it into the running program.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <variant>

namespace Tavrune::Settings {

// The alternatives' order is part of the contract: index 0 nothing, 1 bool, 2 integer,
// 3 decimal, 4 UTF-8 text.
using SettingValue = std::variant<std::monostate, bool, int64_t, double, std::string>;

// Setting key to value; the iteration order carries no meaning.
using ValueMap = std::unordered_map<std::string, SettingValue>;

enum class ValueKind : int32_t { None = 0, Bool = 1, Integer = 2, Decimal = 3, Text = 4 };

// What an applier answers; `message` is empty when `ok` is true.
struct ApplyResult {
  bool ok = true;
  std::string message;
};

// Whether a value may be stored in a control of that kind. An integer is an acceptable
// decimal; a double is never an acceptable integer.
bool valueMatchesKind(const SettingValue& value, ValueKind kind);

// Display text of a value, the same whatever locale the process runs in.
std::string valueToString(const SettingValue& value);

}  // namespace Tavrune::Settings
