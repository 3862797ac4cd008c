#pragma once
// The arithmetic of the settings dialog's number controls and of the texts typed into
// its boxes: limits, snapping to the step, the slider's percentage, and number parsing
// that never throws (a dialog procedure must not let an exception out).
#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// A number control's integer limits and step as the dialog uses them: limits truncated
// (0 and 100 when missing), the step truncated and at least 1 (1 for decimals).
struct NumberLimits {
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t step = 1;
};
NumberLimits numberLimitsOf(const ControlSpec& control);

// The value rounded to the nearest step counted from the minimum (halves round up),
// then limited to the maximum and the minimum, in that order.
int32_t snapToStep(int64_t value, const NumberLimits& limits);

// Where a value stands in the range, 0 to 100; 0 for an empty range.
int32_t percentOfRange(int64_t position, int32_t minimum, int32_t maximum);

// Decimal digits of the larger magnitude of the two limits.
int32_t digitCountOf(int32_t minimum, int32_t maximum);

// Leading white space and one '+' are skipped and anything after the number is ignored,
// so "12abc" reads 12; no digits, or a value outside the type, gives nothing.
std::optional<int64_t> parseLeadingInteger(std::string_view text);
std::optional<int32_t> parseLeadingInt32(std::string_view text);
std::optional<double> parseLeadingDecimal(std::string_view text);

// Whether text typed into a number box is a finished number worth moving the slider
// to: only digits, and at least as many as the limits have.
bool isCompleteNumberEntry(std::string_view text, int32_t digitCount);

}  // namespace Tavrune::Settings
