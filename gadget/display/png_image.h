#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tv {

// A decoded picture: 8-bit red, green, blue and alpha per pixel, rows top to
// bottom, no padding.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Decodes PNG data of any colour type into RGBA; nothing when the data is not
// a valid PNG.
std::optional<RgbaImage> DecodePng(std::span<const std::uint8_t> data);

}  // namespace tv
