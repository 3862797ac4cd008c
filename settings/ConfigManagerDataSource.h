#pragma once
// The settings store over "config.json": keeps its own copy of the configuration
// record, hands out every stored key on load and writes a committed draft back.
#include <memory>
#include <string>

#include "settings/ConfigRecord.h"
#include "settings/IDataSource.h"

namespace Tavrune::Settings {

class ConfigManagerDataSource : public IDataSource {
 public:
  // `configPath` names the file in the message of a failed save.
  ConfigManagerDataSource(ConfigLoader loader, ConfigSaver saver, std::string configPath);

  // Reads the file; never fails.
  bool load(ValueMap& values, std::string* error) override;
  // Reads the file again just before writing, so fields another writer saved since
  // `load` survive; then writes the map's stored keys over it and saves. False, with
  // the file unchanged, for a value of the wrong kind or a file that cannot be written.
  bool apply(const ValueMap& values, std::string* error) override;

 private:
  void readFileInto(ConfigRecord& record) const;

  ConfigLoader loader;
  ConfigSaver saver;
  std::string configPath;
  ConfigRecord record;  // as last read from or written to the file
};

std::unique_ptr<IDataSource> makeConfigManagerDataSource(ConfigLoader loader, ConfigSaver saver,
                                                         std::string configPath);

}  // namespace Tavrune::Settings
