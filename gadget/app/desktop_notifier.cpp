#include "gadget/app/desktop_notifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gadget/app/platform.h"

namespace tv {
namespace {

constexpr char kNotificationsPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// The desktop portal and its notifications.
constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kNotificationPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kPortalNotification[] = "org.freedesktop.portal.Notification";
// The program's name, icon and desktop entry as the package installs them.
constexpr char kAppName[] = "Teskaro Ventaro";
constexpr char kAppIcon[] = "teskaro-ventaro";
constexpr char kDesktopEntry[] = "teskaro-ventaro";
// A service that does not answer within this is taken as having maybe shown it.
constexpr int kCallTimeoutMs = 5000;

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Whether a failed call never reached a service (it had gone, or the bus).
NoticeFailure FailureOf(const QDBusError& error) {
  switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
      return NoticeFailure::kNotDelivered;
    default:
      break;
  }
  return error.name() == "org.freedesktop.DBus.Error.NameHasNoOwner"
             ? NoticeFailure::kNotDelivered
             : NoticeFailure::kMaybeDelivered;
}

}  // namespace

DesktopNotifier::DesktopNotifier(Tray& tray, EdgeReport report, QDBusConnection bus)
    : tray_(tray), report_(std::move(report)), bus_(std::move(bus)) {
  const char* trace = std::getenv("TV_BALLOON_TRACE");
  trace_ = trace != nullptr && std::strcmp(trace, "1") == 0;
  on_bus_ = bus_.isConnected() && bus_.interface() != nullptr;
  if (!on_bus_) return;
  watcher_ = new QDBusServiceWatcher(
      kNotificationsService, bus_,
      QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
      this);
  connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    RunGuarded(report_, "service de notification", [this] {
      AskCapabilities();
      Apply(router_.ServiceAppeared());
    });
  });
  connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    RunGuarded(report_, "service de notification", [this] { Apply(router_.ServiceVanished()); });
  });
  // A service started on demand by the bus (activatable) counts as there: the
  // first call starts it.
  QDBusConnectionInterface* names = bus_.interface();
  const bool running = names->isServiceRegistered(kNotificationsService).value();
  const bool activatable =
      !running && names->activatableServiceNames().value().contains(kNotificationsService);
  if (running || activatable) {
    if (running) AskCapabilities();
    Apply(router_.ServiceAppeared());
  }
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::SetTooltip(const QString& text) {
  tray_.SetTooltip(text);
}

void DesktopNotifier::ShowBalloon(const BalloonRequest& balloon) {
  if (!on_bus_) {
    tray_.ShowBalloon(balloon);
    return;
  }
  Apply(router_.Post(balloon));
}

void DesktopNotifier::Apply(const NoticeActions& actions) {
  // The service is gone: the popup of our own (on Wayland the portal), since
  // the tray's own balloons may go through that same service.
  for (const BalloonRequest& b : actions.fallback) Fallback(b);
  for (const OutgoingNotice& n : actions.send) Send(n);
}

void DesktopNotifier::Fallback(const BalloonRequest& balloon) {
  if (!OnWayland()) {
    tray_.ShowPopupBalloon(balloon);
    return;
  }
  // One notification per kind, replaced by the next of its kind (the portal
  // replaces a notification given the same id).
  const NoticeKind kind = NoticeKindOf(balloon);
  const bool alert = kind == NoticeKind::kAlert;
  QVariantMap notification;
  notification.insert("title", Text(balloon.title));
  notification.insert("body", Text(balloon.text));
  notification.insert("priority", QString(alert ? "urgent" : "normal"));
  QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kNotificationPortalPath,
                                                     kPortalNotification, "AddNotification");
  call << QString(alert ? "alert" : "information") << notification;
  if (trace_) {
    std::fprintf(stderr, "balloon portal: %s | %s\n", balloon.title.c_str(), balloon.text.c_str());
  }
  auto* watch = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(
      watch, &QDBusPendingCallWatcher::finished, this, [this, balloon](QDBusPendingCallWatcher* w) {
        RunGuarded(report_, "portail de notification", [&] {
          const QDBusPendingReply<> reply = *w;
          if (!reply.isError()) return;
          if (trace_) {
            std::fprintf(stderr, "balloon portal failed: %s\n", qPrintable(reply.error().name()));
          }
          tray_.ShowPopupBalloon(balloon);
        });
        w->deleteLater();
      });
}

void DesktopNotifier::Send(const OutgoingNotice& notice) {
  QDBusMessage call = QDBusMessage::createMethodCall(kNotificationsService, kNotificationsPath,
                                                     kInterface, "Notify");
  QVariantMap hints;
  hints.insert("desktop-entry", QString(kDesktopEntry));
  hints.insert("urgency", QVariant::fromValue(static_cast<uchar>(NoticeUrgency(notice.kind))));
  QString body = Text(notice.balloon.text);
  if (markup_) body = body.toHtmlEscaped();
  call << QString(kAppName) << static_cast<uint>(notice.replaces_id) << QString(kAppIcon)
       << Text(notice.balloon.title) << body << QStringList() << hints
       << static_cast<int>(std::max(1000, notice.balloon.Milliseconds()));
  if (trace_) {
    std::fprintf(stderr, "balloon dbus: %s | %s (replaces %u, urgency %d)\n",
                 notice.balloon.title.c_str(), notice.balloon.text.c_str(), notice.replaces_id,
                 NoticeUrgency(notice.kind));
  }
  auto* watch = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  const std::uint64_t ticket = notice.ticket;
  connect(watch, &QDBusPendingCallWatcher::finished, this,
          [this, ticket](QDBusPendingCallWatcher* w) {
            RunGuarded(report_, "service de notification", [&] { Answered(w, ticket); });
            w->deleteLater();
          });
}

void DesktopNotifier::Answered(QDBusPendingCallWatcher* call, std::uint64_t ticket) {
  const QDBusPendingReply<uint> reply = *call;
  if (reply.isError()) {
    if (trace_) {
      std::fprintf(stderr, "balloon dbus failed: %s\n", qPrintable(reply.error().name()));
    }
    Apply(router_.Failed(ticket, FailureOf(reply.error())));
    return;
  }
  Apply(router_.Delivered(ticket, reply.value()));
}

void DesktopNotifier::AskCapabilities() {
  const QDBusMessage call = QDBusMessage::createMethodCall(
      kNotificationsService, kNotificationsPath, kInterface, "GetCapabilities");
  auto* watch = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<QStringList> reply = *w;
    if (!reply.isError()) markup_ = reply.value().contains("body-markup");
    w->deleteLater();
  });
}

}  // namespace tv
