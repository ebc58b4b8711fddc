#include "FormOpenUrl.h"

#include "SavedButton.h"

#include "Form1.h"
#include "Forms.h"
#include "Skin.h"
#include "toolkit/Color.h"
#include "toolkit/Screen.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

#include <QLineEdit>

using namespace tk;

namespace {
constexpr uint32_t kTextBackColor = 0x00FFEFDE;
constexpr int16_t kEnterKey = 13;
constexpr int16_t kEscapeKey = 27;

// Once the dialog has gone the keyboard belongs to the page the main window
// shows. Without a window manager nobody else would hand it over, and the
// keys would reach no window until the user clicked one.
void giveKeyboardToMainPage()
{
    if (!forms::Form1.isLoaded())
        return;
    Form1 &main = *forms::Form1;
    if (!main.isShown() || main.peer()->isMinimized())
        return;
    SetForegroundWindow(main.hWnd());
    ignoreErrors([&] { main.WBControl1.SetFocus(); });
}
} // namespace

FormOpenUrl::FormOpenUrl() : Text1(this)
{
    setCaption(QStringLiteral("打开网址"));
    setFixedDialog(true);
    setPicture(skin::picture(QStringLiteral("OpenUrlBack")));
    Move(Left(), Top(), 4785, 405);

    Text1.Move(80, 80, 3840, 270);
    Text1.setBackColor(colorFromBGR(kTextBackColor));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(10.5);
    Text1.setFont(font);
    Text1.setText(QString());
    Text1.events.KeyDown = [this](int16_t &k, int16_t &s) { Text1_KeyDown(k, s); };

    CommandOK = savedButton(this, QStringLiteral("FormOpenUrl.buttons.json"), QStringLiteral("CommandOK"));
    CommandOK->events.Click = [this] { CommandOK_Click(); };
}

void FormOpenUrl::showAt(float top, float left)
{
    setTop(top);
    setLeft(left);
    Show();
    peer()->raise();
    peer()->activateWindow();
    Text1.SetFocus();
}

void FormOpenUrl::CommandOK_Click()
{
    Form1 &main = *forms::Form1;
    ignoreErrors([&] { main.WBControl1.LeaveFullScreen(); });
    main.WBControl1.NewWindow(Text1.Text());
    main.setTop((Screen::Height() - main.Height()) / 2);
    main.setLeft((Screen::Width() - main.Width()) / 2);
    main.Show();
    SendMessageA(main.hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    // Destroyed once this handler has returned (the toolkit defers it).
    forms::FormOpenUrl.Unload();
    giveKeyboardToMainPage();
}

// What an address box does with the two keys: Enter opens, Escape closes.
void FormOpenUrl::Text1_KeyDown(int16_t &KeyCode, int16_t &)
{
    if (KeyCode == kEnterKey) {
        KeyCode = 0;
        CommandOK_Click();
    } else if (KeyCode == kEscapeKey) {
        KeyCode = 0;
        forms::FormOpenUrl.Unload();
        giveKeyboardToMainPage();
    }
}
