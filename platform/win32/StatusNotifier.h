#pragma once
// An icon in a notification area that speaks D-Bus (StatusNotifierItem: KDE
// Plasma, most panels, GNOME with the AppIndicator extension). The host asks
// the item to act: Activate, or ContextMenu at the host's point. Hosts that
// show only a menu an item exports (com.canonical.dbusmenu) get one. Every
// call is answered at once; what it asks for runs after, from the event loop.

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>

namespace tk {

struct NotifierHandlers {
    // Where the host says it was acted on, if it says.
    std::function<void(std::optional<QPoint>)> activate;
    std::function<void(std::optional<QPoint>)> contextMenu;
    // The exported menu: its captions when the host asks ("-" a separator
    // line), and the item chosen, by its place among them.
    std::function<QStringList()> menu;
    std::function<void(int)> choose;
    std::function<void()> messageClicked;
};

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    // Whether the session has a host that shows such items; asked once, as Qt
    // asks once.
    static bool hostPresent();

    StatusNotifierItem(const QIcon &icon, const QString &tip, NotifierHandlers handlers);
    ~StatusNotifierItem() override;
    // False when the bus would not take the item: no host shows it.
    bool isRegistered() const { return m_registered; }
    // A desktop notification; a click on it runs messageClicked until the next.
    void showMessage(const QString &title, const QString &text);

    const QIcon icon;
    const QString tip;
    const NotifierHandlers handlers;

private Q_SLOTS:
    void registerWithWatcher();
    void messageShown(uint id) { m_messageId = id; }
    void messageAction(uint id, const QString &action);

private:
    QString m_service;
    bool m_registered = false;
    uint m_messageId = 0;
};

} // namespace tk
