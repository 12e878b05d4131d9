#include "gadget/display/image_store.h"

#include <mutex>
#include <utility>
#include <vector>

namespace tv {
namespace {

struct Entry {
  std::function<std::optional<RgbaImage>()> decode;  // empty once decoded
  std::shared_ptr<const RgbaImage> image;
};

struct Store {
  std::mutex mutex;
  std::vector<Entry> images;  // handle i + 1
};

Store& TheStore() {
  static Store store;
  return store;
}

ImageHandle Add(Entry entry) {
  Store& s = TheStore();
  std::lock_guard lock(s.mutex);
  s.images.push_back(std::move(entry));
  return static_cast<ImageHandle>(s.images.size());
}

}  // namespace

ImageHandle StoreImage(RgbaImage image) {
  return Add({{}, std::make_shared<const RgbaImage>(std::move(image))});
}

ImageHandle StoreImageLater(std::function<std::optional<RgbaImage>()> decode) {
  return Add({std::move(decode), nullptr});
}

std::shared_ptr<const RgbaImage> FindImage(ImageHandle handle) {
  Store& s = TheStore();
  std::lock_guard lock(s.mutex);
  if (handle <= 0 || static_cast<std::size_t>(handle) > s.images.size()) return nullptr;
  Entry& e = s.images[static_cast<std::size_t>(handle - 1)];
  if (e.decode) {
    // Decoded under the lock: a picture is decoded once, whoever asks first.
    const auto decode = std::exchange(e.decode, {});
    if (auto image = decode()) e.image = std::make_shared<const RgbaImage>(std::move(*image));
  }
  return e.image;
}

}  // namespace tv
