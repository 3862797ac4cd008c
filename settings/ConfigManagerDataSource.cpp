#include "settings/ConfigManagerDataSource.h"

#include <utility>

#include "settings/ConfigKeyTable.h"

namespace Tavrune::Settings {

ConfigManagerDataSource::ConfigManagerDataSource(ConfigLoader load, ConfigSaver save, std::string path)
    : loader(std::move(load)), saver(std::move(save)), configPath(std::move(path)) {}

void ConfigManagerDataSource::readFileInto(ConfigRecord& target) const {
  loader(target.ai, target.player2Scheme, target.accessibility, &target.system, &target.audio);
}

bool ConfigManagerDataSource::load(ValueMap& values, std::string* error) {
  readFileInto(record);
  values = ConfigKeyTable::readAllValues(record);
  if (error) error->clear();
  return true;
}

bool ConfigManagerDataSource::apply(const ValueMap& values, std::string* error) {
  // The reader leaves a record untouched when the file cannot be read, so starting from
  // the record held since load keeps it rather than falling back to defaults.
  ConfigRecord updated = record;
  readFileInto(updated);
  record = updated;
  if (!ConfigKeyTable::writeValues(updated, values, error)) return false;
  if (!saver(updated.ai, updated.player2Scheme, updated.accessibility, &updated.system, &updated.audio)) {
    if (error) *error = "无法写入配置文件：" + configPath;
    return false;
  }
  record = std::move(updated);
  if (error) error->clear();
  return true;
}

std::unique_ptr<IDataSource> makeConfigManagerDataSource(ConfigLoader loader, ConfigSaver saver,
                                                         std::string configPath) {
  return std::make_unique<ConfigManagerDataSource>(std::move(loader), std::move(saver), std::move(configPath));
}

}  // namespace Tavrune::Settings
