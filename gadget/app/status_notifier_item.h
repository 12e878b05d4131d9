#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QMenu;

namespace tv {

// The watcher of StatusNotifierItems that the panels of KDE Plasma, GNOME's
// AppIndicator extension, XFCE and the Wayland desktops run on the session bus.
inline constexpr char kStatusNotifierWatcher[] = "org.kde.StatusNotifierWatcher";

class SniAdaptor;
class MenuAdaptor;

// The program's icon as a StatusNotifierItem on the session bus, with its
// menu exported as com.canonical.dbusmenu: made by the tray when a
// StatusNotifierWatcher first appears and registered again with each new one,
// so that an icon shows in a panel started after the program, or restarted.
// A left click opens the window; the menu's entries are the tray menu's
// actions. The host may hand over an xdg-activation token before it asks for
// the window (Wayland), and the item may ask for attention (its status
// NeedsAttention, with an attention icon). GUI thread only.
class StatusNotifierItem final : public QObject {
  Q_OBJECT

 public:
  // Registers the item and its menu on `bus` under a name of its own and
  // asks the watcher to show it. `menu` must outlive the item.
  // `provide_token` receives the xdg-activation tokens the host hands over
  // (ProvideXdgActivationToken), to be used by the next activation.
  StatusNotifierItem(QDBusConnection bus, const QIcon& icon, const QString& tooltip, QMenu& menu,
                     std::function<void()> activate, int serial,
                     std::function<void(const QString&)> provide_token = {});
  ~StatusNotifierItem() override;

  // The name the item holds on the bus ("org.kde.StatusNotifierItem-PID-N").
  QString ServiceName() const { return service_; }
  // Asks the watcher (a new one, after a panel restart) to show the item.
  void Register();
  void SetTooltip(const QString& text);
  void SetIcon(const QIcon& icon);
  // Status NeedsAttention (true) or Active (false); the hosts are told.
  void SetAttention(bool on);
  bool Attention() const { return attention_; }

 private:
  friend class SniAdaptor;
  friend class MenuAdaptor;

  QDBusConnection bus_;
  QString service_;
  QIcon icon_;
  QString tooltip_;
  QMenu& menu_;
  std::function<void()> activate_;
  std::function<void(const QString&)> provide_token_;
  bool attention_ = false;
  SniAdaptor* adaptor_ = nullptr;
  QObject* menu_object_ = nullptr;
  MenuAdaptor* menu_adaptor_ = nullptr;
};

}  // namespace tv
