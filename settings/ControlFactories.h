#pragma once
// One function per kind of control: each fills the fields its kind needs, names the
// control for screen readers after its label and describes it with its description.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

ControlSpec makeActionControl(const std::string& key, const std::string& label,
                              const std::string& description = "");
ControlSpec makeBoolControl(const std::string& key, const std::string& label, bool defaultValue,
                            const std::string& description = "");
ControlSpec makeIntegerChoiceControl(const std::string& key, const std::string& label,
                                     int64_t defaultValue, std::vector<ChoiceOption> options,
                                     const std::string& description = "");
ControlSpec makeTextChoiceControl(const std::string& key, const std::string& label,
                                  const std::string& defaultValue,
                                  std::vector<ChoiceOption> options,
                                  const std::string& description = "");
// A free-text setting; changes usually need a restart, and the note says so.
ControlSpec makeTextControl(const std::string& key, const std::string& label,
                            const std::string& defaultValue, const std::string& description = "");
// A read-only information row.
ControlSpec makeInfoControl(const std::string& key, const std::string& label,
                            const std::string& defaultValue, const std::string& description = "");
ControlSpec makeIntegerControl(const std::string& key, const std::string& label,
                               int64_t defaultValue, int64_t minimum, int64_t maximum,
                               int64_t step, const std::string& description = "");

}  // namespace Tavrune::Settings
