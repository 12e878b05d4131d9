#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "gadget/window/window.h"

namespace tv {

// One picture carried inside the program as PNG data, by its file name
// without extension ("thermometer-32").
struct CarriedPicture {
  std::string_view name;
  const unsigned char* data;
  std::size_t size;
};

// Every carried picture, sorted by name (generated when the program is built).
std::span<const CarriedPicture> CarriedPictures();

const CarriedPicture* FindCarriedPicture(std::string_view name);

// The carried picture decoded into the image store. Each picture is decoded
// once; later calls give the same handle. kNoImage when there is no picture of
// that name or it does not decode.
ImageHandle CarriedPictureImage(std::string_view name);

}  // namespace tv
