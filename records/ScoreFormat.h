#pragma once
// The record file formats the program knows by name; only PGN and XQF have a reader.
#include <cstdint>

namespace Tavrune {

enum class ScoreFormat : int32_t {
  UNKNOWN = 0,
  PGN = 1,
  XQF = 2,
  MXQ = 3,
  CHE = 4,
  CBF = 5,
  CCM = 6,
  CHN = 7,
  JSON = 8,
  UCCI = 9,
};

// The name printed in log lines; "INVALID" for a value outside the table.
const char* scoreFormatName(ScoreFormat format);

}  // namespace Tavrune
