#include "gadget/app/platform.h"

#include <QGuiApplication>

namespace tv {

bool OnWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QString CheckedActivationToken(const QByteArray& token) {
  constexpr qsizetype kMaxLength = 1024;
  if (token.isEmpty() || token.size() > kMaxLength) return {};
  for (char c : token) {
    if (c <= ' ' || c > '~') return {};
  }
  return QString::fromLatin1(token);
}

}  // namespace tv
