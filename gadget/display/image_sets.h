#pragma once

#include <span>
#include <string_view>

#include "gadget/window/window.h"

namespace tv {

// One named picture: the name it is registered under in NamedHandles (kind 0),
// the carried picture it decodes and that picture's side in pixels.
struct NamedPicture {
  std::string_view name;
  std::string_view picture;
  int size;
};

std::span<const NamedPicture> GeneralImageSet();
std::span<const NamedPicture> ForecastImageSet();
std::span<const NamedPicture> TrendImageSet();

// Decode every picture of the set and register it under its name; a picture
// that does not decode is registered as no image. Start-up calls them once, in
// this order, before the window is built.
void RegisterGeneralSet();
void RegisterForecastSet();
void RegisterTrendSet();

// The wind-rose background is loaded by the general set under a number, not
// a name.
inline constexpr int kWindRoseImageNumber = 5210;
inline constexpr std::string_view kWindRosePicture = "compass-rose-200";

// The picture loaded under a number; kNoImage when none.
ImageHandle NumberedImage(int number);

}  // namespace tv
