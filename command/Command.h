#pragma once
// The gradient command button: an owner-drawn push button with five drawing
// styles, three colour schemes, hover tracking and saved design-time
// properties. It draws itself into a pixel surface and raises its eight
// events to the host.

#include "ButtonPaint.h"
#include "surface/DrawSurface.h"
#include "surface/SurfaceWidget.h"
#include "toolkit/Ambient.h"
#include "toolkit/Control.h"
#include "toolkit/PropertyBag.h"
#include "toolkit/Shortcut.h"
#include "toolkit/Timer.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace command {

class Command : public tk::Control {
public:
    // `name` is the instance name the host gave it (a new instance's caption).
    Command(tk::Control *container, const QString &name,
            const tk::AmbientProperties &ambient = tk::AmbientProperties());
    ~Command() override;

    // Loads one button of a form's saved data (see PropertyBag.h) and places
    // it on the container at its saved place and size.
    static std::unique_ptr<Command> fromSaved(tk::Control *container, const QString &formData,
                                              const QString &buttonName,
                                              const tk::AmbientProperties &ambient = tk::AmbientProperties());
    // The button as a form saves it: its own keys plus place and size.
    tk::PropertyBag saved() const;

    // Properties, in the order the class declares them.
    int32_t BackColor() const { return m_BackColor; }
    void setBackColor(int32_t value) { change(m_BackColor, value, "BackColor", Scheme::Reload); }
    int32_t ForeColor() const { return m_ForeColor; }
    void setForeColor(int32_t value) { change(m_ForeColor, value, "ForeColor", Scheme::Reload); }
    int16_t Percent() const { return m_Percent; }
    void setPercent(int16_t value); // outside 0..100: kept, then error 380, no repaint
    int32_t MidColor() const { return m_MidColor; }
    void setMidColor(int32_t value);
    int32_t EndColor() const { return m_EndColor; }
    void setEndColor(int32_t value);
    int32_t MouseMoveMidColor() const { return m_MouseMoveMidColor; }
    void setMouseMoveMidColor(int32_t value);
    int32_t MouseMoveEndColor() const { return m_MouseMoveEndColor; }
    void setMouseMoveEndColor(int32_t value);
    int32_t MouseDownMidColor() const { return m_MouseDownMidColor; }
    void setMouseDownMidColor(int32_t value);
    int32_t MouseDownEndColor() const { return m_MouseDownEndColor; }
    void setMouseDownEndColor(int32_t value);
    int32_t OfficeXpFillColor() const { return m_OfficeXpFillColor; }
    void setOfficeXpFillColor(int32_t value);
    int32_t OfficeXpFrameColor() const { return m_OfficeXpFrameColor; }
    void setOfficeXpFrameColor(int32_t value);
    int32_t OfficeXpMousemoveFillColor() const { return m_OfficeXpMousemoveFillColor; }
    void setOfficeXpMousemoveFillColor(int32_t value);
    int32_t OfficeXpMousemoveFrameColor() const { return m_OfficeXpMousemoveFrameColor; }
    void setOfficeXpMousemoveFrameColor(int32_t value);
    // Enabled() is the control's own.
    void setEnabled(bool value) override;
    const tk::StdFont &Font() const { return m_Font; }
    void setFont(const tk::StdFont &value);
    // hWnd() is the surface's window handle; it cannot be set: error 387 in
    // design mode, 382 at run time.
    void setHWnd(int32_t value);
    int32_t ButtonType() const { return m_ButtonType; }
    void setButtonType(int32_t value);
    const QString &Caption() const { return m_Caption; }
    void setCaption(const QString &value);
    int32_t ColorScheme() const { return m_ColorScheme; }
    void setColorScheme(int32_t value) { change(m_ColorScheme, value, "ColorScheme", Scheme::Reload); }
    int32_t XpType() const { return m_XpType; }
    void setXpType(int32_t value) { change(m_XpType, value, "XpType", Scheme::Keep); }
    int32_t rectcolor() const { return m_rectcolor; }
    void setrectcolor(int32_t value);
    bool ShowFocusRect() const { return m_ShowFocusRect; }
    void setShowFocusRect(bool value);

    // Life cycle, called by the host.
    void Initialize();
    void InitProperties();
    void ReadProperties(const tk::PropertyBag &PropBag);
    void WriteProperties(tk::PropertyBag &PropBag) const;
    void AmbientChanged(const QString &PropertyName);
    void AccessKeyPress(int16_t KeyAscii);
    void Terminate();

    const tk::AmbientProperties &Ambient() const { return m_ambient; }
    // Replaces the host's ambient properties and tells the control.
    void setAmbient(const tk::AmbientProperties &ambient);
    const QString &Name() const { return m_name; }
    // The access key taken from the caption ("" for none), in lower case.
    const QString &AccessKeys() const { return m_accessKeys; }

    // Draws the whole button for a look (kNormalLook or kPressedLook).
    // Unforced, it does nothing while the look and caption are unchanged.
    void PaintButton(uint8_t state, bool force);

