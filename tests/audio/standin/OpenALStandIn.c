/* A stand-in "OpenAL32.dll" for failures the real OpenAL Soft will not produce on
   demand: missing entry points (built without some), a context that can no longer be
   made current, a device without the HRTF extension. It renders nothing. The test
   steers it through standInSetMode and reads back what the back end asked of it. */
#include <string.h>

#define EXPORT __declspec(dllexport)

enum {
  MODE_NORMAL = 0,
  MODE_LOSE_CONTEXT = 1, /* alcMakeContextCurrent fails for every real context */
  MODE_NO_HRTF_EXTENSION = 2,
};

static int mode = MODE_NORMAL;
static int device = 1;
static int context = 2;
static int lastAttributes[16];
static unsigned nextId = 1;
static int liveBuffers = 0;
static int liveSources = 0;

EXPORT void standInSetMode(int newMode) { mode = newMode; }
EXPORT const int* standInLastAttributes(void) { return lastAttributes; }
EXPORT int standInLiveObjects(void) { return liveBuffers + liveSources; }

EXPORT void* alcOpenDevice(const char* name) {
  (void)name;
  return &device;
}
EXPORT char alcCloseDevice(void* d) {
  (void)d;
  return 1;
}
EXPORT void* alcCreateContext(void* d, const int* attributes) {
  (void)d;
  int i = 0;
  memset(lastAttributes, 0, sizeof(lastAttributes));
  while (attributes != NULL && attributes[i] != 0 && i < 14) {
    lastAttributes[i] = attributes[i];
    lastAttributes[i + 1] = attributes[i + 1];
    i += 2;
  }
  return &context;
}
EXPORT void alcDestroyContext(void* c) { (void)c; }
EXPORT char alcMakeContextCurrent(void* c) { return (c != NULL && mode == MODE_LOSE_CONTEXT) ? 0 : 1; }
EXPORT const char* alcGetString(void* d, int what) {
  (void)d;
  return what == 0x1005 ? "Stand-in Device" : "";
}
EXPORT void alcGetIntegerv(void* d, int what, int size, int* values) {
  (void)d;
  if (size < 1 || values == NULL) return;
  if (what == 0x1994) values[0] = 2;           /* ALC_NUM_HRTF_SPECIFIERS_SOFT */
  if (what == 0x1993) values[0] = lastAttributes[1] ? 1 : 0; /* ALC_HRTF_STATUS_SOFT */
}
EXPORT char alcIsExtensionPresent(void* d, const char* name) {
  (void)d;
  return mode != MODE_NO_HRTF_EXTENSION && strcmp(name, "ALC_SOFT_HRTF") == 0;
}
#ifndef STANDIN_WITHOUT_GETSTRINGI
EXPORT const char* alcGetStringiSOFT(void* d, int what, int index) {
  (void)d;
  static const char* names[] = {"  Alpha HRTF \t", "Beta"};
  return (what == 0x1995 && index >= 0 && index < 2) ? names[index] : NULL;
}
#endif
EXPORT int alGetError(void) { return 0; }
EXPORT void alGenBuffers(int n, unsigned* ids) {
  for (int i = 0; i < n; ++i) ids[i] = nextId++;
  liveBuffers += n;
}
EXPORT void alDeleteBuffers(int n, const unsigned* ids) {
  (void)ids;
  liveBuffers -= n;
}
EXPORT void alBufferData(unsigned buffer, int format, const void* data, int size, int rate) {
  (void)buffer; (void)format; (void)data; (void)size; (void)rate;
}
EXPORT void alGenSources(int n, unsigned* ids) {
  for (int i = 0; i < n; ++i) ids[i] = nextId++;
  liveSources += n;
}
EXPORT void alDeleteSources(int n, const unsigned* ids) {
  (void)ids;
  liveSources -= n;
}
EXPORT void alSourcei(unsigned s, int what, int value) { (void)s; (void)what; (void)value; }
EXPORT void alSourcef(unsigned s, int what, float value) { (void)s; (void)what; (void)value; }
EXPORT void alSource3f(unsigned s, int what, float x, float y, float z) { (void)s; (void)what; (void)x; (void)y; (void)z; }
#ifndef STANDIN_WITHOUT_SOURCE_PLAY
EXPORT void alSourcePlay(unsigned s) { (void)s; }
#endif
/* Every source reports AL_PLAYING, so sources are only released at shutdown. */
EXPORT void alGetSourcei(unsigned s, int what, int* value) {
  (void)s;
  if (what == 0x1010 && value != NULL) *value = 0x1012;
}
EXPORT void alListener3f(int what, float x, float y, float z) { (void)what; (void)x; (void)y; (void)z; }
EXPORT void alListenerfv(int what, const float* values) { (void)what; (void)values; }
