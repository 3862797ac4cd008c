#include "boardinput/XwdImage.h"

#include <fstream>
#include <iterator>

namespace Tavrune::Test {

namespace {

// The dump's header is 25 big-endian 32-bit fields, then the window name.
enum HeaderField {
  HeaderSize = 0, FileVersion = 1, PixmapFormat = 2, Depth = 3, Width = 4, Height = 5,
  ByteOrder = 7, BitsPerPixel = 11, BytesPerLine = 12, RedMask = 14, GreenMask = 15, BlueMask = 16,
  ColormapEntries = 18, ColourCount = 19, FieldCount = 25,
};
constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kColourEntrySize = 12;

uint32_t bigEndian(const std::vector<unsigned char>& data, size_t at) {
  return (uint32_t{data[at]} << 24) | (uint32_t{data[at + 1]} << 16) | (uint32_t{data[at + 2]} << 8) | data[at + 3];
}

// Scales a masked channel to 0..255.
uint32_t channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  const uint32_t max = mask >> shift;
  return ((pixel & mask) >> shift) * 255u / max;
}

void putLittle(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::optional<XwdImage> XwdImage::load(const std::string& path, std::string* error) {
  auto fail = [error](const std::string& why) -> std::optional<XwdImage> {
    if (error) *error = why;
    return std::nullopt;
  };
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot open " + path);
  const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() < FieldCount * 4) return fail("too short for a header");
  auto field = [&data](HeaderField f) { return bigEndian(data, static_cast<size_t>(f) * 4); };
  if (field(FileVersion) != 7 || field(PixmapFormat) != kZPixmap) return fail("not a version-7 ZPixmap dump");
  const uint32_t bpp = field(BitsPerPixel);
  if (bpp != 24 && bpp != 32) return fail("unsupported bits per pixel " + std::to_string(bpp));

  XwdImage image;
  image.width_ = static_cast<int32_t>(field(Width));
  image.height_ = static_cast<int32_t>(field(Height));
  const uint64_t stride = field(BytesPerLine);
  const uint64_t start = uint64_t{field(HeaderSize)} + uint64_t{field(ColourCount)} * kColourEntrySize;
  if (start + stride * static_cast<uint64_t>(image.height_) > data.size()) return fail("pixel data cut short");
  const bool mostSignificantFirst = field(ByteOrder) == 1;
  const uint32_t red = field(RedMask), green = field(GreenMask), blue = field(BlueMask);
  const uint32_t bytesPerPixel = bpp / 8;

  image.pixels_.resize(static_cast<size_t>(image.width_) * static_cast<size_t>(image.height_));
  for (int32_t y = 0; y < image.height_; ++y) {
    for (int32_t x = 0; x < image.width_; ++x) {
      const size_t at = start + stride * static_cast<uint64_t>(y) + uint64_t{bytesPerPixel} * static_cast<uint64_t>(x);
      uint32_t pixel = 0;
      for (uint32_t b = 0; b < bytesPerPixel; ++b) {
        const uint32_t byte = data[at + b];
        pixel |= mostSignificantFirst ? byte << (8 * (bytesPerPixel - 1 - b)) : byte << (8 * b);
      }
      image.pixels_[static_cast<size_t>(y) * static_cast<size_t>(image.width_) + static_cast<size_t>(x)] =
          (channel(pixel, red) << 16) | (channel(pixel, green) << 8) | channel(pixel, blue);
    }
  }
  return image;
}

uint32_t XwdImage::rgbAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

bool XwdImage::saveBmp(const std::string& path, int32_t left, int32_t top, int32_t width, int32_t height) const {
  std::ofstream out(path, std::ios::binary);
  if (!out || width <= 0 || height <= 0) return false;
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  out.write("BM", 2);
  putLittle(out, 54 + imageBytes, 4);
  putLittle(out, 0, 4);
  putLittle(out, 54, 4);
  putLittle(out, 40, 4);
  putLittle(out, static_cast<uint32_t>(width), 4);
  putLittle(out, static_cast<uint32_t>(height), 4);  // bottom-up rows
  putLittle(out, 1, 2);
  putLittle(out, 24, 2);
  for (int i = 0; i < 6; ++i) putLittle(out, 0, 4);
  for (int32_t y = height - 1; y >= 0; --y) {
    uint32_t written = 0;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t rgb = rgbAt(left + x, top + y);
      out.put(static_cast<char>(rgb & 0xFF));
      out.put(static_cast<char>((rgb >> 8) & 0xFF));
      out.put(static_cast<char>((rgb >> 16) & 0xFF));
      written += 3;
    }
    for (; written < rowBytes; ++written) out.put(0);
  }
  return static_cast<bool>(out);
}

}  // namespace Tavrune::Test
