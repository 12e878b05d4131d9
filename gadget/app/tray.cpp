#include "gadget/app/tray.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gadget/app/platform.h"

namespace tv {
namespace {

QSystemTrayIcon::MessageIcon TrayIconOf(BalloonIcon icon) {
  switch (icon) {
    case BalloonIcon::kInfo:
      return QSystemTrayIcon::Information;
    case BalloonIcon::kWarning:
      return QSystemTrayIcon::Warning;
    case BalloonIcon::kError:
      return QSystemTrayIcon::Critical;
    case BalloonIcon::kNone:
      break;
  }
  return QSystemTrayIcon::NoIcon;
}

QIcon StandardIconOf(BalloonIcon icon) {
  QStyle* style = QApplication::style();
  switch (icon) {
    case BalloonIcon::kInfo:
      return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case BalloonIcon::kWarning:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case BalloonIcon::kError:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case BalloonIcon::kNone:
      break;
  }
  return {};
}

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString ItemTooltipText(const QString& text) {
  QString out = text.trimmed();
  out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return out;
}

QString XEmbedTooltipText(const QString& text) {
  const QString whole = ItemTooltipText(text);
  if (whole.size() <= kXEmbedTooltipMaxChars) return whole;
  // Room for the words and the "…".
  qsizetype end = kXEmbedTooltipMaxChars - 1;
  if (whole[end - 1].isHighSurrogate()) --end;
  // Cut at the last space within the room, unless the cut falls between two
  // words already; a single word longer than the room is cut where it ends.
  if (!whole[end].isSpace()) {
    qsizetype space = end - 1;
    while (space > 0 && !whole[space].isSpace()) --space;
    if (space > 0) end = space;
  }
  QString cut = whole.left(end);
  while (!cut.isEmpty() && (cut.back().isSpace() || QStringView(u",;:").contains(cut.back()))) {
    cut.chop(1);
  }
  return cut + QChar(0x2026);
}

Tray::Tray(const QIcon& icon, Actions actions, EdgeReport report, QDBusConnection bus)
    : actions_(std::move(actions)),
      report_(std::move(report)),
      menu_(std::make_unique<QMenu>()),
      picture_(icon),
      bus_(std::move(bus)) {
  const char* trace = std::getenv("TV_BALLOON_TRACE");
  trace_ = trace != nullptr && std::strcmp(trace, "1") == 0;
  if (trace_) std::fprintf(stderr, "platform: %s\n", qPrintable(QGuiApplication::platformName()));
  // The balloons' pictures looked up now, at start: the icon theme's files
  // they open stay open, and are then counted among the start's.
  for (BalloonIcon kind : {BalloonIcon::kInfo, BalloonIcon::kWarning, BalloonIcon::kError}) {
    StandardIconOf(kind).pixmap(32, 32);
  }
  menu_->setObjectName("IDPopupMenu");
  QAction* open = menu_->addAction("Ouvrir l'application");
  QAction* quit = menu_->addAction("Quitter l'application");
  menu_->addSeparator();
  QAction* export_data = menu_->addAction("Exporter les données récupérées");
  // Each action is guarded: an exception of ours must not reach the event loop.
  connect(open, &QAction::triggered, this, [this] {
    RunGuarded(report_, "ouverture de la fenêtre", [this] {
      if (actions_.open) actions_.open();
    });
  });
  // Queued, so that the menu has closed before the quit hides everything.
  connect(
      quit, &QAction::triggered, this,
      [this] {
        RunGuarded(report_, "arrêt du programme", [this] {
          if (actions_.quit) actions_.quit();
        });
      },
      Qt::QueuedConnection);
  connect(export_data, &QAction::triggered, this, [this] {
    RunGuarded(report_, "export des données", [this] {
      if (actions_.export_data) actions_.export_data();
    });
  });
  if (actions_.history) {
    QAction* history = menu_->addAction("Historique");
    connect(history, &QAction::triggered, this, [this] { actions_.history(); });
  }
  if (actions_.set_clock) {
    QAction* set_clock = menu_->addAction("Régler l'horloge de la console");
    connect(set_clock, &QAction::triggered, this, [this] { actions_.set_clock(); });
  }

  icon_ = new QSystemTrayIcon(icon, this);
  icon_->setContextMenu(menu_.get());
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    // A left click shows the window; the right click's menu is the tray's
    // own; double clicks do nothing more.
    if (why != QSystemTrayIcon::Trigger) return;
    RunGuarded(report_, "ouverture de la fenêtre", [this] {
      if (actions_.open) actions_.open();
    });
  });
  watch_ = new QTimer(this);
  watch_->setInterval(kWatchMs);
  connect(watch_, &QTimer::timeout, this,
          [this] { RunGuarded(report_, "zone de notification", [this] { CheckAvailable(); }); });

