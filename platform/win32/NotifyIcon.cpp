#include "win32/NotifyIcon.h"

#include "win32/Win32.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace tk {

namespace {

constexpr size_t kKeptMessages = 32;

struct State {
    std::optional<bool> simulated; // set by tests
    std::vector<NotificationArea::Icon> icons;
    std::map<std::pair<int32_t, int32_t>, std::unique_ptr<QSystemTrayIcon>> trays;
    std::vector<NotificationArea::Message> messages;
    std::map<std::pair<int32_t, int32_t>, std::function<void()>> messageClicked;
};

State &state()
{
    static State s;
    return s;
}

QString tipOf(const NOTIFYICONDATA &data)
{
    const char *end = static_cast<const char *>(memchr(data.szTip, 0, sizeof data.szTip));
    const qsizetype len = end ? end - data.szTip : qsizetype(sizeof data.szTip);
    return QString::fromLocal8Bit(data.szTip, len);
}

// A StatusNotifierItem host reports one "activate" and never a double click.
bool hostReportsNoDoubleClick()
{
    static const bool sni = [] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface())
            return false;
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        if (!bus.interface()->isServiceRegistered(watcher))
            return false;
        QDBusInterface iface(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
        return iface.property("IsStatusNotifierHostRegistered").toBool();
    }();
    return sni;
}

QIcon shownIcon(int32_t hIcon)
{
    QIcon icon = iconFromHandle(hIcon);
    if (icon.isNull()) {
        // No picture: still show the icon (with its tip), as a blank square.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return icon;
}

bool addReal(const NOTIFYICONDATA &data)
{
    auto tray = std::make_unique<QSystemTrayIcon>();
    tray->setIcon(shownIcon(data.uFlags & NIF_ICON ? data.hIcon : 0));
    if (data.uFlags & NIF_TIP)
        tray->setToolTip(tipOf(data));
    const int32_t hWnd = data.hWnd;
    const int32_t uID = data.uID;
    const int32_t message = data.uFlags & NIF_MESSAGE ? data.uCallbackMessage : 0;
    QObject::connect(tray.get(), &QSystemTrayIcon::activated, tray.get(),
                     [hWnd, uID, message](QSystemTrayIcon::ActivationReason reason) {
                         if (!message)
                             return;
                         if (reason == QSystemTrayIcon::DoubleClick ||
                             (reason == QSystemTrayIcon::Trigger && hostReportsNoDoubleClick()))
                             SendMessageA(hWnd, message, uID, WM_LBUTTONDBLCLK);
                         else if (reason == QSystemTrayIcon::Context)
                             SendMessageA(hWnd, message, uID, WM_RBUTTONDOWN);
                     });
    QObject::connect(tray.get(), &QSystemTrayIcon::messageClicked, tray.get(),
                     [hWnd, uID] { NotificationArea::clickMessage(hWnd, uID); });
    tray->show();
    state().trays[{hWnd, uID}] = std::move(tray);
    return true;
}

} // namespace

bool NotificationArea::isAvailable()
{
    if (state().simulated)
        return *state().simulated;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

const std::vector<NotificationArea::Icon> &NotificationArea::icons()
{
    return state().icons;
}

void NotificationArea::simulate(bool available)
{
    state().simulated = available;
    state().icons.clear();
    state().trays.clear();
    state().messages.clear();
    state().messageClicked.clear();
}

void NotificationArea::activate(int32_t hWnd, int32_t uID, int32_t mouseMessage)
{
    for (const Icon &icon : state().icons)
        if (icon.record.hWnd == hWnd && icon.record.uID == uID && (icon.record.uFlags & NIF_MESSAGE))
            SendMessageA(hWnd, icon.record.uCallbackMessage, uID, mouseMessage);
}

bool NotificationArea::showMessage(int32_t hWnd, int32_t uID, const QString &title, const QString &text,
                                   std::function<void()> clicked)
{
    const auto &icons = state().icons;
    if (std::none_of(icons.begin(), icons.end(),
                     [&](const Icon &i) { return i.record.hWnd == hWnd && i.record.uID == uID; }))
        return false;
    if (auto tray = state().trays.find({hWnd, uID}); tray != state().trays.end())
        tray->second->showMessage(title, text, tray->second->icon());
    // The recent ones are enough to ask about.
    auto &messages = state().messages;
    if (messages.size() >= kKeptMessages)
        messages.erase(messages.begin());
    messages.push_back({hWnd, uID, title, text});
    state().messageClicked[{hWnd, uID}] = std::move(clicked);
    return true;
}

const std::vector<NotificationArea::Message> &NotificationArea::messages()
{
    return state().messages;
}

void NotificationArea::clickMessage(int32_t hWnd, int32_t uID)
{
    auto it = state().messageClicked.find({hWnd, uID});
    if (it == state().messageClicked.end() || !it->second)
        return;
    // A copy: the handler may show the next message, replacing this one.
    const std::function<void()> clicked = it->second;
    clicked();
}

bool Shell_NotifyIconA(int32_t dwMessage, const NOTIFYICONDATA &data)
{
    auto &icons = state().icons;
    auto same = [&data](const NotificationArea::Icon &i) {
        return i.record.hWnd == data.hWnd && i.record.uID == data.uID;
    };
    auto it = std::find_if(icons.begin(), icons.end(), same);
    switch (dwMessage) {
    case NIM_ADD:
        if (data.cbSize != int32_t(sizeof(NOTIFYICONDATA)) || it != icons.end() ||
            !NotificationArea::isAvailable())
            return false;
        if (!state().simulated && !addReal(data))
            return false;
        icons.push_back({data, tipOf(data)});
        return true;
    case NIM_DELETE:
        if (it == icons.end())
            return false;
        icons.erase(it);
        state().messageClicked.erase({data.hWnd, data.uID});
        if (auto tray = state().trays.find({data.hWnd, data.uID}); tray != state().trays.end()) {
            // The icon may be removed from inside its own activation (the
            // tray menu's Exit): hiding it would destroy the window that is
            // still handling that press, so it goes once control is back in
            // the event loop.
            tray->second.release()->deleteLater();
            state().trays.erase(tray);
        }
        return true;
    default:
        return false;
    }
}

} // namespace tk
