#include "Command.h"

#include "ColorMath.h"
#include "toolkit/Accessible.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TkError.h"
#include "toolkit/Twips.h"
#include "win32/SysColors.h"
#include "win32/Win32.h"

#include <QKeySequence>

#include <limits>

namespace command {

namespace {

float pixelsOf(float twips)
{
    return twips / float(tk::kTwipsPerPixel);
}

constexpr int32_t kDefaultRectColor = 0x58C3FA;
constexpr int16_t kDefaultPercent = 16;
constexpr int32_t kDefaultMidColor = 0x73C874;
constexpr int32_t kDefaultEndColor = 0xD7F6D7;
constexpr int32_t kDefaultMouseMoveMidColor = 0x33A335;
constexpr int32_t kDefaultMouseMoveEndColor = 0xF4FCF5;
constexpr int32_t kDefaultMouseDownMidColor = 0x85D084;
constexpr int32_t kDefaultMouseDownEndColor = 0;
constexpr int32_t kDefaultOfficeXpFillColor = 0xA0DEDE;
constexpr int32_t kDefaultOfficeXpFrameColor = 0x42BCBC;
constexpr int32_t kDefaultOfficeXpMousemoveFillColor = 0xBADCDC;
constexpr int32_t kDefaultOfficeXpMousemoveFrameColor = 0x1807F;
const QString kDefaultLoadedCaption = QStringLiteral("wwbutton");

// Saved values convert as the classic store converts them: a value of the
// wrong kind is a type mismatch, a number too large for its property an
// overflow.
qint64 asInteger(const QVariant &v, qint64 min, qint64 max)
{
    bool ok = false;
    qint64 n = 0;
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        if (!(d >= double(min) - 0.5 && d <= double(max) + 0.5))
            throw tk::TkError(tk::kOverflow);
        n = roundEven(d);
        ok = true;
    } else if (v.typeId() != QMetaType::QString) {
        n = v.toLongLong(&ok);
    }
    if (!ok)
        throw tk::TkError(tk::kTypeMismatch);
    if (n < min || n > max)
        throw tk::TkError(tk::kOverflow);
    return n;
}

int32_t asInt32(const QVariant &v)
{
    return int32_t(asInteger(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int16_t asInt16(const QVariant &v)
{
    return int16_t(asInteger(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

bool asBool(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    return asInteger(v, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()) != 0;
}

QString asString(const QVariant &v)
{
    if (!v.canConvert<QString>())
        throw tk::TkError(tk::kTypeMismatch);
    return v.toString();
}

tk::StdFont asFont(const QVariant &v)
{
    if (v.metaType() != QMetaType::fromType<tk::StdFont>())
        throw tk::TkError(tk::kTypeMismatch);
    return v.value<tk::StdFont>();
}

QVariant fontValue(const tk::StdFont &f)
{
    return QVariant::fromValue(f);
}

// The access key of a caption: the character after the first single "&",
// looking past one doubled "&&"; none for anything else.
QString accessKeyOf(const QString &caption)
{
    if (caption.size() < 2)
        return QString();
    const qsizetype first = caption.indexOf(QLatin1Char('&'));
    if (first < 0 || first == caption.size() - 1)
        return QString();
    if (caption.at(first + 1) != QLatin1Char('&'))
        return caption.at(first + 1).toLower();
    const qsizetype next = caption.indexOf(QLatin1Char('&'), first + 2);
    if (next < 0 || next == caption.size() - 1 || caption.at(next + 1) == QLatin1Char('&'))
        return QString();
    return caption.at(next + 1).toLower();
}

// A caption as it reads: "&&" is one "&", any other "&" only marks its key.
QString withoutMarks(const QString &caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i)
        plain += caption.at(caption.at(i) == QLatin1Char('&') && i + 1 < caption.size() ? ++i : i);
    return plain;
}

} // namespace

Command::Command(tk::Control *container, const QString &name, const tk::AmbientProperties &ambient)
    : tk::Control(new tk::SurfaceWidget, container), m_name(name), m_ambient(ambient), m_Font(ambient.Font),
      m_accessKey(*this, [this] {
          const QString key = m_accessKeys;
          AccessKeyPress(key.isEmpty() ? 0 : int16_t(key.at(0).unicode()));
      })
{
    // A user control starts with its host's font.
    drawSurface().setFont(ambient.Font);
    // On a screen of another density the surface is drawn again at its scale.
    surfaceWidget()->densityChanged = [this] { PaintButton(m_DrawState, true); };

    m_Timer1.setEnabled(false);
    m_Timer1.setInterval(10);
    m_Timer1.onTimer = [this] { Timer1_Timer(); };
    // A screen reader's press is a click.
    tk::describe(peer(), this, {.role = QAccessible::Button, .press = [this] { UserControl_Click(); }});

    Initialize();
}

Command::~Command()
{
    m_Timer1.setEnabled(false);
    Terminate();
}

std::unique_ptr<Command> Command::fromSaved(tk::Control *container, const QString &formData,
                                            const QString &buttonName, const tk::AmbientProperties &ambient)
{
    const tk::PropertyBag bag = tk::savedControl(tk::readFormData(formData), buttonName);
    auto button = std::make_unique<Command>(container, buttonName, ambient);
    button->ReadProperties(bag);
    const auto twips = [&bag](const char *key) {
        bool ok = false;
        const double v = bag.ReadProperty(QLatin1String(key), 0).toDouble(&ok);
        if (!ok)
            throw tk::TkError(tk::kTypeMismatch);
        return float(v);
    };
    button->Move(twips("_left"), twips("_top"), twips("_extentx"), twips("_extenty"));
    return button;
}

tk::PropertyBag Command::saved() const
{
    tk::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("_left"), double(Left()));
    bag.WriteProperty(QStringLiteral("_top"), double(Top()));
    bag.WriteProperty(QStringLiteral("_extentx"), double(Width()));
    bag.WriteProperty(QStringLiteral("_extenty"), double(Height()));
    WriteProperties(bag);
    return bag;
}

tk::SurfaceWidget *Command::surfaceWidget() const
{
    return static_cast<tk::SurfaceWidget *>(peer());
}

tk::DrawSurface &Command::drawSurface()
{
    return surfaceWidget()->surface();
}

const tk::DrawSurface &Command::surface() const
{
    return surfaceWidget()->surface();
}

void Command::recordChange(const char *name)
{
    tk::raise(events.PropertyChanged, QString::fromLatin1(name));
}

// ---- Properties -------------------------------------------------------------

// Most properties take the value, maybe reload the scheme's colours, show
// it and tell the host.
void Command::change(int32_t &field, int32_t value, const char *name, Scheme scheme)
{
    field = value;
    if (scheme == Scheme::Reload)
        LoadSchemeColors();
    repaint();
    recordChange(name);
}

void Command::setPercent(int16_t value)
{
    // Kept even when refused, as callers may read it back; painting copes
    // with any split.
    m_Percent = value;
    if (value < 0 || value > 100)
        throw tk::TkError(tk::kInvalidPropertyValue);
    repaint();
    recordChange("Percent");
}

#define COMMAND_COLOR_SETTER(Name)                                                                           \
    void Command::set##Name(int32_t value)                                                                   \
    {                                                                                                        \
        change(m_##Name, value, #Name, Scheme::Keep);                                                        \
    }
COMMAND_COLOR_SETTER(MidColor)
COMMAND_COLOR_SETTER(EndColor)
COMMAND_COLOR_SETTER(MouseMoveMidColor)
COMMAND_COLOR_SETTER(MouseMoveEndColor)
COMMAND_COLOR_SETTER(MouseDownMidColor)
COMMAND_COLOR_SETTER(MouseDownEndColor)
COMMAND_COLOR_SETTER(OfficeXpFillColor)
COMMAND_COLOR_SETTER(OfficeXpFrameColor)
COMMAND_COLOR_SETTER(OfficeXpMousemoveFillColor)
COMMAND_COLOR_SETTER(OfficeXpMousemoveFrameColor)
#undef COMMAND_COLOR_SETTER

void Command::setEnabled(bool value)
{
    setSurfaceEnabled(value);
    UserControl_Resize();
    recordChange("Enabled");
}

void Command::setFont(const tk::StdFont &value)
{
    m_Font = value;
    drawSurface().setFont(m_Font);
    repaint();
    recordChange("Font");
}

void Command::setHWnd(int32_t)
{
    throw tk::TkError(m_ambient.UserMode ? tk::kReadOnlyAtRunTime : tk::kReadOnlyAtDesignTime);
}

void Command::setButtonType(int32_t value)
{
    m_ButtonType = value;
    LoadSchemeColors();
    if (value == 4)
        applyStyle4Preset();
    UserControl_Resize();
    recordChange("ButtonType");
}

void Command::applyStyle4Preset()
{
    m_Percent = 53;
    setGradientColors({RGB(124, 171, 255), RGB(191, 211, 255), RGB(157, 203, 255), RGB(209, 231, 255),
                       RGB(100, 153, 255), RGB(191, 211, 255)});
}

void Command::setGradientColors(const std::array<int32_t, 6> &c)
{
    m_MidColor = c[0];
    m_EndColor = c[1];
    m_MouseMoveMidColor = c[2];
    m_MouseMoveEndColor = c[3];
    m_MouseDownMidColor = c[4];
    m_MouseDownEndColor = c[5];
}

void Command::setCaption(const QString &value)
{
    m_Caption = value;
    UpdateAccessKey();
    repaint();
    recordChange("Caption");
}

void Command::setrectcolor(int32_t value)
{
    // Shows at the next paint.
    m_rectcolor = value;
    recordChange("rectcolor");
}

void Command::setShowFocusRect(bool value)
{
    m_ShowFocusRect = value;
    repaint();
    recordChange("ShowFocusRect");
}

void Command::LoadSchemeColors()
{
    switch (m_ColorScheme) {
    case 2:
        m_Palette.Face = m_BackColor;
        m_Palette.Text = m_ForeColor;
        m_Palette.Shadow = ShadeColor(m_BackColor, -64, false);
        m_Palette.Light = ShadeColor(m_BackColor, 31, false);
        m_Palette.Highlight = ShadeColor(m_BackColor, 47, false);
        m_Palette.DarkShadow = ShadeColor(m_BackColor, -192, false);
        break;
    case 3:
        m_Palette = Palette{0xC0C0C0, 0xDFDFDF, 0xFFFFFF, 0x808080, 0, 0};
        m_OfficeXpFillColor = RGB(236, 233, 216);
        m_OfficeXpFrameColor = RGB(172, 169, 154);
        m_OfficeXpMousemoveFillColor = RGB(193, 210, 238);
        m_OfficeXpMousemoveFrameColor = RGB(49, 105, 198);
        break;
    default:
        m_Palette.Face = tk::GetSysColor(tk::COLOR_BTNFACE);
        m_Palette.Shadow = tk::GetSysColor(tk::COLOR_BTNSHADOW);
        m_Palette.Light = tk::GetSysColor(tk::COLOR_3DLIGHT);
        m_Palette.DarkShadow = tk::GetSysColor(tk::COLOR_3DDKSHADOW);
        m_Palette.Highlight = tk::GetSysColor(tk::COLOR_BTNHIGHLIGHT);
        m_Palette.Text = m_ForeColor;
        if (m_ButtonType == 4) {
            setGradientColors({RGB(197, 197, 197), RGB(238, 238, 238), RGB(123, 167, 211), RGB(210, 245, 251),
                               RGB(227, 167, 105), RGB(252, 220, 199)});
        }
        break;
    }
}

void Command::UpdateAccessKey()
{
    m_accessKeys = accessKeyOf(m_Caption);
    peer()->setAccessibleName(withoutMarks(m_Caption));
    m_accessKey.setKeys(m_accessKeys.isEmpty()
                            ? QKeySequence()
                            : QKeySequence(QStringLiteral("Alt+") + m_accessKeys.toUpper()));
}

// ---- Painting ---------------------------------------------------------------

ButtonLook Command::look(uint8_t state) const
{
    ButtonLook b;
    b.state = state;
    b.hover = m_IsHover;
    b.focus = m_HasFocus && m_ShowFocusRect;
    b.defaultFrame = (m_ShowFocusRect && m_ambient.DisplayAsDefault) || b.focus;
    b.enabled = Enabled();
    b.style = m_ButtonType;
    b.scheme = m_ColorScheme;
    b.xpType = m_XpType;
    b.percent = m_Percent;
    b.width = m_W;
    b.height = m_H;
    b.palette = m_Palette;
    b.caption = m_Caption;
    b.colors = StyleColors{m_MidColor,
                           m_EndColor,
                           m_MouseMoveMidColor,
                           m_MouseMoveEndColor,
                           m_MouseDownMidColor,
                           m_MouseDownEndColor,
                           m_OfficeXpFillColor,
                           m_OfficeXpFrameColor,
                           m_OfficeXpMousemoveFillColor,
                           m_OfficeXpMousemoveFrameColor};
    b.rectColor = m_rectcolor;
    b.focusRect = m_FocusRect;
    return b;
}

void Command::PaintButton(uint8_t state, bool force)
{
    if (!force && m_Caption == m_LastCaption && state == m_DrawState)
        return;
    if (m_H == 0)
        return;
    m_DrawState = state;
    m_LastCaption = m_Caption;

    tk::DrawSurface &s = drawSurface();
    s.Cls();
    paintButton(s, look(state), m_TextRects);
    peer()->update();
}

// ---- Life cycle -------------------------------------------------------------

void Command::Initialize()
{
    m_LastButton = 1;
    m_TextRects.pressed.left = 2;
    m_TextRects.pressed.top = 2;
    LoadSchemeColors();
}

void Command::InitProperties()
{
    m_BackColor = tk::GetSysColor(tk::COLOR_BTNFACE);
    m_ForeColor = tk::GetSysColor(tk::COLOR_BTNTEXT);
    setSurfaceEnabled(true);
    m_Font = surface().font();
    m_hWnd = 0;
    m_ButtonType = 1;
    m_Caption = m_name;
    m_ColorScheme = 1;
    m_XpType = 1;
    m_ShowFocusRect = true;
    m_rectcolor = kDefaultRectColor;
    m_DrawState = kNormalLook;
    m_Percent = kDefaultPercent;
    setGradientColors({kDefaultMidColor, kDefaultEndColor, kDefaultMouseMoveMidColor,
                       kDefaultMouseMoveEndColor, kDefaultMouseDownMidColor, kDefaultMouseDownEndColor});
    m_OfficeXpFillColor = kDefaultOfficeXpFillColor;
    m_OfficeXpFrameColor = kDefaultOfficeXpFrameColor;
    m_OfficeXpMousemoveFillColor = kDefaultOfficeXpMousemoveFillColor;
    m_OfficeXpMousemoveFrameColor = kDefaultOfficeXpMousemoveFrameColor;
}

void Command::ReadProperties(const tk::PropertyBag &PropBag)
{
    const auto read = [&PropBag](const char *key, const QVariant &def) {
        return PropBag.ReadProperty(QLatin1String(key), def);
    };
    m_BackColor = asInt32(read("BackColor", tk::GetSysColor(tk::COLOR_BTNFACE)));
    m_ForeColor = asInt32(read("ForeColor", tk::GetSysColor(tk::COLOR_BTNTEXT)));
    const bool enabled = asBool(read("Enabled", true));
    m_Font = asFont(read("Font", fontValue(m_ambient.Font)));
    m_hWnd = asInt32(read("hWnd", 0));
    m_ButtonType = asInt32(read("ButtonType", 1));
    m_XpType = asInt32(read("XpType", 1));
    m_Caption = asString(read("Caption", kDefaultLoadedCaption));
    m_ColorScheme = asInt32(read("ColorScheme", 1));
    m_ShowFocusRect = asBool(read("ShowFocusRect", true));
    setSurfaceEnabled(enabled);
    drawSurface().setFont(m_Font);
    LoadSchemeColors();
    UpdateAccessKey();
    // Read after the scheme, so saved colours win over its presets.
    m_rectcolor = asInt32(read("rectcolor", kDefaultRectColor));
    m_Percent = asInt16(read("Percent", kDefaultPercent));
    m_MidColor = asInt32(read("MidColor", kDefaultMidColor));
    m_EndColor = asInt32(read("EndColor", kDefaultEndColor));
    m_MouseMoveEndColor = asInt32(read("MouseMoveEndColor", kDefaultMouseMoveEndColor));
    m_MouseMoveMidColor = asInt32(read("MouseMoveMidColor", kDefaultMouseMoveMidColor));
    m_MouseDownEndColor = asInt32(read("MouseDownEndColor", kDefaultMouseDownEndColor));
    m_MouseDownMidColor = asInt32(read("MouseDownMidColor", kDefaultMouseDownMidColor));
    m_OfficeXpFillColor = asInt32(read("OfficeXpFillColor", kDefaultOfficeXpFillColor));
    m_OfficeXpFrameColor = asInt32(read("OfficeXpFrameColor", kDefaultOfficeXpFrameColor));
    m_OfficeXpMousemoveFillColor =
        asInt32(read("OfficeXpMousemoveFillColor", kDefaultOfficeXpMousemoveFillColor));
    m_OfficeXpMousemoveFrameColor =
        asInt32(read("OfficeXpMousemoveFrameColor", kDefaultOfficeXpMousemoveFrameColor));
    m_DrawState = kNormalLook;
    PaintButton(m_DrawState, true);
}

void Command::WriteProperties(tk::PropertyBag &PropBag) const
{
    const auto write = [&PropBag](const char *key, const QVariant &value, const QVariant &def) {
        PropBag.WriteProperty(QLatin1String(key), value, def);
    };
    write("BackColor", m_BackColor, tk::GetSysColor(tk::COLOR_BTNFACE));
    write("ForeColor", m_ForeColor, tk::GetSysColor(tk::COLOR_BTNTEXT));
    write("Enabled", Enabled(), true);
    write("Font", fontValue(m_Font), fontValue(m_ambient.Font));
    write("hWnd", m_hWnd, 0);
    write("ButtonType", m_ButtonType, 1);
    write("XpType", m_XpType, 1);
    write("Caption", m_Caption, kDefaultLoadedCaption);
    write("ColorScheme", m_ColorScheme, 1);
    write("ShowFocusRect", m_ShowFocusRect, true);
    write("rectcolor", m_rectcolor, kDefaultRectColor);
    write("Percent", int(m_Percent), int(kDefaultPercent));
    write("MidColor", m_MidColor, kDefaultMidColor);
    write("EndColor", m_EndColor, kDefaultEndColor);
    write("MouseMoveMidColor", m_MouseMoveMidColor, kDefaultMouseMoveMidColor);
    write("MouseMoveEndColor", m_MouseMoveEndColor, kDefaultMouseMoveEndColor);
    write("MouseDownMidColor", m_MouseDownMidColor, kDefaultMouseDownMidColor);
    write("MouseDownEndColor", m_MouseDownEndColor, kDefaultMouseDownEndColor);
    write("OfficeXpFillColor", m_OfficeXpFillColor, kDefaultOfficeXpFillColor);
    write("OfficeXpFrameColor", m_OfficeXpFrameColor, kDefaultOfficeXpFrameColor);
    write("OfficeXpMousemoveFillColor", m_OfficeXpMousemoveFillColor, kDefaultOfficeXpMousemoveFillColor);
    write("OfficeXpMousemoveFrameColor", m_OfficeXpMousemoveFrameColor, kDefaultOfficeXpMousemoveFrameColor);
}

void Command::AmbientChanged(const QString &)
{
    repaint();
}

void Command::setAmbient(const tk::AmbientProperties &ambient)
{
    m_ambient = ambient;
    AmbientChanged(QString());
}

void Command::AccessKeyPress(int16_t)
{
    UserControl_Click();
}

void Command::Terminate()
{
    // The window region belongs to the window; nothing else is held.
}

// ---- Input ------------------------------------------------------------------

void Command::UserControl_GotFocus()
{
    m_HasFocus = true;
    repaint();
}

void Command::UserControl_LostFocus()
{
    m_HasFocus = false;
    repaint();
}

void Command::UserControl_MouseDown(int16_t Button, int16_t Shift, float X, float Y)
{
    if (!Enabled())
        return;
    m_LastButton = uint8_t(Button);
    if (Button != tk::kRightButton)
        m_DrawState = kPressedLook;
    repaint();
    tk::raise(events.MouseDown, Button, Shift, X, Y);
}

void Command::UserControl_MouseUp(int16_t Button, int16_t Shift, float X, float Y)
{
    if (!Enabled())
        return;
    if (Button != tk::kRightButton)
        m_DrawState = kNormalLook;
    repaint();
    tk::raise(events.MouseUp, Button, Shift, X, Y);
}

void Command::UserControl_Click()
{
    if (!Enabled())
        return;
    if (m_LastButton == tk::kLeftButton)
        m_DrawState = kNormalLook;
    repaint();
    // The released look is on screen before the host's handler runs.
    surfaceWidget()->Refresh();
    tk::raise(events.Click);
}

void Command::UserControl_DblClick()
{
    if (!Enabled())
        return;
    // The second press of a double click presses the button again.
    if (m_LastButton == tk::kLeftButton)
        UserControl_MouseDown(1, 1, 1, 1);
}

void Command::UserControl_MouseMove(int16_t Button, int16_t Shift, float X, float Y)
{
    if (!Enabled())
        return;
    if (Button != 0 && Button != tk::kLeftButton)
        return;
    m_Timer1.setEnabled(true);
    if (X < 0 || X > float(m_W) || Y < 0 || Y > float(m_H))
        return;
    tk::raise(events.MouseMove, Button, Shift, X, Y);
    if (Button == tk::kLeftButton) {
        PaintButton(kPressedLook, false);
    } else if (!m_IsHover) {
        m_IsHover = true;
        PaintButton(kNormalLook, true);
    }
}

void Command::Timer1_Timer()
{
    tk::POINTAPI pt;
    tk::GetCursorPos(pt);
    tk::ScreenToClient(hWnd(), pt);
    if (pt.x >= 0 && pt.y >= 0 && pt.x <= m_W && pt.y <= m_H)
        return;
    m_Timer1.setEnabled(false);
    tk::raise(events.MouseOut);
    m_IsHover = false;
    PaintButton(kNormalLook, true);
}

void Command::UserControl_KeyDown(int16_t &KeyCode, int16_t &Shift)
{
    if (!Enabled())
        return;
    tk::raise(events.KeyDown, KeyCode, Shift);
    m_LastKey = KeyCode;
    if (KeyCode == tk::vbKeySpace)
        UserControl_MouseDown(1, 1, 1, 1);
    else if (KeyCode == tk::vbKeyRight || KeyCode == tk::vbKeyDown)
        surfaceWidget()->moveFocus(true);
    else if (KeyCode == tk::vbKeyLeft || KeyCode == tk::vbKeyUp)
        surfaceWidget()->moveFocus(false);
}

void Command::UserControl_KeyPress(int16_t &KeyAscii)
{
    if (!Enabled())
        return;
    tk::raise(events.KeyPress, KeyAscii);
}

void Command::UserControl_KeyUp(int16_t &KeyCode, int16_t &Shift)
{
    if (!Enabled())
        return;
    tk::raise(events.KeyUp, KeyCode, Shift);
    if (m_LastKey == tk::vbKeySpace && KeyCode == tk::vbKeySpace) {
        UserControl_MouseUp(1, 1, 1, 1);
        m_LastButton = 1;
        UserControl_Click();
    }
}

// ---- Geometry ---------------------------------------------------------------

void Command::onMouseDown(int16_t Button, int16_t Shift, float X, float Y)
{
    UserControl_MouseDown(Button, Shift, pixelsOf(X), pixelsOf(Y));
}

void Command::onMouseMove(int16_t Button, int16_t Shift, float X, float Y)
{
    UserControl_MouseMove(Button, Shift, pixelsOf(X), pixelsOf(Y));
}

void Command::onMouseUp(int16_t Button, int16_t Shift, float X, float Y)
{
    UserControl_MouseUp(Button, Shift, pixelsOf(X), pixelsOf(Y));
}

void Command::UserControl_Resize()
{
    m_H = tk::toPixels(Height());
    m_W = tk::toPixels(Width());
    drawSurface().setScale(surfaceWidget()->deviceScale());
    drawSurface().setSize(m_W, m_H);
    m_TextRects.normal.right = m_W;
    m_TextRects.normal.bottom = m_H;
    m_TextRects.pressed.right = m_W;
    m_TextRects.pressed.bottom = m_H;
    m_FocusRect = tk::RECT{2, 2, m_W - 2, m_H - 2};
    MakeRegion();
    PaintButton(m_DrawState, true);
}

void Command::MakeRegion()
{
    QRegion region(0, 0, m_W, m_H);
    if (m_ButtonType == 3 || m_ButtonType == 4 || m_ButtonType == 8 || m_ButtonType == 9) {
        const int w = m_W, h = m_H;
        const QRect cut[] = {
            {0, 0, 2, 1}, {0, h - 1, 2, 1}, {w - 2, 0, 2, 1}, {w - 2, h - 1, 2, 1},
            {0, 1, 1, 1}, {0, h - 2, 1, 1}, {w - 1, 1, 1, 1}, {w - 1, h - 2, 1, 1},
        };
        for (const QRect &r : cut)
            region -= QRegion(r);
    }
    surfaceWidget()->setRegion(region);
}

} // namespace command
