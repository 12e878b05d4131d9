#include "gadget/app/status_notifier_item.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QtEndian>

#include "gadget/app/platform.h"
#include "gadget/app/tray_picture.h"

namespace tv {
namespace {

constexpr char kItemPath[] = "/StatusNotifierItem";
constexpr char kMenuPath[] = "/MenuBar";

}  // namespace

// One picture of the icon, as the protocol carries it: width, height and
// ARGB32 pixels in network byte order.
struct SniPixmap {
  int width = 0;
  int height = 0;
  QByteArray bytes;
};
using SniPixmaps = QList<SniPixmap>;

// The tooltip: icon name, pictures, title, text.
struct SniTooltip {
  QString icon_name;
  SniPixmaps pixmaps;
  QString title;
  QString text;
};

// One entry of the exported menu with its children (com.canonical.dbusmenu
// layout "(ia{sv}av)").
struct MenuLayout {
  int id = 0;
  QVariantMap properties;
  QList<MenuLayout> children;
};

// One entry's properties ("(ia{sv})"), and one event of a group ("(isvu)").
struct MenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;
struct MenuEvent {
  int id = 0;
  QString event;
  QDBusVariant data;
  uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

}  // namespace tv

Q_DECLARE_METATYPE(tv::SniPixmap)
Q_DECLARE_METATYPE(tv::SniTooltip)
Q_DECLARE_METATYPE(tv::MenuLayout)
Q_DECLARE_METATYPE(tv::MenuItemProperties)
Q_DECLARE_METATYPE(tv::MenuEvent)

namespace tv {

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p) {
  a.beginStructure();
  a << p.width << p.height << p.bytes;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p) {
  a.beginStructure();
  a >> p.width >> p.height >> p.bytes;
  a.endStructure();
  return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const SniTooltip& t) {
  a.beginStructure();
  a << t.icon_name << t.pixmaps << t.title << t.text;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniTooltip& t) {
  a.beginStructure();
  a >> t.icon_name >> t.pixmaps >> t.title >> t.text;
  a.endStructure();
  return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const MenuLayout& l) {
  a.beginStructure();
  a << l.id << l.properties;
  a.beginArray(qMetaTypeId<QDBusVariant>());
  for (const MenuLayout& child : l.children) a << QDBusVariant(QVariant::fromValue(child));
  a.endArray();
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MenuLayout& l) {
  a.beginStructure();
  a >> l.id >> l.properties;
  a.beginArray();
  while (!a.atEnd()) {
    QDBusVariant child;
    a >> child;
    l.children.append(qdbus_cast<MenuLayout>(child.variant()));
  }
  a.endArray();
  a.endStructure();
  return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const MenuItemProperties& p) {
  a.beginStructure();
  a << p.id << p.properties;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MenuItemProperties& p) {
  a.beginStructure();
  a >> p.id >> p.properties;
  a.endStructure();
  return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const MenuEvent& e) {
  a.beginStructure();
  a << e.id << e.event << e.data << e.timestamp;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MenuEvent& e) {
  a.beginStructure();
  a >> e.id >> e.event >> e.data >> e.timestamp;
  a.endStructure();
  return a;
}

namespace {

void RegisterTypes() {
  static const bool registered = [] {
    // The adaptors' signatures name the lists by their aliases, and Qt D-Bus
    // looks their types up by those names when it exports the methods: a
    // method with an unknown name is left out of the object altogether.
    qRegisterMetaType<SniPixmaps>("tv::SniPixmaps");
    qRegisterMetaType<MenuItemPropertiesList>("tv::MenuItemPropertiesList");
    qRegisterMetaType<MenuEventList>("tv::MenuEventList");
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniTooltip>();
    qDBusRegisterMetaType<MenuLayout>();
    qDBusRegisterMetaType<MenuItemProperties>();
    qDBusRegisterMetaType<MenuItemPropertiesList>();
    qDBusRegisterMetaType<MenuEvent>();
    qDBusRegisterMetaType<MenuEventList>();
    return true;
  }();
  (void)registered;
}

SniPixmaps PixmapsOf(const QIcon& icon) {
  SniPixmaps out;
  for (int size : {16, 22, 24, 32, 44, 48, 64}) {
    const QImage image = icon.pixmap(size, size)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32)
                             .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    SniPixmap p{image.width(), image.height(), {}};
    p.bytes.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
    auto* to = reinterpret_cast<uchar*>(p.bytes.data());
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x, to += 4) qToBigEndian<quint32>(line[x], to);
    }
    out.append(p);
  }
  return out;
}

