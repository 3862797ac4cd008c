#include "settings/SettingValue.h"

#include <locale>
#include <sstream>

namespace Tavrune::Settings {

bool valueMatchesKind(const SettingValue& value, ValueKind kind) {
  switch (kind) {
    case ValueKind::None: return std::holds_alternative<std::monostate>(value);
    case ValueKind::Bool: return std::holds_alternative<bool>(value);
    case ValueKind::Integer: return std::holds_alternative<int64_t>(value);
    case ValueKind::Decimal:
      return std::holds_alternative<double>(value) || std::holds_alternative<int64_t>(value);
    case ValueKind::Text: return std::holds_alternative<std::string>(value);
  }
  return false;
}

std::string valueToString(const SettingValue& value) {
  if (value.valueless_by_exception()) return "<unknown>";
  if (std::holds_alternative<std::monostate>(value)) return "<none>";
  if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (const int64_t* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
  if (const double* d = std::get_if<double>(&value)) {
    // A user's locale could print "3 000" or "0,1"; the dialog must show the same text
    // on every machine, and the step and limit checks read it back the same way.
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << *d;
    return out.str();
  }
  return std::get<std::string>(value);
}

}  // namespace Tavrune::Settings
