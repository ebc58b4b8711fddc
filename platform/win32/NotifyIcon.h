#pragma once
// The notification area. Shell_NotifyIconA takes the classic 88-byte record
// and shows the icon; the icon's activations come back as the record's
// callback message sent to the record's window, with the mouse message in
// lParam (515 a left double click, 516 a right press). A desktop that speaks
// D-Bus gets them after its call is answered, with its point (messagePlace).

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tk {

constexpr int32_t NIM_ADD = 0;
constexpr int32_t NIM_DELETE = 2;
constexpr int32_t NIF_MESSAGE = 1;
constexpr int32_t NIF_ICON = 2;
constexpr int32_t NIF_TIP = 4;

#pragma pack(push, 4)
struct NOTIFYICONDATA {
    int32_t cbSize;
    int32_t hWnd;
    int32_t uID;
    int32_t uFlags;
    int32_t uCallbackMessage;
    int32_t hIcon;
    char szTip[64];
};
#pragma pack(pop)
static_assert(sizeof(NOTIFYICONDATA) == 88, "the record is the classic 88-byte form");

// True when the icon was added (or removed); false where there is no
// notification area on this desktop.
bool Shell_NotifyIconA(int32_t dwMessage, const NOTIFYICONDATA &data);

// What the notification area shows, for tests and for the shell to ask.
class NotificationArea {
public:
    struct Icon {
        NOTIFYICONDATA record;
        QString tip; // the tip as shown: up to the NUL
    };
    struct Message {
        int32_t hWnd;
        int32_t uID;
        QString title;
        QString text;
    };
    static bool isAvailable();
    static const std::vector<Icon> &icons();
    // Tests get a notification area without a desktop, or none at all.
    static void simulate(bool available);
    // Acts as the user would on an icon: sends its callback message, as
    // having happened at a point on the screen if the desktop says where.
    static void activate(int32_t hWnd, int32_t uID, int32_t mouseMessage, std::optional<QPoint> at = {});
    // Desktops that show only a menu the icon exports (a D-Bus menu) show
    // this one: its captions, asked for when the desktop wants them ("-" a
    // separator line), and the command of the item chosen, by its place.
    static void setMenu(int32_t hWnd, int32_t uID, std::function<QStringList()> captions,
                        std::function<void(int)> choose);

    // A short message from an icon, as the desktop shows it (a balloon or a
    // notification); clicked runs when the user clicks it, until the next
    // message from that icon or the icon's removal. False, and nothing
    // shown, when the icon is not in the notification area.
    static bool showMessage(int32_t hWnd, int32_t uID, const QString &title, const QString &text,
                            std::function<void()> clicked);
    // The latest messages shown, oldest first.
    static const std::vector<Message> &messages();
    // Acts as the user would on an icon's latest message: clicks it.
    static void clickMessage(int32_t hWnd, int32_t uID);
};

} // namespace tk
