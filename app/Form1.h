#pragma once
// The main window: borderless, its frame drawn by skin pictures, holding the
// tabbed browser control.

#include "ControlArray.h"
#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "WBControl.h"

class Form1 : public tk::Form {
public:
    Form1();

    void Form_Load() override;
    void Form_Unload(int16_t &cancel) override;
    void Form_Resize() override;

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
};
