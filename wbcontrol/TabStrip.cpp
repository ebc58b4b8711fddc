// The strip's own look and feel: laying the tabs out, fitting their
// captions, their skins, the hover light and the close button's looks.
#include "Placing.h"
#include "WBControl.h"
#include "toolkit/Accessible.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

#include <initializer_list>

using namespace tk;
using wbcontrol::indexAt;
using wbcontrol::place;
using wbcontrol::sizeOf;

namespace {

constexpr qsizetype kMaxKeptWidths = 4096;
constexpr qsizetype kMaxTipAddress = 1000;

} // namespace

void WBControl::wireStripEvents()
{
    // Every piece of a tab takes drops and hands them to the tab body in its
    // terms: the whole tab is one drop target. Loaded elements keep the mode.
    for (Control *piece : std::initializer_list<Control *>{&MTab(0), &bgLeft(0), &bgCenter(0), &bgRight(0),
                                                           &TIcon(0), &Tstr(0), &Tcbt(0)})
        piece->setOLEDropMode(true);
    const auto dropOn = [this](int16_t i, auto &piece) {
        piece.events.OLEDragDrop = [this, i, &piece](DataObject &d, int32_t &e, int16_t b, int16_t s, float x,
                                                     float y) {
            MTab_OLEDragDrop(i, d, e, b, s, x + piece.Left(), y + piece.Top());
        };
    };

    MTab.setWiring([this](int16_t i, PictureBox &tab) {
        tab.events.OLEDragDrop = [this, i](DataObject &d, int32_t &e, int16_t b, int16_t s, float x,
                                           float y) { MTab_OLEDragDrop(i, d, e, b, s, x, y); };
        tab.events.MouseDown = [this, i](int16_t b, int16_t s, float x, float y) {
            MTab_MouseDown(i, b, s, x, y);
        };
        tab.events.MouseMove = [this, i](int16_t b, int16_t s, float x, float y) {
            MTab_MouseMove(i, b, s, x, y);
        };
        // The classic runtime ends a capture when the button comes up; a Qt
        // grab would outlive the click that selects a hovered tab.
        tab.events.MouseUp = [](int16_t, int16_t, float, float) { ReleaseCapture(); };
        describeTab(i, tab);
    });
    // Movement over the skin goes to the mouse-down handling: dragging over a
    // tab with the left button held selects it.
    auto wireSkinPiece = [this, dropOn](int16_t i, Image &piece) {
        dropOn(i, piece);
        piece.events.MouseDown = [this, i](int16_t b, int16_t s, float x, float y) {
            MTab_MouseDown(i, b, s, x, y);
        };
        piece.events.MouseMove = [this, i](int16_t b, int16_t s, float x, float y) {
            MTab_MouseDown(i, b, s, x, y);
        };
    };
    bgLeft.setWiring(wireSkinPiece);
    bgCenter.setWiring(wireSkinPiece);
    bgRight.setWiring(wireSkinPiece);
    // The icon and the caption pass their events on in the tab body's terms.
    auto wireInner = [this, dropOn](int16_t i, IntrinsicControl &piece) {
        dropOn(i, piece);
        piece.events.MouseDown = [this, i, &piece](int16_t b, int16_t s, float x, float y) {
            MTab_MouseDown(i, b, s, x + piece.Left(), y + piece.Top());
        };
        piece.events.MouseMove = [this, i, &piece](int16_t b, int16_t s, float x, float y) {
            MTab_MouseMove(i, b, s, x + piece.Left(), y + piece.Top());
        };
    };
    TIcon.setWiring([wireInner](int16_t i, Image &icon) { wireInner(i, icon); });
    Tstr.setWiring([wireInner](int16_t i, Label &caption) { wireInner(i, caption); });
    Tcbt.setWiring([this, dropOn](int16_t i, PictureBox &button) {
        dropOn(i, button);
        button.events.MouseDown = [this, i](int16_t b, int16_t s, float x, float y) {
            Tcbt_MouseDown(i, b, s, x, y);
        };
        button.events.MouseMove = [this, i](int16_t b, int16_t s, float x, float y) {
            Tcbt_MouseMove(i, b, s, x, y);
        };
        button.events.MouseUp = [this, i](int16_t b, int16_t s, float x, float y) {
            ReleaseCapture();
            Tcbt_MouseUp(i, b, s, x, y);
        };
        button.peer()->setAccessibleName(QStringLiteral("关闭页签"));
        describe(button.peer(), this, {.role = QAccessible::Button, .press = [this, i] { CloseTab(i); }});
    });
}

void WBControl::describeStrip()
{
    describe(peer(), this, {.children = [this] {
                 return std::vector<QObject *>{&m_tabList, WBCnt(CurrentTab).peer()};
             }});
    describe(&m_tabList, this,
             {.role = QAccessible::PageTabList,
              .children =
                  [this] {
                      std::vector<QObject *> tabs{MTab(0).peer()};
                      for (int16_t i : m_tabs.open())
                          tabs.push_back(MTab(i).peer());
                      return tabs;
                  },
              .parent = peer()});
}

// A press selects the tab as a click does; the selected tab holds its close
// button (tab 0 has none).
void WBControl::describeTab(int16_t i, PictureBox &tab)
{
    describe(tab.peer(), this,
             {.role = QAccessible::PageTab,
              .selected = [this, i] { return CurrentTab == i; },
              .press = [this, i] { MTab_MouseDown(i, kLeftButton, 0, 0, 0); },
              .children =
                  [this, i] {
                      return Tcbt.exists(i) && Tcbt(i).Visible() ? std::vector<QObject *>{Tcbt(i).peer()}
                                                                 : std::vector<QObject *>{};
                  },
              .parent = &m_tabList});
}

