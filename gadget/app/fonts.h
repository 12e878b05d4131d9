#pragma once

#include <QFont>

#include "gadget/window/field_catalogue.h"

namespace tv {

// Maps the window's four faces to the free look-alikes installed with the
// program: Comic Sans MS → Comic Neue, Tahoma → DejaVu Sans Condensed,
// Verdana → DejaVu Sans, Arial Narrow → Liberation Sans Narrow. Call once,
// before any font is made.
void InstallFontSubstitutions();

// The font of a catalogued field: its face, its weight (700 bold, 400
// otherwise) and a pixel height of points × the screen's vertical dots per
// inch ÷ 72, rounded.
QFont FontFor(const FontSpec& spec);

}  // namespace tv