// The menu's entries by id: 1, 2, … in the order of the menu's actions.
QVariantMap PropertiesOf(const QAction& action) {
  QVariantMap p;
  if (action.isSeparator()) {
    p.insert("type", QString("separator"));
  } else {
    p.insert("label", action.text());
  }
  p.insert("enabled", action.isEnabled());
  p.insert("visible", action.isVisible());
  return p;
}

}  // namespace

// org.kde.StatusNotifierItem on the item's object.
class SniAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ Category)
  Q_PROPERTY(QString Id READ Id)
  Q_PROPERTY(QString Title READ Title)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(int WindowId READ WindowId)
  Q_PROPERTY(QString IconName READ IconName)
  Q_PROPERTY(tv::SniPixmaps IconPixmap READ IconPixmap)
  Q_PROPERTY(QString OverlayIconName READ Empty)
  Q_PROPERTY(tv::SniPixmaps OverlayIconPixmap READ NoPixmaps)
  Q_PROPERTY(QString AttentionIconName READ Empty)
  Q_PROPERTY(tv::SniPixmaps AttentionIconPixmap READ AttentionIconPixmap)
  Q_PROPERTY(QString AttentionMovieName READ Empty)
  Q_PROPERTY(tv::SniTooltip ToolTip READ ToolTip)
  Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ Menu)

 public:
  explicit SniAdaptor(StatusNotifierItem* item) : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
  }

  QString Category() const { return "ApplicationStatus"; }
  QString Id() const { return "teskaro-ventaro"; }
  QString Title() const { return "Teskaro Ventaro"; }
  QString Status() const { return item_->attention_ ? "NeedsAttention" : "Active"; }
  int WindowId() const { return 0; }
  QString IconName() const { return {}; }  // the pictures below
  SniPixmaps IconPixmap() const { return PixmapsOf(item_->icon_); }
  QString Empty() const { return {}; }
  SniPixmaps NoPixmaps() const { return {}; }
  SniPixmaps AttentionIconPixmap() const { return PixmapsOf(AttentionIcon(item_->icon_)); }
  SniTooltip ToolTip() const { return {{}, {}, Title(), item_->tooltip_}; }
  bool ItemIsMenu() const { return false; }
  QDBusObjectPath Menu() const { return QDBusObjectPath(kMenuPath); }

 public slots:
  void Activate(int, int) {
    if (item_->activate_) item_->activate_();
  }
  void SecondaryActivate(int, int) {}
  void ContextMenu(int x, int y) {
    // A client cannot place a window of its own on Wayland: the menu would
    // be a toplevel of its own wherever the compositor puts it, taking the
    // focus. The host shows the exported menu instead.
    if (OnWayland()) return;
    item_->menu_.popup(QPoint(x, y));
  }
  void Scroll(int, const QString&) {}
  // The token the host got for the activation it is about to ask for.
  void ProvideXdgActivationToken(const QString& token) {
    if (item_->provide_token_) item_->provide_token_(token);
  }

 signals:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);

 private:
  StatusNotifierItem* item_;
};

