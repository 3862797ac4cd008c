#include "ManagerTestRig.h"

#include "WavFile.h"
#include "audio/SoundType.h"

namespace Tavrune::Test {

ManagerTestRig::ManagerTestRig(const std::string& audioJson)
    : folder_("manager"), probe_(std::make_shared<BackendProbe>()) {
  folder_.makeFolder("data");
  folder_.makeFolder("app");
  folder_.makeFolder("install");
  const std::string tone = wavBytes(sineSamples(0.2, 1000.0, TONE_LEVEL, 1, NoDeviceBackend::SAMPLE_RATE), 1,
                                    NoDeviceBackend::SAMPLE_RATE);
  for (const SoundTableEntry& entry : SOUND_TABLE) {
    folder_.writeFile(std::string("data/sounds/default/") + entry.fileName, tone);
  }
  configPath_ = folder_.utf8("data/config/config.json");
  writeConfig(audioJson);
  rebuildManager();
}

AudioFolders ManagerTestRig::folders() const {
  return {folder_.utf8("data"), folder_.utf8("app"), folder_.utf8("install")};
}

void ManagerTestRig::writeConfig(const std::string& audioJson) {
  folder_.writeFile("data/config/config.json", "{\"Audio\": " + audioJson + "}");
}

void ManagerTestRig::rebuildManager() {
  manager_.reset();
  manager_ = std::make_unique<AudioManager>();
  manager_->setFolderSource([this] { return folders(); });
  manager_->setBackendFactory([this](AudioBackendType kind) -> std::unique_ptr<IAudioBackend> {
    requestedKinds_.push_back(kind);
    return std::make_unique<NoDeviceBackend>(probe_, kind == AUDIO_BACKEND_OPENAL_SOFT ? "openal_soft" : "miniaudio");
  });
}

std::vector<float> ManagerTestRig::render(double seconds) {
  return NoDeviceBackend::render(manager_->getEngine(),
                                 static_cast<size_t>(seconds * NoDeviceBackend::SAMPLE_RATE));
}

}  // namespace Tavrune::Test
