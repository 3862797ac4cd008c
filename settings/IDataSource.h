#pragma once
// Where the settings are stored. The provider loads every value when a session opens and
// hands the whole draft back on commit.
#include <string>

#include "settings/SettingValue.h"

namespace Tavrune::Settings {

class IDataSource {
 public:
  virtual ~IDataSource() = default;
  // Fills `values` with every setting the store holds. On failure returns false and, when
  // `error` is not null, puts the reason there.
  virtual bool load(ValueMap& values, std::string* error) = 0;
  // Stores every entry it knows and ignores the others (buttons, information rows).
  virtual bool apply(const ValueMap& values, std::string* error) = 0;
};

}  // namespace Tavrune::Settings
