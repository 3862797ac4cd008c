#include "audio/OpenALBackend.h"

#include <windows.h>

#include <chrono>
#include <cstring>

#include "core/Log.h"
#include "core/TextConversion.h"
#include "platform/LibraryLoader.h"

namespace Tavrune {

namespace {

// Opaque handles and entry points of OpenAL 1.1 with ALC_SOFT_HRTF, declared here
// because the library is only ever reached through GetProcAddress.
struct ALCdevice;
struct ALCcontext;

constexpr int ALC_DEVICE_SPECIFIER = 0x1005;
constexpr int ALC_HRTF_SOFT = 0x1992;
constexpr int ALC_HRTF_STATUS_SOFT = 0x1993;
constexpr int ALC_NUM_HRTF_SPECIFIERS_SOFT = 0x1994;
constexpr int ALC_HRTF_SPECIFIER_SOFT = 0x1995;
constexpr int ALC_HRTF_ID_SOFT = 0x1996;
constexpr int AL_NO_ERROR = 0;
constexpr int AL_SOURCE_RELATIVE = 0x202;
constexpr int AL_POSITION = 0x1004;
constexpr int AL_LOOPING = 0x1007;
constexpr int AL_BUFFER = 0x1009;
constexpr int AL_GAIN = 0x100A;
constexpr int AL_ORIENTATION = 0x100F;
constexpr int AL_SOURCE_STATE = 0x1010;
constexpr int AL_PLAYING = 0x1012;
constexpr int AL_REFERENCE_DISTANCE = 0x1020;
constexpr int AL_ROLLOFF_FACTOR = 0x1021;
constexpr int AL_MAX_DISTANCE = 0x1023;
constexpr int AL_FORMAT_MONO16 = 0x1101;
constexpr int AL_FORMAT_STEREO16 = 0x1103;

constexpr std::chrono::milliseconds cleanupInterval{12};
constexpr uint64_t decodeChunkFrames = 4096;

struct ActiveSource {
  unsigned source = 0;
  unsigned buffer = 0;
  bool moving = false;
  Vec3 start;
  Vec3 end;
  std::chrono::steady_clock::time_point startTime;
  int32_t glideMs = 0;
};

template <typename Function>
bool resolve(HMODULE module, const char* name, Function& target) {
  target = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return target != nullptr;
}

}  // namespace

struct OpenALBackend::OpenALApi {
  HMODULE module = nullptr;
  ALCdevice* (*alcOpenDevice)(const char*) = nullptr;
  char (*alcCloseDevice)(ALCdevice*) = nullptr;
  ALCcontext* (*alcCreateContext)(ALCdevice*, const int*) = nullptr;
  void (*alcDestroyContext)(ALCcontext*) = nullptr;
  char (*alcMakeContextCurrent)(ALCcontext*) = nullptr;
  const char* (*alcGetString)(ALCdevice*, int) = nullptr;
  void (*alcGetIntegerv)(ALCdevice*, int, int, int*) = nullptr;
  char (*alcIsExtensionPresent)(ALCdevice*, const char*) = nullptr;
  const char* (*alcGetStringiSOFT)(ALCdevice*, int, int) = nullptr;
  int (*alGetError)() = nullptr;
  void (*alGenBuffers)(int, unsigned*) = nullptr;
  void (*alDeleteBuffers)(int, const unsigned*) = nullptr;
  void (*alBufferData)(unsigned, int, const void*, int, int) = nullptr;
  void (*alGenSources)(int, unsigned*) = nullptr;
  void (*alDeleteSources)(int, const unsigned*) = nullptr;
  void (*alSourcei)(unsigned, int, int) = nullptr;
  void (*alSourcef)(unsigned, int, float) = nullptr;
  void (*alSource3f)(unsigned, int, float, float, float) = nullptr;
  void (*alSourcePlay)(unsigned) = nullptr;
  void (*alGetSourcei)(unsigned, int, int*) = nullptr;
  void (*alListener3f)(int, float, float, float) = nullptr;
  void (*alListenerfv)(int, const float*) = nullptr;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  std::vector<ActiveSource> active;

