#pragma once
// The window a page fills the screen in: borderless, black behind the page,
// with nothing of the frame's. The tabbed control moves the page's browser
// into it and back.

#include "toolkit/Form.h"

#include <functional>

class FullScreenWindow : public tk::Form {
public:
    FullScreenWindow();

    struct Events {
        std::function<void()> Resize;
        // The system closes the window: the page is to go back, the window stays.
        std::function<void()> Close;
    } events;

protected:
    void Form_Resize() override { tk::raise(events.Resize); }
    void onSystemClose() override { tk::raise(events.Close); }
};
