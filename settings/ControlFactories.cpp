#include "settings/ControlFactories.h"

#include <utility>

namespace Tavrune::Settings {

namespace {

ControlSpec baseControl(const std::string& key, const std::string& label,
                        const std::string& description) {
  ControlSpec control;
  control.id = key;
  control.label = label;
  control.description = description;
  control.accessibility.accessibleName = label;
  control.accessibility.accessibleDescription = description;
  return control;
}

ControlSpec choiceControl(const std::string& key, const std::string& label, ValueKind kind,
                          SettingValue defaultValue, std::vector<ChoiceOption> options,
                          const std::string& description) {
  ControlSpec control = baseControl(key, label, description);
  control.editorKind = EditorKind::Choice;
  control.valueKind = kind;
  control.defaultValue = std::move(defaultValue);
  control.options = std::move(options);
  return control;
}

}  // namespace

ControlSpec makeActionControl(const std::string& key, const std::string& label,
                              const std::string& description) {
  ControlSpec control = baseControl(key, label, description);
  control.editorKind = EditorKind::Action;
  control.valueKind = ValueKind::None;
  return control;
}

ControlSpec makeBoolControl(const std::string& key, const std::string& label, bool defaultValue,
                            const std::string& description) {
  ControlSpec control = baseControl(key, label, description);
  control.editorKind = EditorKind::Toggle;
  control.valueKind = ValueKind::Bool;
  control.defaultValue = defaultValue;
  return control;
}

ControlSpec makeIntegerChoiceControl(const std::string& key, const std::string& label,
                                     int64_t defaultValue, std::vector<ChoiceOption> options,
                                     const std::string& description) {
  return choiceControl(key, label, ValueKind::Integer, defaultValue, std::move(options), description);
}

ControlSpec makeTextChoiceControl(const std::string& key, const std::string& label,
                                  const std::string& defaultValue,
                                  std::vector<ChoiceOption> options,
                                  const std::string& description) {
  return choiceControl(key, label, ValueKind::Text, defaultValue, std::move(options), description);
}

ControlSpec makeTextControl(const std::string& key, const std::string& label,
                            const std::string& defaultValue, const std::string& description) {
  ControlSpec control = baseControl(key, label, description);
  control.editorKind = EditorKind::TextField;
  control.valueKind = ValueKind::Text;
  control.defaultValue = defaultValue;
  control.applyTiming = ApplyTiming::AfterRestart;
  control.noteText = "修改后建议重启引擎或软件";
  return control;
}

ControlSpec makeInfoControl(const std::string& key, const std::string& label,
                            const std::string& defaultValue, const std::string& description) {
  ControlSpec control = makeTextControl(key, label, defaultValue, description);
  control.readOnly = true;
  control.applyTiming = ApplyTiming::Immediate;
  control.noteText.clear();
  return control;
}

ControlSpec makeIntegerControl(const std::string& key, const std::string& label,
                               int64_t defaultValue, int64_t minimum, int64_t maximum,
                               int64_t step, const std::string& description) {
  ControlSpec control = baseControl(key, label, description);
  control.editorKind = EditorKind::Number;
  control.valueKind = ValueKind::Integer;
  control.defaultValue = defaultValue;
  control.minValue = static_cast<double>(minimum);
  control.maxValue = static_cast<double>(maximum);
  control.step = static_cast<double>(step);
  return control;
}

}  // namespace Tavrune::Settings