  // Every entry point but alcGetStringiSOFT is required.
  bool loadSymbols() {
    bool ok = true;
    ok &= resolve(module, "alcOpenDevice", alcOpenDevice);
    ok &= resolve(module, "alcCloseDevice", alcCloseDevice);
    ok &= resolve(module, "alcCreateContext", alcCreateContext);
    ok &= resolve(module, "alcDestroyContext", alcDestroyContext);
    ok &= resolve(module, "alcMakeContextCurrent", alcMakeContextCurrent);
    ok &= resolve(module, "alcGetString", alcGetString);
    ok &= resolve(module, "alcGetIntegerv", alcGetIntegerv);
    ok &= resolve(module, "alcIsExtensionPresent", alcIsExtensionPresent);
    resolve(module, "alcGetStringiSOFT", alcGetStringiSOFT);
    ok &= resolve(module, "alGetError", alGetError);
    ok &= resolve(module, "alGenBuffers", alGenBuffers);
    ok &= resolve(module, "alDeleteBuffers", alDeleteBuffers);
    ok &= resolve(module, "alBufferData", alBufferData);
    ok &= resolve(module, "alGenSources", alGenSources);
    ok &= resolve(module, "alDeleteSources", alDeleteSources);
    ok &= resolve(module, "alSourcei", alSourcei);
    ok &= resolve(module, "alSourcef", alSourcef);
    ok &= resolve(module, "alSource3f", alSource3f);
    ok &= resolve(module, "alSourcePlay", alSourcePlay);
    ok &= resolve(module, "alGetSourcei", alGetSourcei);
    ok &= resolve(module, "alListener3f", alListener3f);
    ok &= resolve(module, "alListenerfv", alListenerfv);
    return ok;
  }

