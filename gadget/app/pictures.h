#pragma once

#include <QPixmap>

#include "gadget/window/window.h"

namespace tv {

// The decoded picture behind a handle as a pixmap, made once per handle and
// kept for the life of the program; a null pixmap for kNoImage or an unknown
// handle. GUI thread only.
const QPixmap& PixmapFor(ImageHandle image);

}  // namespace tv
