// What the control's keys do beyond the page commands: closing and walking
// tabs, zoom, printing, and Escape while a page loads.
#include "TabKeys.h"
#include "WBControl.h"
#include "toolkit/TkError.h"

using namespace tk;

void WBControl::closeSelectedTab()
{
    CloseTab(CurrentTab);
}

void WBControl::selectAdjacentTab(int step)
{
    MTab_MouseDown(m_tabs.neighbour(step), kLeftButton, 0, 0, 0);
}

void WBControl::zoom(int direction)
{
    WebBrowser &page = WB(CurrentTab).browser();
    page.setZoomFactor(direction == 0 ? 1.0 : wbcontrol::nextZoom(page.zoomFactor(), direction));
}

void WBControl::printPage()
{
    WB(CurrentTab)->print();
}

// Escape belongs to the page unless the page shown is loading.
void WBControl::updateStopKey()
{
    if (m_keys)
        ignoreErrors([this] { m_keys->setLoading(WB(CurrentTab)->Busy()); });
}