  void deleteSource(const ActiveSource& entry) {
    if (entry.source != 0) {
      alDeleteSources(1, &entry.source);
    }
    if (entry.buffer != 0) {
      alDeleteBuffers(1, &entry.buffer);
    }
  }
};

OpenALBackend::OpenALBackend() { std::memset(&bridge_, 0, sizeof(bridge_)); }

OpenALBackend::~OpenALBackend() { shutdown(); }

bool OpenALBackend::initialize(const AudioBackendConfig& config) {
  // A second initialisation must not leak the first one's library, device and thread.
  shutdown();
  std::lock_guard<std::mutex> guard(mutex_);
  summary_.clear();
  lastStatus_.clear();
  return initializeLocked(config);
}

bool OpenALBackend::initializeLocked(const AudioBackendConfig& config) {
  auto api = std::make_unique<OpenALApi>();
  // The copy shipped beside the program, else the system's: never the current folder,
  // which the file dialogs move around.
  api->module = LibraryLoader::load(LibraryLoader::Origin::ShippedOrSystem, L"OpenAL32.dll");
  if (api->module == nullptr) {
    logWarning("OpenAL backend unavailable: failed to load dynamic library");
    return false;
  }
  if (!api->loadSymbols()) {
    FreeLibrary(api->module);
    logWarning("OpenAL backend unavailable: missing required symbols");
    return false;
  }
  api->device = api->alcOpenDevice(nullptr);
  if (api->device == nullptr) {
    FreeLibrary(api->module);
    logWarning("OpenAL backend unavailable: alcOpenDevice failed");
    return false;
  }

  const bool hrtfExt = api->alcIsExtensionPresent(api->device, "ALC_SOFT_HRTF") != 0;
  int hrtfIndex = -1;
  std::string matchedName;
  const std::string preferred = trimName(config.hrtfPreferred);
  if (hrtfExt && !preferred.empty() && api->alcGetStringiSOFT != nullptr) {
    int count = 0;
    api->alcGetIntegerv(api->device, ALC_NUM_HRTF_SPECIFIERS_SOFT, 1, &count);
    for (int i = 0; i < count; ++i) {
      const char* name = api->alcGetStringiSOFT(api->device, ALC_HRTF_SPECIFIER_SOFT, i);
      if (name != nullptr && trimName(name) == preferred) {
        hrtfIndex = i;
        matchedName = name;
        break;
      }
    }
  }

  std::vector<int> attributes;
  if (hrtfExt) {
    attributes.insert(attributes.end(), {ALC_HRTF_SOFT, config.hrtfEnabled ? 1 : 0});
    if (hrtfIndex >= 0) {
      attributes.insert(attributes.end(), {ALC_HRTF_ID_SOFT, hrtfIndex});
    }
  }
  attributes.push_back(0);

  api->context = api->alcCreateContext(api->device, attributes.data());
  if (api->context == nullptr) {
    api->alcCloseDevice(api->device);
    FreeLibrary(api->module);
    logWarning("OpenAL backend unavailable: alcCreateContext failed");
    return false;
  }
  if (!api->alcMakeContextCurrent(api->context)) {
    api->alcDestroyContext(api->context);
    api->alcCloseDevice(api->device);
    FreeLibrary(api->module);
    logWarning("OpenAL backend unavailable: alcMakeContextCurrent failed");
    return false;
  }

  const char* deviceName = api->alcGetString(api->device, ALC_DEVICE_SPECIFIER);
  std::string hrtfStatus = "not-supported";
  if (hrtfExt) {
    int status = -1;
    api->alcGetIntegerv(api->device, ALC_HRTF_STATUS_SOFT, 1, &status);
    hrtfStatus = hrtfStatusName(status);
  }
  std::string summary = "device='" + std::string(deviceName != nullptr ? deviceName : "unknown") +
                        "', hrtfExt=" + (hrtfExt ? "1" : "0") +
                        ", hrtfRequested=" + (config.hrtfEnabled ? "1" : "0") + ", hrtfStatus=" + hrtfStatus;
  if (!preferred.empty()) {
    summary += hrtfIndex < 0 ? ", hrtfPreferredNotFound='" + preferred + "'"
                             : ", hrtfPreferred='" + matchedName + "'";
  }
  summary += ", mode=openal-oneshot+miniaudio-bg";

  ma_engine_config engineConfig = ma_engine_config_init();
  engineConfig.listenerCount = config.listenerCount;
  if (ma_engine_init(&engineConfig, &bridge_) != MA_SUCCESS) {
    api->alcMakeContextCurrent(nullptr);
    api->alcDestroyContext(api->context);
    api->alcCloseDevice(api->device);
    FreeLibrary(api->module);
    logWarning("OpenAL init succeeded, but bridge miniaudio engine init failed");
    return false;
  }

  summary_ = summary;
  api_ = std::move(api);
  initialized_ = true;
  stop_ = false;
  cleanupThread_ = std::thread([this] { cleanupLoop(); });
  logInfo("OpenAL backend initialized: " + summary_);
  return true;
}

void OpenALBackend::shutdown() {
  stop_ = true;
  if (cleanupThread_.joinable()) {
    cleanupThread_.join();
  }
  std::lock_guard<std::mutex> guard(mutex_);
  if (api_) {
    api_->alcMakeContextCurrent(api_->context);
    for (const ActiveSource& entry : api_->active) {
      api_->deleteSource(entry);
    }
    api_->active.clear();
    api_->alcMakeContextCurrent(nullptr);
    api_->alcDestroyContext(api_->context);
    api_->alcCloseDevice(api_->device);
    FreeLibrary(api_->module);
    api_.reset();
  }
  if (initialized_) {
    ma_engine_uninit(&bridge_);
    initialized_ = false;
  }
}

bool OpenALBackend::isInitialized() const { return initialized_; }

const char* OpenALBackend::getName() const { return "openal_soft"; }

std::string OpenALBackend::getRuntimeStatus() const {
  std::lock_guard<std::mutex> guard(mutex_);
  if (lastStatus_.empty()) {
    return summary_;
  }
  if (summary_.empty()) {
    return "runtimeStatus=" + lastStatus_;
  }
  return summary_ + ", runtimeStatus=" + lastStatus_;
}

void OpenALBackend::updateListener(const Vec3& position, const Vec3& forward, const Vec3& up) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!initialized_ || !api_ || !makeContextCurrent()) {
    return;
  }
  api_->alListener3f(AL_POSITION, position.x, position.y, position.z);
  const float orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
  api_->alListenerfv(AL_ORIENTATION, orientation);
}

