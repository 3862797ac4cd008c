#pragma once
// A store in memory and an executor that records what a session does, both writing into
// one shared log so a test can see which came first.
#include <memory>
#include <utility>
#include <set>
#include <string>
#include <vector>

#include "settings/IActionExecutor.h"
#include "settings/IDataSource.h"
#include "settings/Provider.h"
#include "settings/SettingsCatalogue.h"

namespace Tavrune::Settings {

using DraftEdits = std::vector<std::pair<std::string, SettingValue>>;

struct SessionLog {
  std::vector<std::string> events;  // "load", "apply", "open", "execute <key>", "closed <0|1>"
  ValueMap stored;                  // what the store holds
  bool failLoad = false;
  bool failApply = false;
  std::set<std::string> failingAppliers;
  std::vector<std::string> executedKeys;
};

class FakeDataSource : public IDataSource {
 public:
  explicit FakeDataSource(SessionLog& log) : log(log) {}
  bool load(ValueMap& values, std::string* error) override {
    log.events.push_back("load");
    if (log.failLoad) {
      if (error) *error = "cannot read";
      return false;
    }
    values = log.stored;
    return true;
  }
  bool apply(const ValueMap& values, std::string* error) override {
    log.events.push_back("apply");
    if (log.failApply) {
      if (error) *error = "cannot write";
      return false;
    }
    log.stored = values;
    return true;
  }

 private:
  SessionLog& log;
};

class RecordingExecutor : public IActionExecutor {
 public:
  explicit RecordingExecutor(SessionLog& log) : log(log) {}
  void onSessionOpened(const ValueMap&) override { log.events.push_back("open"); }
  ApplyResult execute(const std::string& key, const SettingValue&) override {
    log.events.push_back("execute " + key);
    log.executedKeys.push_back(key);
    if (log.failingAppliers.count(key)) return {false, "refused"};
    return {};
  }
  void onSessionClosed(bool committed) override {
    log.events.push_back(committed ? "closed 1" : "closed 0");
  }

 private:
  SessionLog& log;
};

// A provider over the whole catalogue on a platform, its session open.
inline std::unique_ptr<Provider> openCatalogue(SessionLog& log, IActionExecutor* executor,
                                               Platform platform = Platform::WindowsDesktop) {
  auto provider = std::make_unique<Provider>(buildSettingsSchema(),
                                             std::make_unique<FakeDataSource>(log), executor);
  provider->setPlatform(platform);
  provider->openSession(nullptr);
  return provider;
}

}  // namespace Tavrune::Settings
