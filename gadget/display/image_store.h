#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "gadget/display/png_image.h"
#include "gadget/window/window.h"

namespace tv {

// Process-wide store of decoded pictures. A handle, once given, stays valid
// until the process ends; the window turns handles back into pixels. Safe to
// call from any thread.
ImageHandle StoreImage(RgbaImage image);
// A picture decoded by `decode` when it is first looked for, not now: the
// pictures never shown cost no memory. Nothing decoded: FindImage gives null.
ImageHandle StoreImageLater(std::function<std::optional<RgbaImage>()> decode);

// The picture behind a handle; null for kNoImage or an unknown handle.
std::shared_ptr<const RgbaImage> FindImage(ImageHandle handle);

}  // namespace tv
