#pragma once
// The settings provider: its own copy of the settings tree, indexed by id, the platform it
// runs on, and one edit session at a time. A session loads the stored values, keeps a
// draft that callers change key by key (every change checked against the tree), and
// commits the draft to the store and then to the running program.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "settings/IActionExecutor.h"
#include "settings/IDataSource.h"
#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// One row of a page listing.
struct ControlState {
  const ControlSpec* control = nullptr;  // into the provider's tree
  SettingValue value;                   // the draft's value, or the control's default
  bool visible = true;                  // only shown controls are listed
  bool editable = true;
  std::string unavailableReason;
};

class Provider {
 public:
  // Throws std::invalid_argument for a null data source or a tree with an empty or
  // repeated menu or control id. The executor may be null; the caller keeps it alive.
  Provider(MenuNode schema, std::unique_ptr<IDataSource> dataSource,
           IActionExecutor* actionExecutor);
  // Handed-out pointers point into this object.
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  // Recomputes which items the platform shows and which it greys out.
  void setPlatform(Platform platform);

  // Loads the store into a fresh session; settings the store lacks take their defaults in
  // the draft only, so they count as changed at the next commit. Reopening reloads.
  bool openSession(std::string* error);
  // Opens the session again after a commit. A custom search limit chosen in the committed
  // draft stays chosen while the store still holds the limit committed with it: read alone,
  // a custom limit equal to a preset would come back as that preset.
  bool reopenSession(std::string* error);
  // The running program no longer holds the value loaded for the key (something outside
  // the session changed it): the next commit hands the key to its applier whatever the
  // draft holds, so what runs afterwards is what was stored.
  void forgetCommitted(const std::string& key);
  // Checks the value (read-only rows excepted) and puts it into the draft.
  bool setDraftValue(const std::string& key, const SettingValue& value, std::string* error);
  bool validateValue(const ControlSpec& control, const SettingValue& value,
                     std::string* error) const;
  // Whether a control takes part in the draft's configuration (a custom Elo only while
  // the custom-Elo tier is chosen, a search limit only in its mode, and so on).
  bool isControlActive(const ControlSpec& control) const;
  // Commit (true) or cancel (false). A commit writes the store first and then runs the
  // appliers of the changed settings; either failure answers false with its messages in
  // `errors` and keeps the session open.
  bool closeSession(bool commit, std::vector<std::string>* errors);

  std::vector<const MenuNode*> listVisiblePages() const;
  std::vector<ControlState> listPageControls(const std::string& menuId) const;
  const MenuNode* findVisibleMenu(const std::string& menuId) const;

  // Exact comparison; an integer equals a double of the same value, a NaN equals nothing.
  static bool valuesEqual(const SettingValue& a, const SettingValue& b);

 private:
  void registerSchema(MenuNode& menu);
  void fixCommitOrder();
  const SettingValue* draftValue(const std::string& key) const;
  bool draftIntegerIs(const std::string& key, int64_t expected) const;

  MenuNode schema;
  std::unique_ptr<IDataSource> dataSource;
  IActionExecutor* actionExecutor;
  bool sessionOpen = false;
  ValueMap committedValues;
  ValueMap draftValues;
  std::unordered_map<std::string, MenuNode*> menusById;
  std::unordered_map<std::string, ControlSpec*> controlsById;
  Platform platform = Platform::None;
  // Control keys in the order a commit hands changed values to the executor.
  std::vector<std::string> commitOrder;
};

}  // namespace Tavrune::Settings
