#include "settings/Provider.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "settings/PlatformRestrictions.h"

namespace Tavrune::Settings {

namespace {

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

double asDouble(const SettingValue& value) {
  if (const int64_t* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
  if (const double* d = std::get_if<double>(&value)) return *d;
  return 0.0;
}

bool hasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

bool isChoice(EditorKind kind) {
  return kind == EditorKind::Choice || kind == EditorKind::ChoiceGroup;
}

}  // namespace

Provider::Provider(MenuNode schemaTree, std::unique_ptr<IDataSource> source,
                   IActionExecutor* executor)
    : schema(std::move(schemaTree)), dataSource(std::move(source)), actionExecutor(executor) {
  if (!dataSource) {
    throw std::invalid_argument("Settings::Provider requires a non-null IDataSource");
  }
  registerSchema(schema);
  fixCommitOrder();
  updateAvailability(schema, platform);
}

void Provider::registerSchema(MenuNode& menu) {
  if (menu.id.empty()) throw std::invalid_argument("menu id cannot be empty");
  if (!menusById.emplace(menu.id, &menu).second) {
    throw std::invalid_argument("duplicated menu id: " + menu.id);
  }
  if (menu.page) {
    for (ControlSpec& control : menu.page->controls) {
      if (control.id.empty()) {
        throw std::invalid_argument("control id cannot be empty in page: " + menu.page->id);
      }
      if (!controlsById.emplace(control.id, &control).second) {
        throw std::invalid_argument("duplicated control id: " + control.id);
      }
      commitOrder.push_back(control.id);
    }
  }
  for (MenuNode& child : menu.children) registerSchema(child);
}

// A commit that changes both a preset and its custom value must let the preset decide:
// the custom value is applied first, so a newly chosen preset overrides it.
void Provider::fixCommitOrder() {
  static const std::pair<const char*, const char*> rawBeforeProfile[] = {
      {"ai.timeLimit", "ai.timeLimitProfile"}, {"ai.depth", "ai.depthProfile"}};
  for (const auto& [raw, profile] : rawBeforeProfile) {
    auto rawAt = std::find(commitOrder.begin(), commitOrder.end(), raw);
    auto profileAt = std::find(commitOrder.begin(), commitOrder.end(), profile);
    if (rawAt == commitOrder.end() || profileAt == commitOrder.end() || rawAt < profileAt) continue;
    std::rotate(profileAt, rawAt, rawAt + 1);
  }
}

void Provider::setPlatform(Platform newPlatform) {
  platform = newPlatform;
  updateAvailability(schema, platform);
}

bool Provider::openSession(std::string* error) {
  ValueMap loaded;
  if (!dataSource->load(loaded, error)) return false;
  committedValues = std::move(loaded);
  draftValues = committedValues;
  for (const auto& [key, control] : controlsById) {
    draftValues.try_emplace(key, control->defaultValue);
  }
  sessionOpen = true;
  if (actionExecutor) actionExecutor->onSessionOpened(draftValues);
  return true;
}

bool Provider::reopenSession(std::string* error) {
  const ValueMap committed = committedValues;
  if (!openSession(error)) return false;
  static const std::pair<const char*, const char*> kCustomLimits[] = {{"ai.timeLimitProfile", "ai.timeLimit"},
                                                                      {"ai.depthProfile", "ai.depth"}};
  for (const auto& [profile, limit] : kCustomLimits) {
    const auto chosen = committed.find(profile);
    const auto limitThen = committed.find(limit);
    const auto limitNow = committedValues.find(limit);
    if (chosen == committed.end() || limitThen == committed.end() || limitNow == committedValues.end()) continue;
    const int64_t* choice = std::get_if<int64_t>(&chosen->second);
    if (choice && *choice == -1 && valuesEqual(limitThen->second, limitNow->second)) {
      committedValues[profile] = chosen->second;
      draftValues[profile] = chosen->second;
    }
  }
  return true;
}

void Provider::forgetCommitted(const std::string& key) { committedValues.erase(key); }

bool Provider::setDraftValue(const std::string& key, const SettingValue& value,
                             std::string* error) {
  if (!sessionOpen) return fail(error, "session is not open");
  auto found = controlsById.find(key);
  if (found == controlsById.end()) return fail(error, "control not found: " + key);
  // Read-only rows are filled by the program itself (the engine's live state), never by
  // the user, so they take any value unchecked.
  if (!found->second->readOnly && !validateValue(*found->second, value, error)) return false;
  draftValues[key] = value;
  return true;
}

bool Provider::validateValue(const ControlSpec& control, const SettingValue& value,
                             std::string* error) const {
  if (control.readOnly) return fail(error, "control is read-only: " + control.id);
  if (!control.editable || !isControlActive(control)) {
    return fail(error, "control is not editable on this platform: " + control.id);
  }
  if (!valueMatchesKind(value, control.valueKind)) {
    return fail(error, "value kind mismatch for control: " + control.id);
  }
  if (!control.options.empty() && isChoice(control.editorKind)) {
    const bool offered = std::any_of(control.options.begin(), control.options.end(),
                                     [&](const ChoiceOption& o) { return valuesEqual(o.value, value); });
    if (!offered) return fail(error, "value is not in options for control: " + control.id);
  }
  // The file drops control characters when it is read; refused here, what is saved is what
  // comes back.
  if (const std::string* text = std::get_if<std::string>(&value); text && hasControlCharacter(*text)) {
    return fail(error, "value has control characters for control: " + control.id);
  }
  if (control.valueKind == ValueKind::Integer || control.valueKind == ValueKind::Decimal) {
    const double x = asDouble(value);
    if (control.minValue && x < *control.minValue) {
      return fail(error, "value is smaller than min for control: " + control.id);
    }
    if (control.maxValue && x > *control.maxValue) {
      return fail(error, "value is larger than max for control: " + control.id);
    }
    if (control.step && *control.step > 0 && control.minValue) {
      const double q = (x - *control.minValue) / *control.step;
      if (std::fabs(q - std::round(q)) > 1e-6) {
        return fail(error, "value does not fit step for control: " + control.id);
      }
    }
  }
  return true;
}

const SettingValue* Provider::draftValue(const std::string& key) const {
  auto found = draftValues.find(key);
  return found == draftValues.end() ? nullptr : &found->second;
}

bool Provider::draftIntegerIs(const std::string& key, int64_t expected) const {
  const SettingValue* value = draftValue(key);
  const int64_t* integer = value ? std::get_if<int64_t>(value) : nullptr;
  return integer && *integer == expected;
}

bool Provider::isControlActive(const ControlSpec& control) const {
  if (!control.visible) return false;
  const std::string& id = control.id;
  if (id == "ai.customElo") return draftIntegerIs("ai.difficultyTier", 5);
  if (id == "ai.customSkill") return draftIntegerIs("ai.difficultyTier", 6);
  if (id == "ai.timeLimitProfile" || id == "ai.depthProfile" || id == "ai.timeLimit" ||
      id == "ai.depth") {
    const SettingValue* modeValue = draftValue("ai.searchLimitMode");
    const int64_t* modeInteger = modeValue ? std::get_if<int64_t>(modeValue) : nullptr;
    const int64_t mode = modeInteger ? *modeInteger : 0;
    if (id == "ai.timeLimitProfile") return mode == 0;
    if (id == "ai.depthProfile") return mode == 1;
    if (id == "ai.timeLimit") return mode == 0 && draftIntegerIs("ai.timeLimitProfile", -1);
    return mode == 1 && draftIntegerIs("ai.depthProfile", -1);
  }
  return true;
}

bool Provider::closeSession(bool commit, std::vector<std::string>* errors) {
  if (!sessionOpen) return true;
  if (!commit) {
    draftValues = committedValues;
    sessionOpen = false;
    if (actionExecutor) actionExecutor->onSessionClosed(false);
    return true;
  }

  // The store first: were the running program changed before a store that then refused
  // the draft, it would run on values the file does not hold, and a cancel could not
  // take them back.
  std::string storeError;
  if (!dataSource->apply(draftValues, &storeError)) {
    if (errors) errors->push_back(storeError);
    return false;
  }

  std::vector<std::string> changed;
  for (const std::string& key : commitOrder) {
    // Buttons hold no value: their work is done when they are pressed, never by a commit.
    if (controlsById.at(key)->editorKind == EditorKind::Action) continue;
    auto draft = draftValues.find(key);
    if (draft == draftValues.end()) continue;
    auto committed = committedValues.find(key);
    if (committed != committedValues.end() && valuesEqual(committed->second, draft->second)) {
      continue;
    }
    changed.push_back(key);
  }
  // The file now holds the draft, so a later cancel must fall back to it, not to what was
  // loaded, even if an applier fails below.
  committedValues = draftValues;

  bool allApplied = true;
  if (actionExecutor) {
    for (const std::string& key : changed) {
      const ApplyResult result = actionExecutor->execute(key, draftValues.at(key));
      if (result.ok) continue;
      allApplied = false;
      if (errors) errors->push_back(key + ": " + result.message);
    }
  }
  if (!allApplied) return false;

  sessionOpen = false;
  if (actionExecutor) actionExecutor->onSessionClosed(true);
  return true;
}

std::vector<const MenuNode*> Provider::listVisiblePages() const {
  std::vector<const MenuNode*> pages;
  for (const MenuNode& child : schema.children) {
    if (child.visible) pages.push_back(&child);
  }
  return pages;
}

const MenuNode* Provider::findVisibleMenu(const std::string& menuId) const {
  auto found = menusById.find(menuId);
  if (found == menusById.end() || !found->second->visible) return nullptr;
  return found->second;
}

std::vector<ControlState> Provider::listPageControls(const std::string& menuId) const {
  std::vector<ControlState> states;
  const MenuNode* menu = findVisibleMenu(menuId);
  if (!menu || !menu->page || !menu->page->visible) return states;
  for (const ControlSpec& control : menu->page->controls) {
    if (!isControlActive(control)) continue;
    const SettingValue* draft = draftValue(control.id);
    states.push_back(ControlState{&control, draft ? *draft : control.defaultValue, true,
                                  control.editable, control.availability.unavailableReason});
  }
  return states;
}

bool Provider::valuesEqual(const SettingValue& a, const SettingValue& b) {
  if (a.valueless_by_exception() || b.valueless_by_exception()) {
    return a.valueless_by_exception() && b.valueless_by_exception();
  }
  const int64_t* ai = std::get_if<int64_t>(&a);
  const int64_t* bi = std::get_if<int64_t>(&b);
  const double* ad = std::get_if<double>(&a);
  const double* bd = std::get_if<double>(&b);
  if (ai && bd) return static_cast<double>(*ai) == *bd;
  if (ad && bi) return *ad == static_cast<double>(*bi);
  // Same alternative: std::variant compares the held values (a NaN equals nothing).
  return a.index() == b.index() && a == b;
}

}  // namespace Tavrune::Settings
