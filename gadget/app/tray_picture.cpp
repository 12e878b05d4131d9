#include "gadget/app/tray_picture.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <algorithm>

namespace tv {

QIcon TemperatureIcon(const QString& text, PanelScheme scheme) {
  const bool dark = scheme == PanelScheme::kDark;
  const QColor fill = dark ? QColor(255, 255, 255) : QColor(20, 20, 20);
  const QColor edge = dark ? QColor(0, 0, 0, 170) : QColor(255, 255, 255, 170);
  QIcon icon;
  for (int size : {16, 20, 22, 24, 32, 44, 48, 64}) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QFont font("DejaVu Sans Condensed");
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    // The largest whole pixel size whose text fits, one pixel of edge aside.
    const int room = size - 2;
    int pixels = size;
    for (; pixels > 6; --pixels) {
      font.setPixelSize(pixels);
      const QFontMetrics m(font);
      if (m.horizontalAdvance(text) <= room && m.capHeight() <= room * 0.8) break;
    }
    font.setPixelSize(pixels);
    QPainter painter(&picture);
    painter.setFont(font);
    const QFontMetrics m(font);
    // Centred on whole pixels: the digits' cap height, not the line's.
    const int x = (size - m.horizontalAdvance(text)) / 2;
    const int y = (size + m.capHeight()) / 2;
    painter.setPen(edge);
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        if (dx != 0 || dy != 0) painter.drawText(x + dx, y + dy, text);
      }
    }
    painter.setPen(fill);
    painter.drawText(x, y, text);
    painter.end();
    icon.addPixmap(picture);
  }
  return icon;
}

QIcon AttentionIcon(const QIcon& icon) {
  QIcon out;
  for (int size : {16, 22, 24, 32, 44, 48, 64}) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    icon.paint(&painter, picture.rect());
    const qreal d = size * 0.55;
    const QRectF disc(size - d, size - d, d, d);
    painter.setPen(QPen(QColor(255, 255, 255), std::max(1.0, size / 24.0)));
    painter.setBrush(QColor(210, 30, 30));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    // The mark: a bar and a dot, drawn rather than written, so that it
    // stays legible at 16 pixels whatever the fonts.
    const qreal w = std::max(1.5, d * 0.16);
    const QPointF c = disc.center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(QRectF(c.x() - w / 2, disc.top() + d * 0.2, w, d * 0.38));
    painter.drawRect(QRectF(c.x() - w / 2, disc.top() + d * 0.66, w, w));
    painter.end();
    out.addPixmap(picture);
  }
  return out;
}

}  // namespace tv
