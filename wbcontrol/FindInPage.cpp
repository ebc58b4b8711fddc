// Find in page: one search at a time, in the selected tab, for the host's
// find form. The engine marks the matches; the control only keeps which tab
// is searched and ends the search when that tab stops being the one shown.
#include "WBControl.h"
#include "toolkit/TkError.h"

using namespace tk;

void WBControl::requestFind()
{
    raise(events.FindRequested);
}

void WBControl::findInPage(const QString &text, bool backward)
{
    if (m_findTab != CurrentTab)
        endFind();
    const int16_t tab = CurrentTab;
    m_findTab = tab;
    m_findText = text;
    // The answer comes later from the engine: only the tab still searched hears it.
    WB(tab)->findText(text, backward, [this, tab](int active, int matches) {
        if (m_findTab == tab)
            raise(events.FindResult, active, matches);
    });
}

void WBControl::findAgain(int direction)
{
    if (!m_findTab || m_findText.isEmpty())
        requestFind();
    else
        findInPage(m_findText, direction < 0);
}

void WBControl::endFind()
{
    const std::optional<int16_t> tab = std::exchange(m_findTab, std::nullopt);
    m_findText.clear();
    if (tab)
        ignoreErrors([&] { WB(*tab)->findText(QString(), false, {}); });
}

void WBControl::findEndedIn(int16_t index)
{
    if (m_findTab != index)
        return;
    endFind();
    ignoreErrors([this] { raise(events.FindEnded); });
}
