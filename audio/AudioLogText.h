#pragma once
// How the audio manager writes numbers, points and switches into its log lines, the same
// in every part of it.
#include <cstdio>
#include <string>

#include "audio/Vec3.h"

namespace Tavrune::AudioLogText {

inline std::string formatFloat(float value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%f", static_cast<double>(value));
  return text;
}

inline std::string formatPoint(const Vec3& p) {
  return formatFloat(p.x) + "," + formatFloat(p.y) + "," + formatFloat(p.z);
}

inline const char* bit(bool value) { return value ? "1" : "0"; }

}  // namespace Tavrune::AudioLogText
