#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>

#include "gadget/alerts/notice_router.h"
#include "gadget/app/edge_guard.h"
#include "gadget/app/qt_window.h"
#include "gadget/app/tray.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace tv {

// The desktop's notification service on the session bus.
inline constexpr char kNotificationsService[] = "org.freedesktop.Notifications";

// The balloons sent to the desktop's notification service
// (org.freedesktop.Notifications) directly: the program's name and icon, its
// desktop entry, urgency normal for information and critical for alerts, the
// previous notification of the same kind replaced. NoticeRouter decides what
// goes where; this class carries it over D-Bus. While the service is absent
// the balloons show in the popup of our own and wait for it; without a
// session bus at all they go to the tray as before. On Wayland, where no
// popup of our own is mapped, what the popup would show goes to the desktop
// portal's notifications (org.freedesktop.portal.Notification) instead, and
// when the portal does not take it, the tray icon asks for attention. The
// tooltip goes to the tray. GUI thread only.
class DesktopNotifier final : public QObject, public TrayPresenter {
  Q_OBJECT

 public:
  // `bus`: the session bus, or a bus of the tests' own.
  DesktopNotifier(Tray& tray, EdgeReport report,
                  QDBusConnection bus = QDBusConnection::sessionBus());
  ~DesktopNotifier() override;

  void SetTooltip(const QString& text) override;
  void ShowBalloon(const BalloonRequest& balloon) override;

  // True when the balloons go through the notification service (a session
  // bus is there).
  bool OnBus() const { return on_bus_; }
  bool ServicePresent() const { return router_.ServicePresent(); }

 private:
  void Apply(const NoticeActions& actions);
  void Send(const OutgoingNotice& notice);
  // Where the notification service is absent: the popup, or on Wayland the
  // portal, then the tray's request for attention.
  void Fallback(const BalloonRequest& balloon);
  void Answered(QDBusPendingCallWatcher* call, std::uint64_t ticket);
  void AskCapabilities();

  Tray& tray_;
  EdgeReport report_;
  QDBusConnection bus_;
  bool on_bus_ = false;
  bool trace_ = false;
  bool markup_ = false;  // the service reads the body as markup
  NoticeRouter router_;
  QDBusServiceWatcher* watcher_ = nullptr;
};

}  // namespace tv
