#pragma once
// The main window: borderless, its frame drawn by skin pictures, holding the
// tabbed browser control. Its own caption buttons minimise it, toggle it
// between screen-wide and its normal size and hide it into the tray; a left
// press on the caption bar or the bare form moves it.

#include "Command.h"
#include "WBControl.h"
#include "toolkit/ControlArray.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"

#include <memory>

class Form1 : public tk::Form {
public:
    Form1();
    ~Form1() override;

    void Form_Load() override;
    void Form_Unload(int16_t &cancel) override;
    void Form_Resize() override;

    // Caption buttons. The state lives only in which picture is visible.
    void ImageMin_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageMin_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageMin_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageSize_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageSize_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageSize_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageExit_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageExit_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void ImageExit_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);

    // The bare form and the caption bar: leaving a button, and dragging.
    void Form_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void Form_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void ImageTopMiddle_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void ImageTopMiddle_MouseDown(int16_t Button, int16_t Shift, float X, float Y);

    // Opens the address dialog below the caption bar.
    void CommandOpenURL_Click();
    // What the address dialog's text does: it opens in a new tab, and the
    // window comes back, centred and out of full screen.
    void openInNewTab(const QString &text);
    // Gives the keyboard to the selected page, when the window is shown.
    void takeKeyboard();
    // Opens the find form at the page's top right, below the tab strip; its
    // searches go to the selected page.
    void showFindForm();

    // The eight frame pieces, in stacking order from the bottom.
    tk::Image ImageTopLeft;
    tk::Image ImageTopMiddle;
    tk::Image ImageTopRight;
    tk::Image ImageMiddleRight;
    tk::Image ImageButtomRight;
    tk::Image ImageButtomMiddle;
    tk::Image ImageButtomLeft;
    tk::Image ImageMiddleLeft;
    // Caption buttons: element 0 normal, 1 hover, 2 pressed.
    tk::ControlArray<tk::Image> ImageMin;
    tk::ControlArray<tk::Image> ImageExit;
    tk::ControlArray<tk::Image> ImageSize;
    tk::Image Image1;
    tk::Label Label1;
    WBControl WBControl1;
    std::unique_ptr<command::Command> CommandOpenURL;

protected:
    void onMouseMove(int16_t Button, int16_t Shift, float X, float Y) override
    {
        Form_MouseMove(Button, Shift, X, Y);
    }
    void onMouseDown(int16_t Button, int16_t Shift, float X, float Y) override
    {
        Form_MouseDown(Button, Shift, X, Y);
    }
    void onSystemClose() override;

private:
    using ButtonHandler = void (Form1::*)(int16_t, int16_t, int16_t, float, float);
    void wireCaptionButton(tk::ControlArray<tk::Image> &button, ButtonHandler move, ButtonHandler down,
                           ButtonHandler up);
    void pressCaptionButton(ButtonHandler down, ButtonHandler up);
    void wireEvents();
    void showCaptionButtonsNormal();
    void moveWindow(int16_t Button);
};

// Shows the address dialog at a place, its text going to the main window's
// new tab and, once it has gone, the keyboard to the main window's page.
void showAddressDialog(float top, float left);
