#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "gadget/app/qt_window.h"
#include "lib/common/balloon.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace tv {

// The notification-area icon with its popup menu, tooltip and balloons.
// Where the desktop has no notification area, the program still runs: the
// balloons show in a small frameless popup of our own near the top right
// corner of the screen, for their display time. GUI thread only.
class Tray final : public QObject, public TrayPresenter {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void()> open;         // left click, menu entry 1
    std::function<void()> quit;         // menu entry 2
    std::function<void()> export_data;  // menu entry 3 (nothing yet when empty)
    std::function<void()> history;      // "Historique" (absent when empty)
    std::function<void()> set_clock;    // "Régler l'horloge de la console" (absent when empty)
  };

  Tray(const QIcon& icon, Actions actions);
  ~Tray() override;

  // False when the desktop has no notification area.
  bool Available() const { return available_; }
  QMenu* Menu() const { return menu_.get(); }
  // The popup shown for the last balloon where there is no notification
  // area; null when none is showing.
  QWidget* FallbackPopup() const;
  QString Tooltip() const;

  void SetTooltip(const QString& text) override;
  void ShowBalloon(const BalloonRequest& balloon) override;

 private:
  Actions actions_;
  bool available_ = false;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon* icon_ = nullptr;
  std::unique_ptr<QWidget> popup_;
};

}  // namespace tv
