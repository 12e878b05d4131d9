#include "gadget/display/png_image.h"

#include <png.h>

#include <cstring>

namespace tv {

std::optional<RgbaImage> DecodePng(std::span<const std::uint8_t> data) {
  if (data.empty()) return std::nullopt;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  // Pictures are small; refuse absurd sizes from corrupted headers.
  constexpr png_uint_32 kMaxSide = 4096;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return std::nullopt;
  }
  RgbaImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

}  // namespace tv
