#include "win32/StatusNotifier.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QTimer>
#include <QtEndian>

#include <tuple>

namespace tk {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

// Runs a handler from the event loop, once the host's call has been answered;
// not at all if the item has gone by then.
template <class Arg> void later(StatusNotifierItem *item, const std::function<void(Arg)> &handler, Arg arg)
{
    if (handler)
        QTimer::singleShot(0, item, [handler, arg] { handler(arg); });
}

// Hosts that cannot tell where the icon was clicked give (0, 0).
std::optional<QPoint> hostPoint(int x, int y)
{
    return x || y ? std::optional(QPoint(x, y)) : std::nullopt;
}

} // namespace

namespace sni {

// What the protocols carry: each a D-Bus structure of its fields, in order.
// A picture is ARGB32 pixels in network byte order; a menu's items travel as
// variants holding menus.
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
    auto fields() { return std::tie(width, height, argb); }
    auto fields() const { return std::tie(width, height, argb); }
};
using IconPixmaps = QList<IconPixmap>;
struct IconToolTip {
    QString iconName;
    IconPixmaps pixmaps;
    QString title;
    QString text;
    auto fields() { return std::tie(iconName, pixmaps, title, text); }
    auto fields() const { return std::tie(iconName, pixmaps, title, text); }
};
struct MenuItem {
    int id = 0;
    QVariantMap properties;
    auto fields() { return std::tie(id, properties); }
    auto fields() const { return std::tie(id, properties); }
};
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QVariantList children;
    auto fields() { return std::tie(id, properties, children); }
    auto fields() const { return std::tie(id, properties, children); }
};
struct MenuEvent {
    int id = 0;
    QString name;
    QDBusVariant data;
    uint timestamp = 0;
    auto fields() { return std::tie(id, name, data, timestamp); }
    auto fields() const { return std::tie(id, name, data, timestamp); }
};

template <class T>
concept Structure = requires(T t)
{
    t.fields();
};

template <Structure T> QDBusArgument &operator<<(QDBusArgument &a, const T &t)
{
    a.beginStructure();
    std::apply([&a](const auto &...field) { (a << ... << field); }, t.fields());
    a.endStructure();
    return a;
}

template <Structure T> const QDBusArgument &operator>>(const QDBusArgument &a, T &t)
{
    a.beginStructure();
    std::apply([&a](auto &...field) { (a >> ... >> field); }, t.fields());
    a.endStructure();
    return a;
}

} // namespace sni
} // namespace tk

Q_DECLARE_METATYPE(tk::sni::IconPixmap)
Q_DECLARE_METATYPE(tk::sni::IconToolTip)
Q_DECLARE_METATYPE(tk::sni::MenuItem)
Q_DECLARE_METATYPE(tk::sni::MenuLayout)
Q_DECLARE_METATYPE(tk::sni::MenuEvent)

