#pragma once
// The shell on the fake browser with a notification area, on a 1280 × 1024
// screen (19200 × 15360 twips). Afterwards the forms are unloaded and any
// hook a test set is cleared.

#include "Form1.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "Forms.h"
#include "browser/fake/FakeBrowser.h"
#include "toolkit/Screen.h"
#include "win32/NotifyIcon.h"

#include <gtest/gtest.h>

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        tk::FakeBrowser::install();
        tk::NotificationArea::simulate(true);
        tk::Screen::setOverrideSize(QSize(1280, 1024));
    }
    void TearDown() override
    {
        tk::NotificationArea::setAddHook(nullptr);
        tk::Form::setPopupHook(nullptr);
        forms::unloadAll();
        tk::FormInstanceBase::flushUnloaded();
        tk::FormInstanceBase::setLastFormUnloadedHandler(nullptr);
    }
};
