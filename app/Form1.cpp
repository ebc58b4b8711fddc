#include "Form1.h"

#include "SavedButton.h"

#include "FormFind.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "FormSignIn.h"
#include "Forms.h"
#include "ModulePublicVariables.h"
#include "ModuleSubClass.h"
#include "ModuleTrayIcon.h"
#include "Skin.h"
#include "toolkit/Accessible.h"
#include "toolkit/Color.h"
#include "toolkit/Screen.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

using namespace tk;

namespace {

// A caption button's pictures, by element index.
constexpr int16_t kNormal = 0;
constexpr int16_t kHover = 1;
constexpr int16_t kPressed = 2;

// The normal size the size button restores, in twips, and how much shorter
// than the screen the screen-wide window is.
constexpr float kNormalWidth = 13000;
constexpr float kNormalHeight = 9000;
constexpr float kScreenWideShortfall = 500;

// The find form lies over the page's top right corner, clear of the strip.
constexpr float kFindDrop = 900;
constexpr float kFindInset = 600;

void setSkin(Image &image, const char *name, float left, float top, bool stretch)
{
    image.setStretch(stretch);
    image.setPicture(skin::picture(QLatin1String(name)));
    image.Move(left, top);
}

// A caption button's three pictures, stacked at one place.
void makeCaptionButton(ControlArray<Image> &button, const char *name)
{
    for (int16_t i = 1; i <= 2; ++i)
        button.Load(i);
    for (int16_t i = 0; i <= 2; ++i) {
        button(i).setPicture(skin::picture(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i)));
        button(i).setVisible(i == 0);
    }
}

// The picture of a caption button that shows, which a screen reader hears of.
QObject *shownPicture(const ControlArray<Image> &button)
{
    for (int16_t i = 1; i <= 2; ++i)
        if (button(i).Visible())
            return button(i).peer();
    return button(0).peer();
}

// Shows one of a caption button's pictures, setting elements 0, 1, 2 in turn.
void showPicture(ControlArray<Image> &button, int16_t shown)
{
    for (int16_t i = 0; i <= 2; ++i)
        button(i).setVisible(i == shown);
}

} // namespace

Form1::Form1()
    : ImageTopLeft(this), ImageTopMiddle(this), ImageTopRight(this), ImageMiddleRight(this),
      ImageButtomRight(this), ImageButtomMiddle(this), ImageButtomLeft(this), ImageMiddleLeft(this),
      ImageMin(std::make_unique<Image>(this)), ImageExit(std::make_unique<Image>(this)),
      ImageSize(std::make_unique<Image>(this)), Image1(this), Label1(this), WBControl1(this)
{
    setCaption(QStringLiteral("Tavrin"));
    setBorderless(true);
    setBackColor(colorFromBGR(skin::kBackColor));
    peer()->setWindowIcon(QIcon(skin::resource(QStringLiteral("Image1.png"))));

    // The design: sizes in twips, the scaled pieces stretched.
    setSkin(ImageTopLeft, "ImageTopLeft", 0, 0, false);
    setSkin(ImageTopMiddle, "ImageTopMiddle", 270, 0, true);
    ImageTopMiddle.Move(270, 0, 13545, 270);
    setSkin(ImageTopRight, "ImageTopRight", 13320, 0, false);
    setSkin(ImageMiddleLeft, "ImageMiddleLeft", 0, 270, true);
    ImageMiddleLeft.Move(0, 270, 135, 8520);
    setSkin(ImageMiddleRight, "ImageMiddleRight", 13425, 270, true);
    ImageMiddleRight.Move(13425, 270, 120, 8520);
    setSkin(ImageButtomLeft, "ImageButtomLeft", 0, 8790, false);
    setSkin(ImageButtomMiddle, "ImageButtomMiddle", 270, 8790, true);
    ImageButtomMiddle.Move(270, 8790, 13005, 240);
    setSkin(ImageButtomRight, "ImageButtomRight", 13320, 8790, false);
    makeCaptionButton(ImageMin, "ImageMin");
    makeCaptionButton(ImageExit, "ImageExit");
    makeCaptionButton(ImageSize, "ImageSize");
    for (int16_t i = 0; i <= 2; ++i) {
        ImageMin(i).Move(12135, 0);
        ImageSize(i).Move(12580, 0);
        ImageExit(i).Move(13015, 0);
    }
    Image1.setPicture(skin::picture(QStringLiteral("Image1")));
    Image1.Move(120, 15, 345, 345);
    Label1.setCaption(QStringLiteral("Tavrin"));
    Label1.setFont(QFont(QStringLiteral("宋体"), 9));
    Label1.setForeColor(QColor(0x33, 0x4E, 0x73));
    Label1.Move(480, 100, 900, 180);

    WBControl1.Move(60, 380, 13425, 8590);
    // Stacking, bottom to top: the frame, the caption buttons (maximise over
    // the minimise button it overlaps), the logo and caption, then the
    // controls that are windows of their own.
    for (auto *array : {&ImageMin, &ImageExit, &ImageSize})
        for (int16_t i = 0; i <= 2; ++i)
            (*array)(i).ZOrder(0);
    Image1.ZOrder(0);
    Label1.ZOrder(0);
    WBControl1.ZOrder(0);
    // The address button, as the form's saved data describes it.
    CommandOpenURL =
        savedButton(this, QStringLiteral("Form1.buttons.json"), QStringLiteral("CommandOpenURL"));
    Move(0, 0, 13545, 9030);
    wireEvents();
    for (int16_t i = 0; i <= 2; ++i) {
        ImageMin(i).peer()->setAccessibleName(QStringLiteral("最小化"));
        ImageExit(i).peer()->setAccessibleName(QStringLiteral("关闭"));
    }
    // A screen reader hears of the buttons and the tabbed control, in the
    // order they lie in, and of none of the frame's pieces.
    describe(peer(), this, {.role = QAccessible::Window, .children = [this] {
                                return std::vector<QObject *>{CommandOpenURL->peer(), shownPicture(ImageMin),
                                                              shownPicture(ImageSize),
                                                              shownPicture(ImageExit), WBControl1.peer()};
                            }});
}

