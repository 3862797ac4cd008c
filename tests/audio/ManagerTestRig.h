#pragma once
// An audio manager wired to test back ends over device-less engines, with its own
// data, program and install folders, a full sound pack of quiet tones and a config file.
#include <memory>
#include <string>
#include <vector>

#include "NoDeviceBackend.h"
#include "support/TempFolder.h"
#include "audio/AudioManager.h"

namespace Tavrune::Test {

class ManagerTestRig {
 public:
  // Amplitude of the pack's tones (0..1 of full scale).
  static constexpr double TONE_LEVEL = 0.1;

  explicit ManagerTestRig(const std::string& audioJson = R"({"BackendType": "miniaudio"})");

  AudioManager& manager() { return *manager_; }
  BackendProbe& probe() { return *probe_; }
  TempFolder& folder() { return folder_; }
  const std::string& configPath() const { return configPath_; }
  AudioFolders folders() const;
  // The back-end kinds the manager asked for, in order.
  std::vector<AudioBackendType> requestedKinds() const { return requestedKinds_; }

  bool initialize() { return manager_->initialize(configPath_); }
  // Reads the mix of the manager's current engine.
  std::vector<float> render(double seconds);
  // Writes config.json with this "Audio" object.
  void writeConfig(const std::string& audioJson);
  // Builds a new manager over the same folders (the old one is destroyed first).
  void rebuildManager();

 private:
  TempFolder folder_;
  std::shared_ptr<BackendProbe> probe_;
  std::vector<AudioBackendType> requestedKinds_;
  std::string configPath_;
  std::unique_ptr<AudioManager> manager_;
};

}  // namespace Tavrune::Test