bool OpenALBackend::refuse(const std::string& code) {
  lastStatus_ = code;
  return false;
}

bool OpenALBackend::makeContextCurrent() { return api_->alcMakeContextCurrent(api_->context) != 0; }

bool OpenALBackend::playOneShot(const std::string& path, const OneShotRequest& request) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!initialized_ || !api_) {
    return refuse("not-initialized");
  }
  if (!makeContextCurrent()) {
    return refuse("alc-make-current-failed");
  }
  updateMovingSources();
  reapFinishedSources();

  DecodedSound sound;
  if (!decodeFile(path, sound)) {
    logWarning("OpenAL decode failed, fallback to miniaudio: " + path);
    return refuse("decode-failed");
  }
  int format = 0;
  if (sound.channels == 1) {
    format = AL_FORMAT_MONO16;
  } else if (sound.channels == 2) {
    format = AL_FORMAT_STEREO16;
  } else {
    logWarning("OpenAL unsupported channel count, fallback to miniaudio: " + std::to_string(sound.channels));
    return refuse("unsupported-channels-" + std::to_string(sound.channels));
  }
  if (request.spatial && sound.channels == 2) {
    // OpenAL places only mono sources.
    if (!downmixToMono(sound.samples)) {
      logWarning("OpenAL 3D stereo downmix failed, fallback to miniaudio: " + path);
      return refuse("spatial-downmix-failed");
    }
    format = AL_FORMAT_MONO16;
    logInfo("OpenAL 3D source downmixed stereo->mono: " + path);
  }

  OpenALApi& al = *api_;
  al.alGetError();  // a stale error must not be taken for this sound's
  unsigned buffer = 0;
  al.alGenBuffers(1, &buffer);
  if (buffer == 0 || al.alGetError() != AL_NO_ERROR) {
    if (buffer != 0) {
      al.alDeleteBuffers(1, &buffer);
    }
    return refuse("gen-buffer-failed");
  }
  al.alBufferData(buffer, format, sound.samples.data(), static_cast<int>(sound.samples.size() * 2),
                  static_cast<int>(sound.sampleRate));
  const int bufferError = al.alGetError();
  sound.samples = {};
  if (bufferError != AL_NO_ERROR) {
    al.alDeleteBuffers(1, &buffer);
    return refuse("buffer-data-failed");
  }
  unsigned source = 0;
  al.alGenSources(1, &source);
  if (source == 0 || al.alGetError() != AL_NO_ERROR) {
    if (source != 0) {
      al.alDeleteSources(1, &source);
    }
    al.alDeleteBuffers(1, &buffer);
    return refuse("gen-source-failed");
  }

  al.alSourcei(source, AL_BUFFER, static_cast<int>(buffer));
  al.alSourcei(source, AL_LOOPING, 0);
  al.alSourcef(source, AL_GAIN, request.volume);
  if (request.spatial) {
    al.alSourcei(source, AL_SOURCE_RELATIVE, 0);
    al.alSource3f(source, AL_POSITION, request.position.x, request.position.y, request.position.z);
    al.alSourcef(source, AL_REFERENCE_DISTANCE, request.minDistance);
    al.alSourcef(source, AL_MAX_DISTANCE, request.maxDistance);
    al.alSourcef(source, AL_ROLLOFF_FACTOR, request.rolloff);
  } else {
    al.alSourcei(source, AL_SOURCE_RELATIVE, 1);
    al.alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    al.alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  }
  al.alGetError();
  al.alSourcePlay(source);
  if (al.alGetError() != AL_NO_ERROR) {
    al.alDeleteSources(1, &source);
    al.alDeleteBuffers(1, &buffer);
    return refuse("source-play-failed");
  }

  ActiveSource entry;
  entry.source = source;
  entry.buffer = buffer;
  if (request.spatial && request.moving && request.glideMs > 0) {
    entry.moving = true;
    entry.start = request.position;
    entry.end = request.endPosition;
    entry.startTime = std::chrono::steady_clock::now();
    entry.glideMs = request.glideMs;
  }
  al.active.push_back(entry);
  lastStatus_ = request.spatial ? "play-ok-3d" : "play-ok-2d";
  return true;
}

