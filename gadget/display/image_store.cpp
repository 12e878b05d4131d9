#include "gadget/display/image_store.h"

#include <mutex>
#include <vector>

namespace tv {
namespace {

struct Store {
  std::mutex mutex;
  std::vector<std::shared_ptr<const RgbaImage>> images;  // handle i + 1
};

Store& TheStore() {
  static Store store;
  return store;
}

}  // namespace

ImageHandle StoreImage(RgbaImage image) {
  auto shared = std::make_shared<const RgbaImage>(std::move(image));
  Store& s = TheStore();
  std::lock_guard lock(s.mutex);
  s.images.push_back(std::move(shared));
  return static_cast<ImageHandle>(s.images.size());
}

std::shared_ptr<const RgbaImage> FindImage(ImageHandle handle) {
  Store& s = TheStore();
  std::lock_guard lock(s.mutex);
  if (handle <= 0 || static_cast<std::size_t>(handle) > s.images.size()) return nullptr;
  return s.images[static_cast<std::size_t>(handle - 1)];
}

}  // namespace tv
