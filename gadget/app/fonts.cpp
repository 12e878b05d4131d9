#include "gadget/app/fonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>

namespace tv {

void InstallFontSubstitutions() {
  QFont::insertSubstitution("Comic Sans MS", "Comic Neue");
  // Tahoma is a narrow face: the condensed cut keeps the labels within
  // their fields.
  QFont::insertSubstitution("Tahoma", "DejaVu Sans Condensed");
  QFont::insertSubstitution("Verdana", "DejaVu Sans");
  QFont::insertSubstitution("Arial Narrow", "Liberation Sans Narrow");
}

QFont FontFor(const FontSpec& spec) {
  QFont font;
  if (spec.face == FontFace::kNone) return font;
  const std::string_view face = FontFaceName(spec.face);
  font.setFamily(QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size())));
  double dpi = 96.0;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = screen->logicalDotsPerInchY();
  font.setPixelSize(qMax(1, qRound(spec.points * dpi / 72.0)));
  font.setWeight(spec.bold ? QFont::Bold : QFont::Normal);
  font.setStyleStrategy(QFont::PreferQuality);
  return font;
}

}  // namespace tv