  const bool on_bus = bus_.isConnected() && bus_.interface() != nullptr;
  if (on_bus) {
    sni_watch_ = new QDBusServiceWatcher(
        kStatusNotifierWatcher, bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(sni_watch_, &QDBusServiceWatcher::serviceRegistered, this,
            [this] { RunGuarded(report_, "zone de notification", [this] { WatcherAppeared(); }); });
    connect(sni_watch_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { RunGuarded(report_, "zone de notification", [this] { WatcherVanished(); }); });
  }
  if (on_bus && bus_.interface()->isServiceRegistered(kStatusNotifierWatcher).value()) {
    // The panel's watcher is there: our own item, never Qt's as well.
    MakeItem();
    sni_shown_ = true;
    available_ = true;
    return;
  }
  available_ = QSystemTrayIcon::isSystemTrayAvailable();
  icon_->show();
  if (!available_) watch_->start();
}

void Tray::WatcherAppeared() {
  // A new watcher knows nothing of the items registered with an old one: the
  // item, made once, registers with it again (and is never taken off the
  // bus, so that a panel that comes and goes finds it as it is).
  if (item_) {
    item_->Register();
  } else {
    MakeItem();
  }
  sni_shown_ = true;
  icon_->hide();
  watch_->stop();
  SetAvailable(true);
}

void Tray::MakeItem() {
  item_ = std::make_unique<StatusNotifierItem>(bus_, picture_, tooltip_, *menu_, actions_.open,
                                               ++item_serial_, actions_.activation_token);
  item_->SetAttention(attention_);
}

void Tray::WatcherVanished() {
  if (!sni_shown_) return;
  sni_shown_ = false;
  icon_->show();
  SetAvailable(QSystemTrayIcon::isSystemTrayAvailable());
  if (!available_) watch_->start();
}

void Tray::SetAvailable(bool now) {
  if (now == available_) return;
  available_ = now;
  if (!report_) return;
  if (now) {
    report_("Zone de notification trouvée : l'icône et les messages y sont affichés.");
  } else if (OnWayland()) {
    report_(
        "La zone de notification a disparu : les messages restent dans le journal et la liste "
        "des alertes.");
  } else {
    report_(
        "La zone de notification a disparu : les messages s'affichent dans une fenêtre en haut "
        "à droite de l'écran.");
  }
}

void Tray::CheckAvailable() {
  if (sni_shown_) return;  // the watcher's panel shows the icon
  const bool now = QSystemTrayIcon::isSystemTrayAvailable();
  if (now == available_) return;
  if (now) {
    watch_->stop();
    // Shown again, so that the icon is put into the notification area that
    // did not exist when it was first shown.
    icon_->hide();
    icon_->show();
  } else {
    watch_->start();
  }
  SetAvailable(now);
}

Tray::~Tray() {
  item_.reset();
}

QWidget* Tray::FallbackPopup() const {
  return popup_ && popup_->isVisible() ? popup_.get() : nullptr;
}

QString Tray::Tooltip() const {
  return tooltip_;
}

void Tray::SetPicture(const QIcon& picture) {
  picture_ = picture;
  icon_->setIcon(picture);
  if (item_) item_->SetIcon(picture);
}

void Tray::SetTooltip(const QString& text) {
  tooltip_ = ItemTooltipText(text);
  icon_->setToolTip(XEmbedTooltipText(tooltip_));
  if (item_) item_->SetTooltip(tooltip_);
}

void Tray::WatchWindow(QWidget* window) {
  if (window_) window_->removeEventFilter(this);
  window_ = window;
  if (window_) window_->installEventFilter(this);
}

bool Tray::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ &&
      (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)) {
    SetAttention(false);
  }
  return QObject::eventFilter(watched, event);
}

