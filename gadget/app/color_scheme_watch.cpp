#include "gadget/app/color_scheme_watch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPalette>

namespace tv {
namespace {

constexpr char kPortal[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSettings[] = "org.freedesktop.portal.Settings";
constexpr char kGroup[] = "org.freedesktop.appearance";
constexpr char kKey[] = "color-scheme";

// Read wraps the value in one variant more than the signal does.
QVariant Unwrapped(QVariant value) {
  while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  return value;
}

}  // namespace

ColorSchemeWatch::ColorSchemeWatch(std::function<void(PanelScheme)> changed, QDBusConnection bus)
    : changed_(std::move(changed)), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kPortal, kPortalPath, kSettings, "SettingChanged", this,
               SLOT(SettingChanged(QString, QString, QDBusVariant)));
  const QDBusMessage read = QDBusMessage::createMethodCall(kPortal, kPortalPath, kSettings, "Read")
                            << QString(kGroup) << QString(kKey);
  auto* watch = new QDBusPendingCallWatcher(bus_.asyncCall(read, 5000), this);
  connect(watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<QDBusVariant> reply = *w;
    if (!reply.isError()) Take(reply.value().variant());
    w->deleteLater();
  });
}

PanelScheme ColorSchemeWatch::Scheme() const {
  const bool palette_dark = QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
  return PanelSchemeOf(portal_, palette_dark);
}

void ColorSchemeWatch::SettingChanged(const QString& group, const QString& key,
                                      const QDBusVariant& value) {
  if (group == kGroup && key == kKey) Take(value.variant());
}

void ColorSchemeWatch::Take(const QVariant& value) {
  bool ok = false;
  const uint scheme = Unwrapped(value).toUInt(&ok);
  if (!ok) return;
  const PanelScheme before = Scheme();
  portal_ = scheme;
  if (Scheme() != before && changed_) changed_(Scheme());
}

}  // namespace tv