ma_engine* OpenALBackend::getEngine() { return initialized_ ? &bridge_ : nullptr; }

void OpenALBackend::reapFinishedSources() {
  OpenALApi& al = *api_;
  std::erase_if(al.active, [&al](const ActiveSource& entry) {
    int state = 0;
    al.alGetSourcei(entry.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) {
      return false;
    }
    al.deleteSource(entry);
    return true;
  });
}

void OpenALBackend::updateMovingSources() {
  if (!initialized_ || !api_ || !makeContextCurrent()) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  for (ActiveSource& entry : api_->active) {
    if (!entry.moving || entry.source == 0 || entry.glideMs <= 0) {
      continue;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - entry.startTime).count();
    float t = static_cast<float>(elapsed) / static_cast<float>(entry.glideMs);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    api_->alSource3f(entry.source, AL_POSITION, entry.start.x + (entry.end.x - entry.start.x) * t,
                     entry.start.y + (entry.end.y - entry.start.y) * t,
                     entry.start.z + (entry.end.z - entry.start.z) * t);
    if (t >= 1.0f) {
      entry.moving = false;
    }
  }
}

void OpenALBackend::cleanupLoop() {
  while (!stop_) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      updateMovingSources();
    }
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + cleanupInterval);
  }
}

bool OpenALBackend::decodeFile(const std::string& path, DecodedSound& sound) {
  sound = {};
  const std::wstring widePath = utf8ToWide(path);
  if (widePath.empty()) {
    return false;
  }
  ma_decoder_config config = ma_decoder_config_init(ma_format_s16, 0, 0);
  ma_decoder decoder;
  if (ma_decoder_init_file_w(widePath.c_str(), &config, &decoder) != MA_SUCCESS) {
    return false;
  }
  bool ok = true;
  ma_format format = ma_format_unknown;
  ma_uint32 channels = 0;
  ma_uint32 sampleRate = 0;
  if (ma_decoder_get_data_format(&decoder, &format, &channels, &sampleRate, nullptr, 0) != MA_SUCCESS) {
    ok = false;
  }
  std::vector<int16_t> chunk;
  while (ok && channels > 0) {
    chunk.resize(static_cast<size_t>(decodeChunkFrames) * channels);
    ma_uint64 framesRead = 0;
    const ma_result result = ma_decoder_read_pcm_frames(&decoder, chunk.data(), decodeChunkFrames, &framesRead);
    sound.samples.insert(sound.samples.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(framesRead * channels));
    if (result == MA_AT_END || framesRead == 0) {
      break;
    }
    if (result != MA_SUCCESS) {
      ok = false;
    }
  }
  ma_decoder_uninit(&decoder);
  if (!ok || sound.samples.empty() || channels == 0 || sampleRate == 0) {
    sound = {};
    return false;
  }
  sound.channels = channels;
  sound.sampleRate = sampleRate;
  return true;
}

bool OpenALBackend::downmixToMono(std::vector<int16_t>& samples) {
  if (samples.size() < 2 || samples.size() % 2 != 0) {
    return false;
  }
  std::vector<int16_t> mono(samples.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) {
    const int32_t sum = static_cast<int32_t>(samples[2 * i]) + static_cast<int32_t>(samples[2 * i + 1]);
    mono[i] = static_cast<int16_t>(sum / 2);
  }
  samples = std::move(mono);
  return true;
}

std::string OpenALBackend::hrtfStatusName(int status) {
  switch (status) {
    case 0: return "disabled";
    case 1: return "enabled";
    case 2: return "denied";
    case 3: return "required";
    case 4: return "headphones-detected";
    case 5: return "unsupported-format";
    default: return "unknown(" + std::to_string(status) + ")";
  }
}

std::string OpenALBackend::trimName(const std::string& name) {
  const char* blanks = " \t\r\n";
  const size_t first = name.find_first_not_of(blanks);
  if (first == std::string::npos) {
    return {};
  }
  return name.substr(first, name.find_last_not_of(blanks) - first + 1);
}

}  // namespace Tavrune
