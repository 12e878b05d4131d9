#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "gadget/display/tray_temperature.h"

namespace tv {

// The desktop's colour scheme: the portal's "color-scheme" setting
// (org.freedesktop.portal.Settings, namespace org.freedesktop.appearance)
// read at start and followed as it changes; without a portal, the palette.
// GUI thread only.
class ColorSchemeWatch final : public QObject {
  Q_OBJECT

 public:
  ColorSchemeWatch(std::function<void(PanelScheme)> changed,
                   QDBusConnection bus = QDBusConnection::sessionBus());

  PanelScheme Scheme() const;

 private slots:
  void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  void Take(const QVariant& value);

  std::function<void(PanelScheme)> changed_;
  QDBusConnection bus_;
  std::optional<std::uint32_t> portal_;
};

}  // namespace tv
