// A page full screen: only the selected tab's page may take the screen, and
// every way out puts it back where its tab would have it.
#include "Placing.h"
#include "WBControl.h"
#include "toolkit/TkError.h"

using namespace tk;
using wbcontrol::indexAt;
using wbcontrol::place;
using wbcontrol::sizeOf;

void WBControl::WB_FullScreenRequested(int16_t Index, bool On, bool &Accept)
{
    if (!On) {
        if (m_fullScreenTab == Index)
            LeaveFullScreen();
        return;
    }
    // A page in the background does not take the screen from the one shown.
    if (Index != CurrentTab)
        return;
    Accept = true;
    if (m_fullScreenTab != Index)
        enterFullScreen(Index);
}

void WBControl::enterFullScreen(int16_t i)
{
    if (!m_fullScreen) {
        m_fullScreen = std::make_unique<FullScreenWindow>();
        m_fullScreen->setDesktop(desktop());
        m_fullScreen->events.Resize = [this] { fillFullScreen(); };
        m_fullScreen->events.Close = [this] { LeaveFullScreen(); };
        m_leaveKey = std::make_unique<Shortcut>(*m_fullScreen, [this] { LeaveFullScreen(); });
    }
    BrowserControl &page = WB(i);
    m_pagePlace = {page.Left(), page.Top(), page.Width(), page.Height()};
    m_fullScreenTab = i;
    page.setContainer(*m_fullScreen);
    m_fullScreen->ShowFullScreen(*this);
    fillFullScreen();
    m_leaveKey->setKeys(QKeySequence(Qt::Key_Escape));
    ignoreErrors([&] { page.SetFocus(); });
}

void WBControl::placeBrowser(int16_t i, const wbcontrol::Rect &r)
{
    // A page full screen keeps filling the screen; it goes back to where the
    // tab would have put it meanwhile.
    if (m_fullScreenTab == i)
        m_pagePlace = r;
    else
        place(WB(i), r);
}

void WBControl::fillFullScreen()
{
    if (m_fullScreenTab)
        WB(*m_fullScreenTab).Move(0, 0, m_fullScreen->Width(), m_fullScreen->Height());
}

void WBControl::LeaveFullScreen()
{
    if (!m_fullScreenTab)
        return;
    const int16_t i = *m_fullScreenTab;
    // Cleared first: the page answers with its own leaving request.
    m_fullScreenTab.reset();
    m_leaveKey->setKeys(QKeySequence());
    BrowserControl &page = WB(i);
    ignoreErrors([&] { page.setContainer(WBCnt(i)); }, [&] { place(page, m_pagePlace); },
                 [&] { m_fullScreen->Hide(); }, [&] { page->ExitFullScreen(); },
                 [&] {
                     if (WBCnt(i).Visible())
                         page.SetFocus();
                 });
}
