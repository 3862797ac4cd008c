#pragma once
// The numbers of the 3D audio test window and what its keys do to them. The sound's
// place is kept in whole centimetres and the board mapping in hundredths, so repeated
// steps land exactly on the values shown and copied (floats drift: 0.099999994).
#include <cstdint>
#include <string>

namespace Tavrune {

struct AudioTestGeometry {
  int32_t xCm = 0;    // left (-) / right (+)
  int32_t yCm = -30;  // down (-) / up (+)
  int32_t zCm = 0;    // back (-) / front (+)
  int32_t scaleXHundredths = 15;          // metres per board file
  int32_t scaleYHundredths = 15;          // metres per board row
  int32_t listenerHeightHundredths = 30;  // metres

  // Takes the audio manager's mapping, to the nearest hundredth.
  void takeMapping(float scaleX, float scaleY, float listenerHeight);
  float x() const { return static_cast<float>(xCm) / 100.0f; }
  float y() const { return static_cast<float>(yCm) / 100.0f; }
  float z() const { return static_cast<float>(zCm) / 100.0f; }
};

enum class AudioTestKeyResult {
  None,     // not a key of the window, or a modifier mix that does nothing
  Changed,  // the place or the mapping changed: move the sound, refresh the labels
  Copy,
  Close,
};

// The number an arrow key with these modifiers steps: None for other keys and for the
// mixes that do nothing.
enum class AudioTestField { None, X, Y, Z, ScaleX, ScaleY, Height };

// `stepped`, when given, is set to the field the key changed (None when it changed none).
AudioTestKeyResult applyAudioTestKey(AudioTestGeometry& geometry, uint32_t virtualKey, bool ctrl, bool shift,
                                     AudioTestField* stepped = nullptr);
AudioTestField audioTestFieldOfKey(uint32_t virtualKey, bool ctrl, bool shift);
// The field's label as shown: "X: 40cm", "ScaleX: 0.250000m"; empty for None.
std::wstring audioTestFieldLabel(const AudioTestGeometry& geometry, AudioTestField field);

// "X: 40cm"
std::wstring audioTestPositionLabel(wchar_t axis, int32_t centimetres);
// "ScaleX: 0.150000m"
std::wstring audioTestMappingLabel(const wchar_t* name, int32_t hundredths);
// The clipboard text: boardScaleX=, boardScaleY= and listenerHeight= lines.
std::wstring audioTestParametersText(const AudioTestGeometry& geometry);
// The parameters, an empty line and the sound's place in metres.
std::wstring audioTestSummaryText(const AudioTestGeometry& geometry);

}  // namespace Tavrune
