/* The one translation unit that compiles miniaudio's implementation. Its decoders
   cover WAV, FLAC and MP3; Ogg Vorbis files fail to load and are skipped. */
#define MINIAUDIO_IMPLEMENTATION
#include "miniaudio.h"