void Tray::RequestAttention(const BalloonRequest& balloon) {
  Trace("attention", balloon);
  // Whoever has the window in front of them sees the message there.
  const QWidget* window = window_.data();
  if (window != nullptr && window->isVisible() && window->isActiveWindow()) return;
  SetAttention(true);
}

void Tray::SetAttention(bool on) {
  attention_ = on;
  if (item_) item_->SetAttention(on);
}

void Tray::Trace(const char* where, const BalloonRequest& balloon) const {
  if (!trace_) return;
  std::fprintf(stderr, "balloon %s: %s | %s\n", where, balloon.title.c_str(), balloon.text.c_str());
}

void Tray::ShowBalloon(const BalloonRequest& balloon) {
  const QString title = Text(balloon.title);
  const QString text = Text(balloon.text);
  const int ms = std::max(1000, balloon.Milliseconds());
  CheckAvailable();
  if (available_ && !sni_shown_ && QSystemTrayIcon::supportsMessages()) {
    Trace("tray", balloon);
    icon_->showMessage(title, text, TrayIconOf(balloon.icon), ms);
    return;
  }
  if (OnWayland()) {
    RequestAttention(balloon);
    return;
  }
  Trace("popup", balloon);
  ShowPopup(balloon, ms);
}

void Tray::ShowPopupBalloon(const BalloonRequest& balloon) {
  if (OnWayland()) {
    RequestAttention(balloon);
    return;
  }
  Trace("popup", balloon);
  ShowPopup(balloon, std::max(1000, balloon.Milliseconds()));
}

void Tray::ShowPopup(const BalloonRequest& balloon, int ms) {
  const QString title = Text(balloon.title);
  const QString text = Text(balloon.text);
  // No notification area: a popup of our own, replaced by the next one.
  popup_ = std::make_unique<QWidget>(
      nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  popup_->setObjectName("BalloonPopup");
  popup_->setAttribute(Qt::WA_ShowWithoutActivating);
  auto* row = new QHBoxLayout(popup_.get());
  const QIcon kind = StandardIconOf(balloon.icon);
  if (!kind.isNull()) {
    auto* picture = new QLabel(popup_.get());
    picture->setObjectName("BalloonIcon");
    picture->setPixmap(kind.pixmap(32, 32));
    row->addWidget(picture, 0, Qt::AlignTop);
  }
  auto* texts = new QVBoxLayout;
  auto* title_label = new QLabel(title, popup_.get());
  title_label->setObjectName("BalloonTitle");
  title_label->setTextFormat(Qt::PlainText);
  QFont bold = title_label->font();
  bold.setBold(true);
  title_label->setFont(bold);
  auto* text_label = new QLabel(text, popup_.get());
  text_label->setObjectName("BalloonText");
  text_label->setTextFormat(Qt::PlainText);
  text_label->setWordWrap(true);
  text_label->setMaximumWidth(320);
  texts->addWidget(title_label);
  texts->addWidget(text_label);
  row->addLayout(texts);
  popup_->adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    popup_->move(area.right() - popup_->width() - 12, area.top() + 12);
  }
  popup_->show();
  QWidget* shown = popup_.get();
  QTimer::singleShot(ms, shown, [shown] { shown->hide(); });
}

}  // namespace tv