Form1::~Form1()
{
    forgetDescriptions(this);
}

void Form1::wireCaptionButton(ControlArray<Image> &button, ButtonHandler move, ButtonHandler down,
                              ButtonHandler up)
{
    button.setWiring([this, move, down, up](int16_t index, Image &element) {
        element.events.MouseMove = [this, move, index](int16_t b, int16_t s, float x, float y) {
            (this->*move)(index, b, s, x, y);
        };
        element.events.MouseDown = [this, down, index](int16_t b, int16_t s, float x, float y) {
            (this->*down)(index, b, s, x, y);
        };
        element.events.MouseUp = [this, up, index](int16_t b, int16_t s, float x, float y) {
            (this->*up)(index, b, s, x, y);
        };
        // Out of the window over its edge, the pointer crosses neither the
        // bare form nor the caption bar.
        element.events.MouseLeave = [this] { showCaptionButtonsNormal(); };
        describe(element.peer(), this,
                 {.role = QAccessible::Button, .press = [this, down, up] { pressCaptionButton(down, up); }});
    });
}

// A press and a release in place, as a screen reader's press or a key makes.
void Form1::pressCaptionButton(ButtonHandler down, ButtonHandler up)
{
    (this->*down)(kNormal, kLeftButton, 0, 0, 0);
    (this->*up)(kNormal, kLeftButton, 0, 0, 0);
}

void Form1::wireEvents()
{
    CommandOpenURL->events.Click = [this] { CommandOpenURL_Click(); };
    wireCaptionButton(ImageMin, &Form1::ImageMin_MouseMove, &Form1::ImageMin_MouseDown,
                      &Form1::ImageMin_MouseUp);
    wireCaptionButton(ImageSize, &Form1::ImageSize_MouseMove, &Form1::ImageSize_MouseDown,
                      &Form1::ImageSize_MouseUp);
    wireCaptionButton(ImageExit, &Form1::ImageExit_MouseMove, &Form1::ImageExit_MouseDown,
                      &Form1::ImageExit_MouseUp);

    ImageTopMiddle.events.MouseMove = [this](int16_t b, int16_t s, float x, float y) {
        ImageTopMiddle_MouseMove(b, s, x, y);
    };
    ImageTopMiddle.events.MouseDown = [this](int16_t b, int16_t s, float x, float y) {
        ImageTopMiddle_MouseDown(b, s, x, y);
    };

    WBControl1.events.FindRequested = [this] { showFindForm(); };
    WBControl1.events.FindResult = [](int active, int matches) {
        if (forms::FormFind.isLoaded())
            forms::FormFind->showResult(active, matches);
    };
    WBControl1.events.FindEnded = [] { forms::FormFind.Unload(); };

    // A page's sign-in is asked over its tab; the form follows the selection.
    WBControl1.events.AuthenticationRequired = [](int16_t &Index, const QString &site, const QString &,
                                                  bool proxy, QString &user, QString &password,
                                                  bool &signIn) {
        signIn = FormSignIn::ask({Index, site, proxy}, user, password);
    };
    WBControl1.events.AuthenticationWithdrawn = [](int16_t &Index) { FormSignIn::withdraw(Index); };
    WBControl1.events.SelectTab = [this] { FormSignIn::tabSelected(WBControl1.CurrentTab); };

    // The address keys of every browser open the address dialog, as the
    // button does; the tabbed control binds the keys of its pages itself.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::CTRL | Qt::Key_T), QKeySequence(Qt::Key_F6)})
        bindShortcut(keys, [this] { CommandOpenURL_Click(); });
    // The close button's and the tray menu's commands have keys too.
    bindShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W),
                 [this] { pressCaptionButton(&Form1::ImageExit_MouseDown, &Form1::ImageExit_MouseUp); });
    bindShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [] { forms::FormMenu->m_Exit_Click(); });
    bindShortcut(QKeySequence(Qt::Key_F1), [] { forms::FormMenu->m_About_Click(); });
}

