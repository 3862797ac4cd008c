#pragma once
// Reads an X window dump ("xwd -root") of a true-colour screen and writes a region of
// it as a 24-bit BMP that anyone can open.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tavrune::Test {

class XwdImage {
 public:
  static std::optional<XwdImage> load(const std::string& path, std::string* error);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // 0xRRGGBB; 0 outside the image.
  uint32_t rgbAt(int32_t x, int32_t y) const;
  bool saveBmp(const std::string& path, int32_t left, int32_t top, int32_t width, int32_t height) const;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;  // 0xRRGGBB, row by row
};

}  // namespace Tavrune::Test
