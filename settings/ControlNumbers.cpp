#include "settings/ControlNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Tavrune::Settings {

namespace {

int32_t truncatedLimit(const std::optional<double>& limit, int32_t fallback) {
  if (!limit || std::isnan(*limit)) return fallback;
  const double clamped = std::clamp(*limit, double(std::numeric_limits<int32_t>::min()),
                                    double(std::numeric_limits<int32_t>::max()));
  return static_cast<int32_t>(clamped);
}

std::string_view skipLeadingSpaceAndPlus(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || (text[start] >= '\t' && text[start] <= '\r'))) ++start;
  text.remove_prefix(start);
  // A '+' followed by a '-' is no number, as the C library reads it.
  if (!text.empty() && text[0] == '+' && (text.size() == 1 || text[1] != '-')) text.remove_prefix(1);
  return text;
}

}  // namespace

NumberLimits numberLimitsOf(const ControlSpec& control) {
  NumberLimits limits;
  limits.minimum = truncatedLimit(control.minValue, 0);
  limits.maximum = truncatedLimit(control.maxValue, 100);
  if (control.valueKind == ValueKind::Integer && control.step) {
    limits.step = std::max(1, truncatedLimit(control.step, 1));
  }
  return limits;
}

int32_t snapToStep(int64_t value, const NumberLimits& limits) {
  const int64_t step = std::max<int32_t>(1, limits.step);
  // Beyond one step outside the limits the answer is already the nearer limit; pulling the
  // value in first keeps the arithmetic inside 64 bits for any value.
  value = std::clamp<int64_t>(value, int64_t(limits.minimum) - step, int64_t(limits.maximum) + step);
  int64_t t = value - limits.minimum + step / 2;
  t -= t % step;
  int64_t snapped = t + limits.minimum;
  snapped = std::min<int64_t>(snapped, limits.maximum);
  snapped = std::max<int64_t>(snapped, limits.minimum);
  return static_cast<int32_t>(snapped);
}

int32_t percentOfRange(int64_t position, int32_t minimum, int32_t maximum) {
  if (maximum <= minimum) return 0;
  const double percent = double(position - minimum) * 100.0 / double(int64_t(maximum) - minimum);
  return static_cast<int32_t>(std::clamp(std::trunc(percent), 0.0, 100.0));
}

int32_t digitCountOf(int32_t minimum, int32_t maximum) {
  uint64_t largest = std::max(std::llabs(int64_t(minimum)), std::llabs(int64_t(maximum)));
  int32_t digits = 1;
  while (largest >= 10) largest /= 10, ++digits;
  return digits;
}

std::optional<int64_t> parseLeadingInteger(std::string_view text) {
  text = skipLeadingSpaceAndPlus(text);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::optional<int32_t> parseLeadingInt32(std::string_view text) {
  const std::optional<int64_t> value = parseLeadingInteger(text);
  if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(*value);
}

std::optional<double> parseLeadingDecimal(std::string_view text) {
  text = skipLeadingSpaceAndPlus(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  return value;
}

bool isCompleteNumberEntry(std::string_view text, int32_t digitCount) {
  if (text.empty() || int32_t(text.size()) < digitCount) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace Tavrune::Settings
