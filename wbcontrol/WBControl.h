#pragma once
// The tabbed browser control: a strip of tabs along its top and, below it,
// the page of the selected tab. A tab is one index into parallel control
// arrays; List1 holds the open tabs other than tab 0 in strip order, List2
// the closed tabs kept for reuse, CurrentTab the selected one.

#include "FullScreenWindow.h"
#include "TabLayout.h"
#include "TabSet.h"
#include "browser/BrowserControl.h"
#include "toolkit/ControlArray.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Line.h"
#include "toolkit/ListBox.h"
#include "toolkit/PictureBox.h"
#include "toolkit/Shortcut.h"
#include "toolkit/UserControl.h"

#include <QFont>
#include <QHash>
#include <QObject>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace wbcontrol {
class TabKeys;
}

class WBControl : public tk::UserControl {
public:
    explicit WBControl(tk::Control *container);
    ~WBControl() override;

    // Public operations.
    void TabResize();
    // Opens a tab at the right end of the strip, navigates it to url as given
    // and selects it. Returns the tab opened; none when no index is left or
    // the tab's controls or browser could not be made, and then the lists and
    // the selection are as they were.
    std::optional<int16_t> NewWindow(const QString &url);

    // Page commands, always on the selected tab.
    void RefreshPage();
    void StopLink();
    void Goforward(); // nothing happens when there is no page that way
    void Goback();
    QString url() const;
    // Navigates the selected tab, then reports "URL" through PropertyChanged.
    void seturl(const QVariant &New_URL);
    QString title() const;
    // 1 when the text already starts with "http://" (exactly so), or with
    // "about:b" or "file://" in any letter case; 0 otherwise.
    static int16_t chkurl(const QString &url);

    // Full screen: only the selected tab's page may fill the screen. Leaving
    // puts the page back in its tab and tells the page; the window was never
    // touched, so it is as it was. Nothing happens when no page is full screen.
    void LeaveFullScreen();
    std::optional<int16_t> fullScreenTab() const { return m_fullScreenTab; }
    // What the keys do (TabKeys.h). Closes the selected tab as its close
    // button does: tab 0 stays.
    void closeSelectedTab();
    // Selects the tab step places along the strip, wrapping round, as a
    // click on it does.
    void selectAdjacentTab(int step);
    // Zooms the selected page one step in (+1), out (-1), or back to 100 % (0).
    void zoom(int direction);
    // Prints the selected page through the desktop's print dialog.
    void printPage();

    // Find in page, one search at a time, in the selected tab (FindInPage.cpp).
    // The host's find form searches through findInPage and hears FindResult.
    // The search ends, its marks cleared and FindEnded raised, when another
    // tab is selected or its tab navigates or closes; endFind ends it
    // without the event.
    void findInPage(const QString &text, bool backward);
    void endFind();
    std::optional<int16_t> findTab() const { return m_findTab; }
    // Ctrl+F raises FindRequested; F3 steps through a search (+1 next, -1
    // previous) and, with none, raises FindRequested as well.
    void requestFind();
    void findAgain(int direction);

    // Events raised to the host, in their order of declaration.
    struct Events {
        std::function<void()> SelectTab;
        std::function<void(int16_t &Index, QString &url)> URLChang;
        std::function<void(int16_t &Index, int32_t Progress, int32_t ProgressMax)> ProgressChange;
        std::function<void(int16_t &Index)> DownloadComplete;
        std::function<void(int16_t &Index, const QString &szProperty)> PropertyChange;
        std::function<void(int16_t &Index, QVariant &url)> DownloadBegin;
        std::function<void(int16_t &Index, tk::WebBrowser *pDisp, QVariant &url)> NavigateComplete2;
        std::function<void(int16_t &Index, const QString &Text)> TitleChange;
        std::function<void(int16_t &Index, QVariant &url)> BeforeNavigate2;
        // The host's property store hears which property changed.
        std::function<void(const QString &PropertyName)> PropertyChanged;
        // Find in page: the user asked to find; the latest search's active
        // match (from 1) and count; the control ended the search.
        std::function<void()> FindRequested;
        std::function<void(int ActiveMatch, int Matches)> FindResult;
        std::function<void()> FindEnded;
        // A tab's page asks the user to sign in, and its engine waits for the
        // answer; withdrawn, the question went away meanwhile (its tab was
        // closed or sent elsewhere). See WebBrowserEvents.
        std::function<void(int16_t &Index, const QString &site, const QString &realm, bool proxy,
                           QString &user, QString &password, bool &signIn)>
            AuthenticationRequired;
        std::function<void(int16_t &Index)> AuthenticationWithdrawn;
    } events;

    // The tabs as a model: the lists and CurrentTab below are kept in step
    // with it after every operation.
    const wbcontrol::TabSet &tabs() const { return m_tabs; }

    // The address tab 0 opens at start: the page shipped beside the program.
    static QString startPage();