namespace tk {

namespace {

using namespace sni;

bool isSeparator(const QString &caption)
{
    return caption == QLatin1String("-");
}

IconPixmaps pixmapsOf(const QIcon &icon)
{
    IconPixmaps pixmaps;
    for (const QSize &size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        IconPixmap p{image.width(), image.height(), QByteArray(image.width() * image.height() * 4, 0)};
        for (int y = 0; y < image.height(); ++y)
            qToBigEndian<quint32>(image.constScanLine(y), image.width(),
                                  p.argb.data() + y * image.width() * 4);
        pixmaps.append(p);
    }
    return pixmaps;
}

class ItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ id)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(tk::sni::IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(tk::sni::IconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(tk::sni::IconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(tk::sni::IconToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit ItemAdaptor(StatusNotifierItem *item) : QDBusAbstractAdaptor(item), m_item(item) {}
    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    IconPixmaps iconPixmap() const { return pixmapsOf(m_item->icon); }
    IconPixmaps noPixmaps() const { return {}; }
    IconToolTip toolTip() const { return {{}, {}, m_item->tip, {}}; }
    // The host may activate it; the menu comes with ContextMenu.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(kMenuPath); }

public Q_SLOTS:
    void Activate(int x, int y) { later(m_item, m_item->handlers.activate, hostPoint(x, y)); }
    void ContextMenu(int x, int y) { later(m_item, m_item->handlers.contextMenu, hostPoint(x, y)); }
    void SecondaryActivate(int, int) {}
    void Scroll(int, const QString &) {}

private:
    StatusNotifierItem *m_item;
};

// The exported menu: the root (id 0) and one item per caption, ids from 1.
class MenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    MenuAdaptor(QObject *menu, StatusNotifierItem *item) : QDBusAbstractAdaptor(menu), m_item(item) {}
    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int, const QStringList &, tk::sni::MenuLayout &layout)
    {
        const QStringList captions = this->captions();
        layout = {parentId, propertiesOf(captions, parentId), {}};
        for (int id = 1; parentId == 0 && id <= captions.size(); ++id)
            layout.children.append(QVariant::fromValue(MenuLayout{id, propertiesOf(captions, id), {}}));
        return 1;
    }
    QList<tk::sni::MenuItem> GetGroupProperties(const QList<int> &ids, const QStringList &)
    {
        const QStringList captions = this->captions();
        QList<MenuItem> items;
        for (int id : ids)
            items.append({id, propertiesOf(captions, id)});
        return items;
    }
    QDBusVariant GetProperty(int id, const QString &name)
    {
        return QDBusVariant(propertiesOf(captions(), id).value(name));
    }
    void Event(int id, const QString &name, const QDBusVariant &, uint)
    {
        const QStringList captions = this->captions();
        if (name != QLatin1String("clicked") || id < 1 || id > captions.size() ||
            isSeparator(captions[id - 1]))
            return;
        later(m_item, m_item->handlers.choose, id - 1);
    }
    QList<int> EventGroup(const QList<tk::sni::MenuEvent> &events)
    {
        for (const MenuEvent &e : events)
            Event(e.id, e.name, e.data, e.timestamp);
        return {};
    }
    bool AboutToShow(int) { return false; }
    QList<int> AboutToShowGroup(const QList<int> &, QList<int> &idErrors)
    {
        idErrors = {};
        return {};
    }

private:
    QStringList captions() const { return m_item->handlers.menu ? m_item->handlers.menu() : QStringList(); }
    static QVariantMap propertiesOf(const QStringList &captions, int id)
    {
        if (id == 0)
            return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
        if (id > captions.size() || id < 0)
            return {};
        if (isSeparator(captions[id - 1]))
            return {{QStringLiteral("type"), QStringLiteral("separator")}};
        return {{QStringLiteral("label"), captions[id - 1]}};
    }

    StatusNotifierItem *m_item;
};

} // namespace

bool StatusNotifierItem::hostPresent()
{
    static const bool present = [] {
        QDBusMessage get = QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply = bus().call(get);
        return reply.type() == QDBusMessage::ReplyMessage &&
               reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
    }();
    return present;
}

StatusNotifierItem::StatusNotifierItem(const QIcon &icon, const QString &tip, NotifierHandlers handlers)
    : icon(icon), tip(tip), handlers(std::move(handlers))
{
    static int items = 0;
    [[maybe_unused]] static const bool typesKnown = [] {
        qDBusRegisterMetaType<IconPixmap>();
        qDBusRegisterMetaType<IconPixmaps>();
        qDBusRegisterMetaType<IconToolTip>();
        qDBusRegisterMetaType<MenuItem>();
        qDBusRegisterMetaType<QList<MenuItem>>();
        qDBusRegisterMetaType<MenuLayout>();
        qDBusRegisterMetaType<MenuEvent>();
        qDBusRegisterMetaType<QList<MenuEvent>>();
        return true;
    }();
    new ItemAdaptor(this);
    auto *menu = new QObject(this);
    new MenuAdaptor(menu, this);
    // The name the protocol asks for: the process and the item's number.
    m_service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(++items);
    // One item a process: the protocol's paths are fixed.
    m_registered = !bus().objectRegisteredAt(kItemPath) && bus().registerObject(kItemPath, this) &&
                   bus().registerObject(kMenuPath, menu) && bus().registerService(m_service);
    if (!m_registered)
        return;
    registerWithWatcher();
    // A watcher that starts again (the desktop's panel restarted) is told again.
    auto *watcher = new QDBusServiceWatcher(kWatcher, bus(), QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierItem::registerWithWatcher);
    bus().connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), this,
                  SLOT(messageAction(uint, QString)));
}

StatusNotifierItem::~StatusNotifierItem()
{
    bus().disconnect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"),
                     this, SLOT(messageAction(uint, QString)));
    for (const QString &path : {kMenuPath, kItemPath}) {
        const QObject *object = bus().objectRegisteredAt(path);
        if (object && (object == this || object->parent() == this))
            bus().unregisterObject(path);
    }
    bus().unregisterService(m_service);
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    bus().send(call);
}

void StatusNotifierItem::showMessage(const QString &title, const QString &text)
{
    QDBusMessage notify = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications,
                                                         QStringLiteral("Notify"));
    // It takes the place of the last one; "default" is a click on the message.
    notify << QCoreApplication::applicationName() << m_messageId << QString() << title << text
           << QStringList{QStringLiteral("default"), QString()} << QVariantMap() << -1;
    bus().callWithCallback(notify, this, SLOT(messageShown(uint)));
}

void StatusNotifierItem::messageAction(uint id, const QString &)
{
    if (id == m_messageId && handlers.messageClicked)
        handlers.messageClicked();
}

} // namespace tk

#include "StatusNotifier.moc"
