#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "gadget/app/edge_guard.h"
#include "gadget/app/qt_window.h"
#include "gadget/app/status_notifier_item.h"
#include "lib/common/balloon.h"

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace tv {

// The notification-area icon with its popup menu, tooltip and balloons.
// Where the desktop has no notification area, the program still runs: the
// balloons show in a small frameless popup of our own near the top right
// corner of the screen, for their display time. Whether a notification area
// exists is asked again at each balloon and, while there is none, every few
// seconds: a panel started after the program (at login) gets the icon, and
// the balloons go to it from then on.
//
// On a session bus with a StatusNotifierWatcher (KDE Plasma, GNOME with the
// AppIndicator extension, XFCE, Wayland desktops) the icon is a
// StatusNotifierItem of our own instead, made when a watcher first appears
// and registered again with each new one (a panel started late, or
// restarted).
//
// On Wayland no popup of our own is ever mapped (a client cannot place it:
// it would be a toplevel wherever the compositor puts it, as large as it
// likes): the balloon the popup would show asks for attention instead, the
// item's status NeedsAttention until the window is shown or activated. The
// message itself stays where it came from (the activity log, the alert
// list). GUI thread only.
class Tray final : public QObject, public TrayPresenter {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void()> open;         // left click, menu entry 1
    std::function<void()> quit;         // menu entry 2
    std::function<void()> export_data;  // menu entry 3 (nothing yet when empty)
    std::function<void()> history;      // "Historique" (absent when empty)
    std::function<void()> set_clock;    // "Régler l'horloge de la console" (absent when empty)
    // An xdg-activation token handed over by the panel, for the activation
    // that follows.
    std::function<void(const QString&)> activation_token;
  };

  // `report` receives the log lines of the tray: a notification area that
  // appeared or went away, an exception caught in one of its actions.
  // TV_BALLOON_TRACE=1 in the environment writes where each balloon went
  // ("balloon tray: …", "balloon popup: …", "balloon attention: …") to
  // standard error, and the Qt platform once at start ("platform: …").
  // `bus`: where a StatusNotifierWatcher is looked for (the session bus).
  Tray(const QIcon& icon, Actions actions, EdgeReport report = {},
       QDBusConnection bus = QDBusConnection::sessionBus());
  ~Tray() override;

  // False when the desktop had no notification area when last asked.
  bool Available() const { return available_; }
  // How often the notification area is looked for while there is none.
  static constexpr int kWatchMs = 3000;
  QMenu* Menu() const { return menu_.get(); }
  // The popup shown for the last balloon where there is no notification
  // area; null when none is showing.
  QWidget* FallbackPopup() const;
  // The tooltip as the StatusNotifierItem shows it (whole, trimmed).
  QString Tooltip() const;
  // The StatusNotifierItem shown in a watcher's panel; null when none.
  StatusNotifierItem* Item() const { return sni_shown_ ? item_.get() : nullptr; }

  void SetTooltip(const QString& text) override;
  // The icon's picture (the program's, or the temperature's).
  void SetPicture(const QIcon& picture);
  void ShowBalloon(const BalloonRequest& balloon) override;
  // The popup of our own, whether or not there is a notification area (on
  // Wayland: the request for attention).
  void ShowPopupBalloon(const BalloonRequest& balloon);
  // The window whose showing or activation ends a request for attention.
  void WatchWindow(QWidget* window);
  // True while the icon asks for attention.
  bool NeedsAttention() const { return attention_; }

 private:
  // Asks whether a notification area exists now; on a change the icon is
  // shown in the new one, or the watch started, and the log told.
  void CheckAvailable();
  // A StatusNotifierWatcher appeared (or came back): the item registered
  // with it (made at the first one).
  void WatcherAppeared();
  void MakeItem();
  void RequestAttention(const BalloonRequest& balloon);
  void SetAttention(bool on);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void WatcherVanished();
  void SetAvailable(bool now);
  void ShowPopup(const BalloonRequest& balloon, int ms);
  void Trace(const char* where, const BalloonRequest& balloon) const;

  Actions actions_;
  EdgeReport report_;
  bool trace_ = false;
  bool available_ = false;
  QTimer* watch_ = nullptr;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon* icon_ = nullptr;
  std::unique_ptr<QWidget> popup_;
  QIcon picture_;
  QString tooltip_;
  QDBusConnection bus_;
  QDBusServiceWatcher* sni_watch_ = nullptr;
  std::unique_ptr<StatusNotifierItem> item_;
  int item_serial_ = 0;
  bool sni_shown_ = false;  // a watcher shows the item
  bool attention_ = false;
  QPointer<QWidget> window_;
};

// The tooltip as the StatusNotifierItem gets it: the whole text, trimmed, one
// "\n" between lines.
QString ItemTooltipText(const QString& text);
// The tooltip of the XEmbed tray's icon, which shows a line of limited length:
// the text above cut after its last whole word within 63 characters, "…" added.
inline constexpr int kXEmbedTooltipMaxChars = 63;
QString XEmbedTooltipText(const QString& text);

}  // namespace tv
