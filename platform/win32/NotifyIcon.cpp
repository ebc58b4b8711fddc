#include "win32/NotifyIcon.h"

#include "win32/StatusNotifier.h"
#include "win32/Win32.h"

#include <QApplication>
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

using Key = std::pair<int32_t, int32_t>; // hWnd, uID

// What shows an icon: our own item where a D-Bus host shows it, else Qt's
// tray icon (an XEmbed notification area on X11).
struct Shown {
    std::unique_ptr<StatusNotifierItem> item;
    std::unique_ptr<QSystemTrayIcon> tray;
};

struct ExportedMenu {
    std::function<QStringList()> captions;
    std::function<void(int)> choose;
};

struct State {
    std::optional<bool> simulated; // set by tests
    std::vector<NotificationArea::Icon> icons;
    std::map<Key, Shown> trays;
    std::map<Key, ExportedMenu> menus;
    std::vector<NotificationArea::Message> messages;
    std::map<Key, std::function<void()>> messageClicked;
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

ExportedMenu exportedMenu(int32_t hWnd, int32_t uID)
{
    const auto menu = state().menus.find({hWnd, uID});
    return menu != state().menus.end() ? menu->second : ExportedMenu();
}

// A D-Bus host's Activate is the double click, its ContextMenu the right
// press, each at the host's point; the exported menu is the one the icon's
// owner gave, asked for each time.
std::unique_ptr<StatusNotifierItem> dbusItem(const QIcon &icon, const QString &tip, int32_t hWnd, int32_t uID)
{
    auto item = std::make_unique<StatusNotifierItem>(
        icon, tip,
        NotifierHandlers{
            [=](std::optional<QPoint> at) { NotificationArea::activate(hWnd, uID, WM_LBUTTONDBLCLK, at); },
            [=](std::optional<QPoint> at) { NotificationArea::activate(hWnd, uID, WM_RBUTTONDOWN, at); },
            [=] {
                const ExportedMenu menu = exportedMenu(hWnd, uID);
                return menu.captions ? menu.captions() : QStringList();
            },
            [=](int chosen) {
                if (const ExportedMenu menu = exportedMenu(hWnd, uID); menu.choose)
                    menu.choose(chosen);
            },
            [=] { NotificationArea::clickMessage(hWnd, uID); }});
    return item->isRegistered() ? std::move(item) : nullptr;
}

// An XEmbed notification area: a double click and a right press; Qt pops no
// menu of its own, as it is given none.
std::unique_ptr<QSystemTrayIcon> qtTray(const QIcon &icon, const QString &tip, int32_t hWnd, int32_t uID,
                                        int32_t message)
{
    auto tray = std::make_unique<QSystemTrayIcon>(icon);
    tray->setToolTip(tip);
    QObject::connect(tray.get(), &QSystemTrayIcon::activated, tray.get(),
                     [hWnd, uID, message](QSystemTrayIcon::ActivationReason reason) {
                         if (!message)
                             return;
                         if (reason == QSystemTrayIcon::DoubleClick)
                             SendMessageA(hWnd, message, uID, WM_LBUTTONDBLCLK);
                         else if (reason == QSystemTrayIcon::Context)
                             SendMessageA(hWnd, message, uID, WM_RBUTTONDOWN);
                     });
    QObject::connect(tray.get(), &QSystemTrayIcon::messageClicked, tray.get(),
                     [hWnd, uID] { NotificationArea::clickMessage(hWnd, uID); });
    tray->show();
    return tray;
}

bool addReal(const NOTIFYICONDATA &data)
{
    const QIcon icon = shownIcon(data.uFlags & NIF_ICON ? data.hIcon : 0);
    const QString tip = data.uFlags & NIF_TIP ? tipOf(data) : QString();
    Shown shown;
    if (StatusNotifierItem::hostPresent())
        shown.item = dbusItem(icon, tip, data.hWnd, data.uID);
    else
        shown.tray =
            qtTray(icon, tip, data.hWnd, data.uID, data.uFlags & NIF_MESSAGE ? data.uCallbackMessage : 0);
    if (!shown.item && !shown.tray)
        return false;
    state().trays[{data.hWnd, data.uID}] = std::move(shown);
    return true;
}

} // namespace

bool NotificationArea::isAvailable()
{
    if (state().simulated)
        return *state().simulated;
    return StatusNotifierItem::hostPresent() || QSystemTrayIcon::isSystemTrayAvailable();
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
    state().menus.clear();
    state().messages.clear();
    state().messageClicked.clear();
}

void NotificationArea::activate(int32_t hWnd, int32_t uID, int32_t mouseMessage, std::optional<QPoint> at)
{
    for (const Icon &icon : state().icons)
        if (icon.record.hWnd == hWnd && icon.record.uID == uID && (icon.record.uFlags & NIF_MESSAGE))
            SendMessageAt(at, hWnd, icon.record.uCallbackMessage, uID, mouseMessage);
}

void NotificationArea::setMenu(int32_t hWnd, int32_t uID, std::function<QStringList()> captions,
                               std::function<void(int)> choose)
{
    state().menus[{hWnd, uID}] = {std::move(captions), std::move(choose)};
}

bool NotificationArea::showMessage(int32_t hWnd, int32_t uID, const QString &title, const QString &text,
                                   std::function<void()> clicked)
{
    const auto &icons = state().icons;
    if (std::none_of(icons.begin(), icons.end(),
                     [&](const Icon &i) { return i.record.hWnd == hWnd && i.record.uID == uID; }))
        return false;
    if (auto shown = state().trays.find({hWnd, uID}); shown != state().trays.end()) {
        if (shown->second.item)
            shown->second.item->showMessage(title, text);
        else
            shown->second.tray->showMessage(title, text, shown->second.tray->icon());
    }
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
        state().menus.erase({data.hWnd, data.uID});
        if (auto shown = state().trays.find({data.hWnd, data.uID}); shown != state().trays.end()) {
            // The icon may be removed from inside its own activation (the
            // tray menu's Exit): hiding it would destroy the window that is
            // still handling that press, so it goes once control is back in
            // the event loop.
            if (shown->second.item)
                shown->second.item.release()->deleteLater();
            if (shown->second.tray)
                shown->second.tray.release()->deleteLater();
            state().trays.erase(shown);
        }
        return true;
    default:
        return false;
    }
}

} // namespace tk