// com.canonical.dbusmenu on the menu's object: the tray menu's actions, flat.
class MenuAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ Version)
  Q_PROPERTY(QString TextDirection READ TextDirection)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

 public:
  MenuAdaptor(QObject* parent, QMenu& menu) : QDBusAbstractAdaptor(parent), menu_(menu) {
    setAutoRelaySignals(false);
  }

  uint Version() const { return 3; }
  QString TextDirection() const { return "ltr"; }
  QString Status() const { return "normal"; }
  QStringList IconThemePath() const { return {}; }

 public slots:
  uint GetLayout(int parent, int, const QStringList&, tv::MenuLayout& layout) {
    layout = {};
    layout.id = parent;
    if (parent == 0) {
      layout.properties.insert("children-display", QString("submenu"));
      const QList<QAction*> actions = menu_.actions();
      for (int i = 0; i < actions.size(); ++i) {
        layout.children.append({i + 1, PropertiesOf(*actions[i]), {}});
      }
    } else if (QAction* a = ActionOf(parent)) {
      layout.properties = PropertiesOf(*a);
    }
    return 1;
  }
  tv::MenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList&) {
    MenuItemPropertiesList out;
    for (int id : ids) {
      if (QAction* a = ActionOf(id)) out.append({id, PropertiesOf(*a)});
    }
    return out;
  }
  QDBusVariant GetProperty(int id, const QString& name) {
    QAction* a = ActionOf(id);
    return QDBusVariant(a != nullptr ? PropertiesOf(*a).value(name) : QVariant(QString()));
  }
  void Event(int id, const QString& event, const QDBusVariant&, uint) {
    QAction* a = ActionOf(id);
    // Queued like the tray menu's quit, so that the panel's call is answered first.
    if (a != nullptr && event == "clicked") {
      QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
    }
  }
  QList<int> EventGroup(const tv::MenuEventList& events) {
    QList<int> unknown;
    for (const MenuEvent& e : events) {
      if (ActionOf(e.id) == nullptr) {
        unknown.append(e.id);
      } else {
        Event(e.id, e.event, e.data, e.timestamp);
      }
    }
    return unknown;
  }
  bool AboutToShow(int) { return false; }
  QList<int> AboutToShowGroup(const QList<int>&, QList<int>& errors) {
    errors = {};
    return {};
  }

 signals:
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  QAction* ActionOf(int id) const {
    const QList<QAction*> actions = menu_.actions();
    return id >= 1 && id <= actions.size() ? actions[id - 1] : nullptr;
  }

  QMenu& menu_;
};

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, const QIcon& icon,
                                       const QString& tooltip, QMenu& menu,
                                       std::function<void()> activate, int serial,
                                       std::function<void(const QString&)> provide_token)
    : bus_(std::move(bus)),
      service_(QString("org.kde.StatusNotifierItem-%1-%2")
                   .arg(QCoreApplication::applicationPid())
                   .arg(serial)),
      icon_(icon),
      tooltip_(tooltip),
      menu_(menu),
      activate_(std::move(activate)),
      provide_token_(std::move(provide_token)) {
  RegisterTypes();
  adaptor_ = new SniAdaptor(this);
  menu_object_ = new QObject(this);
  menu_adaptor_ = new MenuAdaptor(menu_object_, menu_);
  bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors);
  bus_.registerObject(kMenuPath, menu_object_, QDBusConnection::ExportAdaptors);
  bus_.registerService(service_);
  Register();
}

void StatusNotifierItem::Register() {
  // Asked without waiting: the watcher may call back for the properties.
  const QDBusMessage call =
      QDBusMessage::createMethodCall(kStatusNotifierWatcher, "/StatusNotifierWatcher",
                                     kStatusNotifierWatcher, "RegisterStatusNotifierItem")
      << service_;
  bus_.asyncCall(call);
}

StatusNotifierItem::~StatusNotifierItem() {
  bus_.unregisterObject(kMenuPath);
  bus_.unregisterObject(kItemPath);
  bus_.unregisterService(service_);
}

void StatusNotifierItem::SetTooltip(const QString& text) {
  if (text == tooltip_) return;
  tooltip_ = text;
  emit adaptor_->NewToolTip();
}

void StatusNotifierItem::SetIcon(const QIcon& icon) {
  icon_ = icon;
  emit adaptor_->NewIcon();
  if (attention_) emit adaptor_->NewAttentionIcon();
}

void StatusNotifierItem::SetAttention(bool on) {
  if (on == attention_) return;
  attention_ = on;
  if (on) emit adaptor_->NewAttentionIcon();
  emit adaptor_->NewStatus(adaptor_->Status());
}

}  // namespace tv

#include "status_notifier_item.moc"
