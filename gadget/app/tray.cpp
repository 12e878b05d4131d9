#include "gadget/app/tray.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

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

Tray::Tray(const QIcon& icon, Actions actions)
    : actions_(std::move(actions)),
      available_(QSystemTrayIcon::isSystemTrayAvailable()),
      menu_(std::make_unique<QMenu>()) {
  menu_->setObjectName("IDPopupMenu");
  QAction* open = menu_->addAction("Ouvrir l'application");
  QAction* quit = menu_->addAction("Quitter l'application");
  menu_->addSeparator();
  QAction* export_data = menu_->addAction("Exporter les données récupérées");
  connect(open, &QAction::triggered, this, [this] {
    if (actions_.open) actions_.open();
  });
  // Queued, so that the menu has closed before the quit hides everything.
  connect(
      quit, &QAction::triggered, this,
      [this] {
        if (actions_.quit) actions_.quit();
      },
      Qt::QueuedConnection);
  connect(export_data, &QAction::triggered, this, [this] {
    if (actions_.export_data) actions_.export_data();
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
    if (why == QSystemTrayIcon::Trigger && actions_.open) actions_.open();
  });
  icon_->show();
}

Tray::~Tray() = default;

QWidget* Tray::FallbackPopup() const {
  return popup_ && popup_->isVisible() ? popup_.get() : nullptr;
}

QString Tray::Tooltip() const {
  return icon_->toolTip();
}

void Tray::SetTooltip(const QString& text) {
  icon_->setToolTip(text);
}

void Tray::ShowBalloon(const BalloonRequest& balloon) {
  const QString title = Text(balloon.title);
  const QString text = Text(balloon.text);
  const int ms = std::max(1000, balloon.Milliseconds());
  if (available_ && QSystemTrayIcon::supportsMessages()) {
    icon_->showMessage(title, text, TrayIconOf(balloon.icon), ms);
    return;
  }
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
