#include "settings/CataloguePieces.h"

#include <utility>

namespace Tavrune::Settings {

MenuNode makeLeafMenu(const std::string& name, const std::string& menuTitle,
                      const std::string& menuDescription, const std::string& pageTitle,
                      const std::string& pageDescription, std::vector<ControlSpec> controls) {
  MenuNode menu;
  menu.id = "menu.settings." + name;
  menu.title = menuTitle;
  menu.description = menuDescription;
  PageSpec page;
  page.id = "page.settings." + name;
  page.title = pageTitle;
  page.description = pageDescription;
  page.controls = std::move(controls);
  menu.page = std::move(page);
  return menu;
}

ChoiceOption integerOption(const std::string& id, int64_t value, const std::string& label) {
  return ChoiceOption{id, label, SettingValue(value)};
}

ChoiceOption textOption(const std::string& id, const std::string& value, const std::string& label) {
  return ChoiceOption{id, label, SettingValue(value)};
}

std::string hostOfUrl(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  const size_t end = url.find_first_of(":/?#", start);
  return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace Tavrune::Settings