void WBControl::TabResize()
{
    const int n = List1.ListCount();
    const int16_t w = wbcontrol::tabWidth(Width(), n + 1);
    layoutTab(0, 0, w);
    SetTabCaption(0, m_tabs.title(0));
    for (int k = 0; k <= n - 1; ++k) {
        const int16_t i = indexAt(List1, k);
        layoutTab(i, k + 1, w);
        SetTabCaption(i, m_tabs.title(i));
    }
}

void WBControl::layoutTab(int16_t i, int position, int16_t w)
{
    PictureBox &tab = MTab(i);
    tab.Move(float(wbcontrol::tabLeft(position, w)), 0, w);
    place(TIcon(i), wbcontrol::iconRect(tab.Height(), sizeOf(TIcon(i))));
    place(Tcbt(i), wbcontrol::closeButtonRect(sizeOf(tab), sizeOf(Tcbt(i))));
    const wbcontrol::SkinPieces skin = wbcontrol::skinPieces(tab.Width());
    place(bgLeft(i), skin.left);
    place(bgCenter(i), skin.center);
    place(bgRight(i), skin.right);
}

void WBControl::SetTabCaption(int16_t Index, const QString &Text)
{
    if (Text.isEmpty())
        return;
    const QString title =
        WB(Index)->LocationURL().toUpper() == QLatin1String("ABOUT:BLANK") ? QStringLiteral("空白页") : Text;
    m_tabs.setTitle(Index, title);
    if (MTab(Index).peer()->accessibleName() != title)
        MTab(Index).peer()->setAccessibleName(title);
    // LabelTest and Tstr share one font: what is measured is what shows.
    const QString caption = wbcontrol::fitCaption(title, wbcontrol::captionRoom(MTab(Index).Width()),
                                                  [this](const QString &c) { return captionWidth(c); });
    Label &label = Tstr(Index);
    if (label.Caption() == caption)
        return;
    label.setCaption(caption);
    place(label, wbcontrol::captionRect(MTab(Index).Height(), sizeOf(label)));
}

void WBControl::updateTabTip(int16_t Index)
{
    const QString title = m_tabs.title(Index);
    QString address = WB(Index)->LocationURL();
    // A data: address can be megabytes: its start says enough.
    if (address.size() > kMaxTipAddress)
        address = address.left(kMaxTipAddress) + QChar(0x2026);
    MTab(Index).setToolTip(title.isEmpty() || address.isEmpty() ? title + address
                                                                : title + QLatin1Char('\n') + address);
}

double WBControl::captionWidth(const QString &candidate)
{
    // Measuring is text shaping, nearly all of a layout's time, and every
    // layout measures the same titles again: keep what LabelTest measured.
    if (LabelTest.font() != m_measuredFont || m_captionWidths.size() >= kMaxKeptWidths) {
        m_captionWidths.clear();
        m_measuredFont = LabelTest.font();
    }
    if (auto kept = m_captionWidths.constFind(candidate); kept != m_captionWidths.cend())
        return *kept;
    LabelTest.setCaption(candidate);
    return *m_captionWidths.insert(candidate, LabelTest.Width());
}

void WBControl::applySkin(int16_t i, Skin skin)
{
    const std::array<const Image *, 3> left{&TLeft0, &TLeft1, &TLeft2};
    const std::array<const Image *, 3> center{&TCenter0, &TCenter1, &TCenter2};
    const std::array<const Image *, 3> right{&TRight0, &TRight1, &TRight2};
    const size_t s = size_t(skin);
    const wbcontrol::SkinPieces at = wbcontrol::skinPieces(MTab(i).Width());
    bgLeft(i).setPicture(left[s]->picture());
    place(bgLeft(i), at.left);
    bgCenter(i).setPicture(center[s]->picture());
    place(bgCenter(i), at.center);
    bgRight(i).setPicture(right[s]->picture());
    place(bgRight(i), at.right);
}

void WBControl::MTab_MouseMove(int16_t Index, int16_t, int16_t, float X, float Y)
{
    if (Index == CurrentTab)
        return;
    const float w = MTab(Index).Width();
    const float h = MTab(Index).Height();
    if (X < 0 || Y < 0 || X > w || Y > h) {
        ReleaseCapture();
        if (bgLeft(Index).picture() != TLeft1.picture())
            applySkin(Index, Skin::Normal);
    } else {
        // Captured, the tab hears the pointer leave and can turn back.
        SetCapture(MTab(Index).hWnd());
        if (bgLeft(Index).picture() != TLeft2.picture())
            applySkin(Index, Skin::Hover);
    }
}

void WBControl::Tcbt_MouseDown(int16_t Index, int16_t Button, int16_t, float, float)
{
    if (Button == kLeftButton && Tcbt(Index).picture() != tc2.picture())
        Tcbt(Index).setPicture(tc2.picture());
}

void WBControl::Tcbt_MouseMove(int16_t Index, int16_t Button, int16_t, float X, float Y)
{
    PictureBox &button = Tcbt(Index);
    if (X < 0 || Y < 0 || X > button.Width() || Y > button.Height()) {
        ReleaseCapture();
        if (button.picture() != tc0.picture())
            button.setPicture(tc0.picture());
        return;
    }
    SetCapture(button.hWnd());
    const Image &look = Button == kLeftButton ? tc2 : tc1;
    if (button.picture() != look.picture())
        button.setPicture(look.picture());
}

void WBControl::Tcbt_MouseUp(int16_t Index, int16_t Button, int16_t, float X, float Y)
{
    const PictureBox &button = Tcbt(Index);
    if (Button == kLeftButton && X >= 0 && X <= button.Width() && Y >= 0 && Y <= button.Height())
        CloseTab(Index);
}
