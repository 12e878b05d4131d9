#include "gadget/app/pictures.h"

#include <QImage>
#include <map>

#include "gadget/display/image_store.h"

namespace tv {

const QPixmap& PixmapFor(ImageHandle image) {
  static std::map<ImageHandle, QPixmap> made;
  static const QPixmap none;
  if (image == kNoImage) return none;
  if (auto it = made.find(image); it != made.end()) return it->second;
  QPixmap pixmap;
  if (const auto rgba = FindImage(image); rgba && rgba->width > 0 && rgba->height > 0) {
    const QImage view(rgba->pixels.data(), rgba->width, rgba->height, rgba->width * 4,
                      QImage::Format_RGBA8888);
    pixmap = QPixmap::fromImage(view.copy());
  }
  return made.emplace(image, std::move(pixmap)).first->second;
}

}  // namespace tv
