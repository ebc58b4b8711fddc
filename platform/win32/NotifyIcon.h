#pragma once
// The notification area. Shell_NotifyIconA takes the classic 88-byte record
// and shows the icon; the icon's activations come back as the record's
// callback message sent to the record's window, with the mouse message in
// lParam (515 a left double click, 516 a right press).

#include <QString>

#include <cstdint>
#include <functional>
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
    static bool isAvailable();
    static const std::vector<Icon> &icons();
    // Tests get a notification area without a desktop, or none at all.
    static void simulate(bool available);
    // Tests see each icon the moment it is added, before the caller goes on.
    static void setAddHook(std::function<void(const NOTIFYICONDATA &)> hook);
    // Acts as the user would on an icon: sends its callback message.
    static void activate(int32_t hWnd, int32_t uID, int32_t mouseMessage);
};

} // namespace tk
