#include "gadget/display/carried_pictures.h"

#include <map>
#include <mutex>
#include <string>

#include "gadget/display/image_store.h"
#include "gadget/display/png_image.h"

namespace tv {

const CarriedPicture* FindCarriedPicture(std::string_view name) {
  for (const CarriedPicture& p : CarriedPictures()) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

ImageHandle CarriedPictureImage(std::string_view name) {
  static std::mutex mutex;
  static std::map<std::string, ImageHandle, std::less<>> decoded;
  std::lock_guard lock(mutex);
  if (auto it = decoded.find(name); it != decoded.end()) return it->second;
  ImageHandle handle = kNoImage;
  if (const CarriedPicture* p = FindCarriedPicture(name)) {
    // Decoded when first shown: most pictures (forecasts, trends) show
    // only for some weather.
    handle = StoreImageLater([p] { return DecodePng({p->data, p->size}); });
  }
  decoded.emplace(std::string(name), handle);
  return handle;
}

}  // namespace tv