void Form1::Form_Load()
{
    setTop(0);
    setLeft(0);
    AddTrayIcon();
    OldWindowProc = GetWindowLongA(hWnd(), GWL_WNDPROC);
    SetWindowLongA(hWnd(), GWL_WNDPROC, AddressOf(&WindowProc));
    // The keyboard starts in the page, as in any browser, not on the button.
    WBControl1.SetFocus();
}

// Closed by the system (window manager, session end): the program ends, the
// tray icon removed by this form's unload.
void Form1::onSystemClose()
{
    forms::unloadAll();
}

void Form1::Form_Unload(int16_t &)
{
    DeleteTrayIcon();
}

void Form1::Form_Resize()
{
    // A resize ends any hover or press: the pointer may no longer be there.
    for (auto *button : {&ImageMin, &ImageExit, &ImageSize})
        for (int16_t i = 0; i <= 2; ++i)
            ignoreErrors([button, i] { (*button)(i).setVisible(i == kNormal); });
    const QString sizeName = Width() == Screen::Width() ? QStringLiteral("还原") : QStringLiteral("最大化");
    for (int16_t i = 0; i <= 2; ++i)
        if (ImageSize(i).peer()->accessibleName() != sizeName)
            ImageSize(i).peer()->setAccessibleName(sizeName);

    const float W = Width(), H = Height();
    using Set = void (Control::*)(float);
    const Set top = &Control::setTop, left = &Control::setLeft, width = &Control::setWidth,
              height = &Control::setHeight;
    struct Placement {
        Control *piece;
        Set set;
        float value;
    };
    const float exitLeft = W - ImageExit(0).Width() - 50;
    const float sizeLeft = exitLeft - ImageSize(0).Width();
    const float minLeft = sizeLeft - ImageMin(0).Width() + 20; // overlapping the size button, under it
    std::vector<Placement> placements{
        {&ImageTopLeft, top, 0},
        {&ImageTopLeft, left, 0},
        // The caption bar runs under the right corner, which covers its end.
        {&ImageTopMiddle, top, 0},
        {&ImageTopMiddle, left, ImageTopLeft.Width()},
        {&ImageTopMiddle, width, W},
        {&ImageTopRight, top, 0},
        {&ImageTopRight, left, W - ImageTopRight.Width()},
        {&ImageMiddleLeft, top, ImageTopLeft.Height()},
        {&ImageMiddleLeft, left, 0},
        {&ImageMiddleLeft, height, H - ImageTopLeft.Height() - ImageButtomLeft.Height()},
        {&ImageMiddleRight, top, ImageTopRight.Height()},
        {&ImageMiddleRight, left, W - ImageMiddleRight.Width()},
        {&ImageMiddleRight, height, H - ImageTopRight.Height() - ImageButtomRight.Height()},
        {&ImageButtomLeft, left, 0},
        {&ImageButtomLeft, top, H - ImageButtomLeft.Height()},
        {&ImageButtomMiddle, top, H - ImageButtomMiddle.Height()},
        {&ImageButtomMiddle, width, W - ImageButtomLeft.Width() - ImageButtomRight.Width()},
        {&ImageButtomMiddle, left, ImageButtomLeft.Width()},
        {&ImageButtomRight, top, H - ImageButtomRight.Height()},
        {&ImageButtomRight, left, W - ImageButtomRight.Width()},
    };
    // The caption buttons from the right edge, each of their three pictures.
    for (int16_t i = 0; i <= 2; ++i)
        placements.insert(placements.end(), {{&ImageMin(i), left, minLeft},
                                             {&ImageMin(i), top, 0},
                                             {&ImageSize(i), left, sizeLeft},
                                             {&ImageSize(i), top, 0},
                                             {&ImageExit(i), left, exitLeft},
                                             {&ImageExit(i), top, 0}});
    // The browser control fills the frame's inside.
    placements.insert(placements.end(), {{&WBControl1, left, 60},
                                         {&WBControl1, top, 380},
                                         {&WBControl1, width, W - 60 - 60},
                                         {&WBControl1, height, H - 380 - 60}});
    // Every step on its own: a value a control refuses (a negative size in a
    // very small window) is skipped and the rest of the layout still runs.
    for (const Placement &p : placements)
        ignoreErrors([&p] { (p.piece->*p.set)(p.value); });
}