    // Per-tab control arrays (one index per tab).
    tk::ControlArray<tk::PictureBox> MTab;
    tk::ControlArray<tk::Image> bgLeft;
    tk::ControlArray<tk::Image> bgCenter;
    tk::ControlArray<tk::Image> bgRight;
    tk::ControlArray<tk::Image> TIcon;
    tk::ControlArray<tk::Label> Tstr;
    tk::ControlArray<tk::PictureBox> Tcbt;
    tk::ControlArray<tk::PictureBox> WBCnt;
    tk::ControlArray<tk::BrowserControl> WB;

    // Source pictures, never shown themselves.
    tk::Image TLeft0, TCenter0, TRight0;
    tk::Image TLeft1, TCenter1, TRight1;
    tk::Image TLeft2, TCenter2, TRight2;
    tk::Image tc0, tc1, tc2;
    tk::Image Icon1;

    tk::Label LabelTest;
    tk::ListBox List1;
    tk::ListBox List2;
    tk::Line Line1, Line2, Line3, Line4, Line5;

    int16_t CurrentTab = 0;

protected:
    void onResize() override;
    void onGotFocus() override { UserControl_GotFocus(); }

private:
    void wireEvents();
    void updateStopKey();
    void wireStripEvents();
    void UserControl_Initialize();
    void UserControl_Resize();
    void UserControl_GotFocus();

    // The tab strip's mouse handling, each with the index of the tab.
    void MTab_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void MTab_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void Tcbt_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void Tcbt_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void Tcbt_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    // Text dropped on any piece of a tab opens in that tab and selects it.
    void MTab_OLEDragDrop(int16_t Index, tk::DataObject &Data, int32_t &Effect, int16_t Button, int16_t Shift,
                          float X, float Y);

    void CloseTab(int16_t Index);
    void closeGap(const std::vector<int16_t> &open);
    void SetTabCaption(int16_t Index, const QString &Text);
    double captionWidth(const QString &candidate);
    // Where a tab's page is from: its whole title and its address, shown
    // while the pointer rests on the tab.
    void updateTabTip(int16_t Index);

    // The three looks of a tab: selected, normal, under the pointer.
    enum class Skin { Selected = 0, Normal = 1, Hover = 2 };
    void applySkin(int16_t index, Skin skin);
    void placePage(int16_t index);
    void placeProvisionally(int16_t index);
    void clearTitle(int16_t index);
    bool loadTab(int16_t index);

    // Browser events, each with the index of the tab whose browser fired.
    void WB_ProgressChange(int16_t Index, int32_t Progress, int32_t ProgressMax);
    void WB_DownloadBegin(int16_t Index);
    void WB_DownloadComplete(int16_t Index);
    void WB_TitleChange(int16_t Index, const QString &Text);
    void WB_PropertyChange(int16_t Index, const QString &szProperty);
    void WB_BeforeNavigate2(int16_t Index, const QString &URL, bool &Cancel);
    void WB_NavigateComplete2(int16_t Index, tk::WebBrowser *pDisp, const QString &URL);
    void WB_NewWindow2(int16_t Index, tk::WebBrowser *&ppDisp, bool &Cancel);
    void WB_WindowClosing(int16_t Index, bool IsChildWindow, bool &Cancel);
    void WB_FullScreenRequested(int16_t Index, bool On, bool &Accept);
    void WB_AuthenticationRequired(int16_t Index, const QString &site, const QString &realm, bool proxy,
                                   QString &user, QString &password, bool &signIn);

    void enterFullScreen(int16_t index);
    void fillFullScreen();
    void placeBrowser(int16_t index, const wbcontrol::Rect &r);
    // Ends a search in tab index, if it has one, and tells the host.
    void findEndedIn(int16_t index);

    void layoutTab(int16_t index, int position, int16_t width);
    // What a screen reader hears of: the strip as a list of page tabs, each
    // named by its title, and the selected tab's page.
    void describeStrip();
    void describeTab(int16_t index, tk::PictureBox &tab);
    // Debug builds check that the controls show what the model holds.
    void checkInStep() const;

    wbcontrol::TabSet m_tabs;
    // Stands for the strip, which has no widget of its own, to a screen reader.
    QObject m_tabList;

    // LabelTest's measured widths, for the font they were measured in.
    QHash<QString, double> m_captionWidths;
    QFont m_measuredFont;

    // Made on the first request and kept: Escape's binding lives in it and
    // is bound only while a page is full screen, so pages keep Escape otherwise.
    std::unique_ptr<FullScreenWindow> m_fullScreen;
    std::unique_ptr<tk::Shortcut> m_leaveKey;
    std::optional<int16_t> m_fullScreenTab;
    wbcontrol::Rect m_pagePlace{};    // where the full-screen page goes back to in its tab
    std::optional<int16_t> m_findTab; // the tab searched, while a search runs
    QString m_findText;
    // Last, so the keys go before anything they act on.
    std::unique_ptr<wbcontrol::TabKeys> m_keys;
};
