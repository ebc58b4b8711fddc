#pragma once
// The tabbed control in a shown form, every tab's browser on the real engine.

#include "EngineSupport.h"
#include "WBControl.h"
#include "browser/webengine/QtWebBrowser.h"

class ShellOnEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { tk::registerQtWebBrowserFactory(); }
    void SetUp() override
    {
        host.Move(0, 0, 12000, 8000);
        tabs.Move(0, 0, 12000, 8000);
        host.Show();
    }
    ::testing::AssertionResult titled(int16_t i, const QString &title)
    {
        if (waitUntil([&] { return c().WB(i)->LocationName() == title; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "tab " << i << " is titled " << c().WB(i)->LocationName().toStdString();
    }
    WBControl::Parts c() { return tabs.parts(); }
    QStringList open() { return c().List1.items(); }

    tk::Form host;
    WBControl tabs{&host};
};
