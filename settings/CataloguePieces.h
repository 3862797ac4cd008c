#pragma once
// Small helpers the catalogue's page builders share.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// A leaf menu "menu.settings.<name>" holding the page "page.settings.<name>".
MenuNode makeLeafMenu(const std::string& name, const std::string& menuTitle,
                      const std::string& menuDescription, const std::string& pageTitle,
                      const std::string& pageDescription, std::vector<ControlSpec> controls);

ChoiceOption integerOption(const std::string& id, int64_t value, const std::string& label);
ChoiceOption textOption(const std::string& id, const std::string& value, const std::string& label);

// The host part of a URL such as "http://host:port/path".
std::string hostOfUrl(const std::string& url);

}  // namespace Tavrune::Settings