void Form1::ImageMin_MouseMove(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageMin, kHover);
}
void Form1::ImageMin_MouseDown(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageMin, kPressed);
}

// A press counts as a click only while its picture is still showing: any
// move in between turned the button back to its hover picture.
void Form1::ImageMin_MouseUp(int16_t, int16_t, int16_t, float, float)
{
    if (!ImageMin(kPressed).Visible())
        return;
    // Brought back, the window shows its buttons at rest.
    showCaptionButtonsNormal();
    SendMessageA(hWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void Form1::ImageSize_MouseMove(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageSize, kHover);
}
void Form1::ImageSize_MouseDown(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageSize, kPressed);
}

// Screen-wide is not a system state: the window counts as screen-wide
// exactly when it is as wide as the screen, however it got so.
void Form1::ImageSize_MouseUp(int16_t, int16_t, int16_t, float, float)
{
    if (!ImageSize(kPressed).Visible())
        return;
    if (Width() != Screen::Width()) {
        setTop(0);
        setLeft(0);
        setHeight(Screen::Height() - kScreenWideShortfall);
        setWidth(Screen::Width());
    } else {
        centreOnScreen(*this, kNormalWidth, kNormalHeight);
        setHeight(kNormalHeight);
        setWidth(kNormalWidth);
    }
}

void Form1::ImageExit_MouseMove(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageExit, kHover);
}
void Form1::ImageExit_MouseDown(int16_t, int16_t, int16_t, float, float)
{
    showPicture(ImageExit, kPressed);
}

void Form1::ImageExit_MouseUp(int16_t, int16_t, int16_t, float, float)
{
    if (!ImageExit(kPressed).Visible())
        return;
    // The pointer is not over the button when the window comes back.
    showCaptionButtonsNormal();
    // A page full screen would stay on the screen without its window, and
    // so would a search in it.
    WBControl1.LeaveFullScreen();
    forms::FormFind.Unload();
    // Only the tray icon can bring a hidden window back; without one the
    // window is minimised instead, so it stays on the taskbar.
    if (TrayIconAdded)
        Hide();
    else
        SendMessageA(hWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

// No event says the pointer left a button: crossing the bare form or the
// caption bar puts all three back to normal.
void Form1::Form_MouseMove(int16_t, int16_t, float, float)
{
    showCaptionButtonsNormal();
}
void Form1::ImageTopMiddle_MouseMove(int16_t, int16_t, float, float)
{
    showCaptionButtonsNormal();
}

void Form1::showCaptionButtonsNormal()
{
    showPicture(ImageMin, kNormal);
    showPicture(ImageExit, kNormal);
    showPicture(ImageSize, kNormal);
}

void Form1::CommandOpenURL_Click()
{
    showAddressDialog(Top() + 800, Left());
}

void Form1::openInNewTab(const QString &text)
{
    ignoreErrors([&] { WBControl1.LeaveFullScreen(); });
    WBControl1.NewWindow(text);
    centreOnScreen(*this);
    Show();
    SendMessageA(hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
}

// Without a window manager nobody else would hand the keyboard over, and the
// keys would reach no window until the user clicked one.
void Form1::takeKeyboard()
{
    if (!isShown() || peer()->isMinimized())
        return;
    SetForegroundWindow(hWnd());
    ignoreErrors([&] { WBControl1.SetFocus(); });
}

void Form1::showFindForm()
{
    // A page full screen would cover the form.
    ignoreErrors([this] { WBControl1.LeaveFullScreen(); });
    FormFind &form = *forms::FormFind;
    form.events.Find = [this](const QString &text, bool backward) { WBControl1.findInPage(text, backward); };
    form.events.Gone = [] {
        if (!forms::Form1.isLoaded())
            return;
        forms::Form1->WBControl1.endFind();
        forms::Form1->takeKeyboard();
    };
    form.showAt(Top() + kFindDrop, Left() + Width() - form.Width() - kFindInset);
}

void showAddressDialog(float top, float left)
{
    FormOpenUrl &dialog = *forms::FormOpenUrl;
    dialog.events.Submit = [](const QString &text) { forms::Form1->openInNewTab(text); };
    dialog.events.Gone = [] {
        if (forms::Form1.isLoaded())
            forms::Form1->takeKeyboard();
    };
    dialog.showAt(top, left);
}

void Form1::Form_MouseDown(int16_t Button, int16_t, float, float)
{
    moveWindow(Button);
}
void Form1::ImageTopMiddle_MouseDown(int16_t Button, int16_t, float, float)
{
    moveWindow(Button);
}

// A left press acts as a press on a system caption: the system moves the
// window with the pointer until the button is released.
void Form1::moveWindow(int16_t Button)
{
    if (Button != kLeftButton)
        return;
    ReleaseCapture();
    SendMessageA(hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}