    // Events raised to the host; a handler may change its arguments, and the
    // control reads KeyCode back. X and Y are the button's pixels.
    struct Events {
        std::function<void()> Click;
        std::function<void(int16_t &KeyCode, int16_t &Shift)> KeyDown;
        std::function<void(int16_t &KeyAscii)> KeyPress;
        std::function<void(int16_t &KeyCode, int16_t &Shift)> KeyUp;
        std::function<void(int16_t &Button, int16_t &Shift, float &X, float &Y)> MouseDown;
        std::function<void(int16_t &Button, int16_t &Shift, float &X, float &Y)> MouseMove;
        std::function<void(int16_t &Button, int16_t &Shift, float &X, float &Y)> MouseUp;
        std::function<void()> MouseOut;
        // The host's property store hears which property changed.
        std::function<void(const QString &PropertyName)> PropertyChanged;
    } events;

    // The state a host or test may look at.
    const tk::DrawSurface &surface() const;
    const Palette &palette() const { return m_Palette; }
    uint8_t DrawState() const { return m_DrawState; }
    bool IsHover() const { return m_IsHover; }
    bool HasFocus() const { return m_HasFocus; }
    int W() const { return m_W; }
    int H() const { return m_H; }
    const tk::RECT &TextRect() const { return m_TextRects.normal; }
    const tk::RECT &PressedTextRect() const { return m_TextRects.pressed; }
    tk::Timer &Timer1() { return m_Timer1; }

protected:
    // The surface's notifications arrive in twips; the button works in pixels.
    void onGotFocus() override { UserControl_GotFocus(); }
    void onLostFocus() override { UserControl_LostFocus(); }
    void onKeyDown(int16_t &KeyCode, int16_t &Shift) override { UserControl_KeyDown(KeyCode, Shift); }
    void onKeyPress(int16_t &KeyAscii) override { UserControl_KeyPress(KeyAscii); }
    void onKeyUp(int16_t &KeyCode, int16_t &Shift) override { UserControl_KeyUp(KeyCode, Shift); }
    void onClick() override { UserControl_Click(); }
    void onDblClick() override { UserControl_DblClick(); }
    void onMouseDown(int16_t Button, int16_t Shift, float X, float Y) override;
    void onMouseMove(int16_t Button, int16_t Shift, float X, float Y) override;
    void onMouseUp(int16_t Button, int16_t Shift, float X, float Y) override;
    void onResize() override { UserControl_Resize(); }
    bool takesKeys() const override { return true; }

private:
    // Handlers of the surface's notifications (X and Y in pixels).
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_KeyDown(int16_t &KeyCode, int16_t &Shift);
    void UserControl_KeyPress(int16_t &KeyAscii);
    void UserControl_KeyUp(int16_t &KeyCode, int16_t &Shift);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void UserControl_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void UserControl_MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void UserControl_Resize();
    void Timer1_Timer();

    void LoadSchemeColors();
    void MakeRegion();
    void UpdateAccessKey();
    // What a paint of the look (kNormalLook or kPressedLook) draws from.
    ButtonLook look(uint8_t state) const;

    tk::SurfaceWidget *surfaceWidget() const;
    tk::DrawSurface &drawSurface();
    void repaint() { PaintButton(m_DrawState, true); }
    void recordChange(const char *name);
    enum class Scheme { Keep, Reload };
    void change(int32_t &field, int32_t value, const char *name, Scheme scheme);
    void setSurfaceEnabled(bool value) { tk::Control::setEnabled(value); }
    void applyStyle4Preset();
    // Mid, end, mouse-move mid and end, mouse-down mid and end.
    void setGradientColors(const std::array<int32_t, 6> &colors);

    QString m_name;
    tk::AmbientProperties m_ambient;

    int32_t m_BackColor = 0;
    int32_t m_ForeColor = 0;
    int16_t m_Percent = 0;
    int32_t m_MidColor = 0;
    int32_t m_EndColor = 0;
    int32_t m_MouseMoveMidColor = 0;
    int32_t m_MouseMoveEndColor = 0;
    int32_t m_MouseDownMidColor = 0;
    int32_t m_MouseDownEndColor = 0;
    int32_t m_OfficeXpFillColor = 0;
    int32_t m_OfficeXpFrameColor = 0;
    int32_t m_OfficeXpMousemoveFillColor = 0;
    int32_t m_OfficeXpMousemoveFrameColor = 0;
    tk::StdFont m_Font;
    int32_t m_hWnd = 0; // the stored field; never changed by a set
    int32_t m_ButtonType = 0;
    QString m_Caption;
    int32_t m_ColorScheme = 0;
    int32_t m_XpType = 0;
    int32_t m_rectcolor = 0;
    bool m_ShowFocusRect = false;

    Palette m_Palette;
    uint8_t m_DrawState = kNormalLook;
    bool m_IsHover = false;
    bool m_HasFocus = false;
    uint8_t m_LastButton = 1;
    int16_t m_LastKey = 0;
    QString m_LastCaption;
    QString m_accessKeys;
    int m_W = 0;
    int m_H = 0;
    TextRects m_TextRects;
    tk::RECT m_FocusRect;

    tk::Timer m_Timer1;
    tk::Shortcut m_accessKey; // Alt + the access key
};

} // namespace command
