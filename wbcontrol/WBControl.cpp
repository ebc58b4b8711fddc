#include "WBControl.h"

#include "Placing.h"
#include "Skin.h"
#include "TabKeys.h"
#include "TabLayout.h"
#include "TabSet.h"
#include "toolkit/Accessible.h"
#include "toolkit/Color.h"
#include "toolkit/Screen.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/TkError.h"

#include <QUrl>

using namespace tk;
using wbcontrol::indexAt;
using wbcontrol::place;
using wbcontrol::sizeOf;

namespace {

using wbcontrol::kTabHeight;

constexpr float kProvisionalStep = 2700; // a new tab's place until the strip is laid out
const QString kBlankPage = QStringLiteral("About:Blank");

QFont captionFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(9);
    return f;
}

void setSource(Image &image, const char *name)
{
    image.setVisible(false);
    image.setPicture(skin::picture(QLatin1String(name)));
}

// Whether an address would run script in the page its tab shows. Address
// parsing skips leading spaces and control characters and drops tabs and
// line breaks anywhere, so they do not hide the scheme.
bool isScriptAddress(const QString &text)
{
    static const QLatin1String scheme("javascript:");
    qsizetype k = 0;
    while (k < text.size() && (text.at(k).unicode() <= 0x20 || text.at(k).isSpace() ||
                               text.at(k).category() == QChar::Other_Control))
        ++k;
    qsizetype matched = 0;
    for (; k < text.size() && matched < scheme.size(); ++k) {
        const QChar c = text.at(k);
        if (c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c.toLower() != QLatin1Char(scheme.at(matched)))
            return false;
        ++matched;
    }
    return matched == scheme.size();
}

std::vector<int16_t> indicesIn(const ListBox &list)
{
    std::vector<int16_t> indices;
    indices.reserve(size_t(list.ListCount()));
    for (int k = 0; k < list.ListCount(); ++k)
        indices.push_back(indexAt(list, k));
    return indices;
}

template <class T> void loadIfMissing(ControlArray<T> &array, int16_t index)
{
    if (!array.exists(index))
        array.Load(index);
}

} // namespace

WBControl::WBControl(Control *container)
    : UserControl(container), MTab(std::make_unique<PictureBox>(this)),
      bgLeft(std::make_unique<Image>(&MTab(0))), bgCenter(std::make_unique<Image>(&MTab(0))),
      bgRight(std::make_unique<Image>(&MTab(0))), TIcon(std::make_unique<Image>(&MTab(0))),
      Tstr(std::make_unique<Label>(&MTab(0))), Tcbt(std::make_unique<PictureBox>(&MTab(0))),
      WBCnt(std::make_unique<PictureBox>(this)), WB(std::make_unique<BrowserControl>(&WBCnt(0))),
      TLeft0(this), TCenter0(this), TRight0(this), TLeft1(this), TCenter1(this), TRight1(this), TLeft2(this),
      TCenter2(this), TRight2(this), tc0(this), tc1(this), tc2(this), Icon1(this), LabelTest(this),
      Line1(this), Line2(this), Line3(this), Line4(this), Line5(this)
{
    // The design: what the control looks like before any code runs.
    setBackColor(colorFromBGR(skin::kBackColor));
    setSource(TLeft0, "TLeft0");
    setSource(TCenter0, "TCenter0");
    setSource(TRight0, "TRight0");
    setSource(TLeft1, "TLeft1");
    setSource(TCenter1, "TCenter1");
    setSource(TRight1, "TRight1");
    setSource(TLeft2, "TLeft2");
    setSource(TCenter2, "TCenter2");
    setSource(TRight2, "TRight2");
    setSource(tc0, "tc0");
    setSource(tc1, "tc1");
    setSource(tc2, "tc2");
    setSource(Icon1, "Icon1");

    LabelTest.setVisible(false);
    LabelTest.setFont(captionFont());
    LabelTest.setAutoSize(true);

    MTab(0).setBackColor(colorFromBGR(skin::kBackColor));
    MTab(0).Move(60, 0, 2700, kTabHeight);
    for (auto *piece : {&bgLeft(0), &bgCenter(0), &bgRight(0)}) {
        piece->setStretch(true);
        piece->Move(0, 0, 120, kTabHeight);
    }
    TIcon(0).setStretch(true);
    place(TIcon(0), wbcontrol::iconRect(kTabHeight, {240, 240}));
    Tstr(0).setFont(captionFont());
    Tstr(0).setAutoSize(true);
    Tstr(0).setCaption(QStringLiteral("MTabBox"));
    Tcbt(0).setTransparent(true);
    Tcbt(0).setPicture(tc0.picture());
    place(Tcbt(0), wbcontrol::closeButtonRect({2700, kTabHeight}, {225, 210}));
    Tcbt(0).setVisible(false);
    WBCnt(0).setBackColor(Qt::white);

    const QColor dark(136, 167, 211), light(214, 229, 251);
    Line1.setBorderColor(dark);
    Line2.setBorderColor(light);
    Line3.setBorderColor(light);
    Line4.setBorderColor(light);
    Line5.setBorderColor(dark);
    // Tabs lie over the lines, as every tab opened later does: the selected
    // tab's open bottom then meets the page, tab 0 included.
    MTab(0).ZOrder(0);

    wireEvents();
    wireStripEvents();
    describeStrip();
    UserControl_Initialize();
    m_keys = std::make_unique<wbcontrol::TabKeys>(
        *this,
        wbcontrol::TabCommands{[this] { closeSelectedTab(); }, [this](int step) { selectAdjacentTab(step); },
                               [this] { RefreshPage(); }, [this] { StopLink(); }, [this] { Goback(); },
                               [this] { Goforward(); }, [this](int direction) { zoom(direction); },
                               [this] { requestFind(); }, [this] { printPage(); },
                               [this](int direction) { findAgain(direction); }});
    updateStopKey();
}

// Members go in reverse order: the browsers before the containers that
// show them, the tab pieces before the tab bodies. A page still full screen
// goes back into its tab first, as the full-screen window goes before it.
WBControl::~WBControl()
{
    forgetDescriptions(this);
    ignoreErrors([this] { LeaveFullScreen(); });
}

QString WBControl::startPage()
{
    return QUrl::fromLocalFile(appPath() + QStringLiteral("/start.html")).toString();
}

void WBControl::wireEvents()
{
    WB.setWiring([this](int16_t i, BrowserControl &wb) {
        // A page shows no dialogs of its own from the start: a script address
        // runs without any navigation beginning.
        ignoreErrors([&] { wb->setSilent(true); });
        WebBrowserEvents &e = wb->events;
        e.ProgressChange = [this, i](int32_t p, int32_t m) { WB_ProgressChange(i, p, m); };
        e.DownloadBegin = [this, i] { WB_DownloadBegin(i); };
        e.DownloadComplete = [this, i] { WB_DownloadComplete(i); };
        e.TitleChange = [this, i](const QString &t) { WB_TitleChange(i, t); };
        e.PropertyChange = [this, i](const QString &p) { WB_PropertyChange(i, p); };
        e.BeforeNavigate2 = [this, i](const QString &u, bool &c) { WB_BeforeNavigate2(i, u, c); };
        e.NavigateComplete2 = [this, i](WebBrowser *d, const QString &u) { WB_NavigateComplete2(i, d, u); };
        e.NewWindow2 = [this, i](WebBrowser *&d, bool &c) { WB_NewWindow2(i, d, c); };
        e.WindowClosing = [this, i](bool child, bool &c) { WB_WindowClosing(i, child, c); };
        e.FullScreenRequested = [this, i](bool on, bool &a) { WB_FullScreenRequested(i, on, a); };
        e.AuthenticationRequired = [this, i](const QString &site, const QString &realm, bool proxy,
                                             QString &user, QString &password, bool &signIn) {
            WB_AuthenticationRequired(i, site, realm, proxy, user, password, signIn);
        };
        e.AuthenticationWithdrawn = [this, i] {
            int16_t index = i;
            raise(events.AuthenticationWithdrawn, index);
        };
    });
}

void WBControl::UserControl_Initialize()
{
    CurrentTab = 0;
    TIcon(0).setPicture(Icon1.picture());
    MTab(0).Move(60, 0, 2700, kTabHeight);
    place(Tstr(0), wbcontrol::centredCaptionRect(sizeOf(MTab(0)), sizeOf(Tstr(0))));
    place(TIcon(0), wbcontrol::startIconRect(MTab(0).Height(), sizeOf(TIcon(0))));
    applySkin(0, Skin::Selected);
    tk::startupMark("start page asked for");
    WB(0)->Navigate(startPage());
}

void WBControl::onResize()
{
    ignoreErrors([this] { UserControl_Resize(); });
}

void WBControl::UserControl_GotFocus()
{
    WB(CurrentTab).SetFocus();
}

void WBControl::UserControl_Resize()
{
    if (Height() > 600) {
        const std::array<Line *, 5> lines{&Line1, &Line2, &Line3, &Line4, &Line5};
        for (size_t k = 0; k < lines.size(); ++k) {
            lines[k]->setX1(0);
            lines[k]->setX2(Width());
            lines[k]->setY1(405 + 15 * float(k));
            lines[k]->setY2(405 + 15 * float(k));
        }
        PictureBox &page = WBCnt(CurrentTab);
        place(page, wbcontrol::pageRect(sizeOf(*this)));
        placeBrowser(CurrentTab, wbcontrol::browserRect(sizeOf(page)));
    }
    TabResize();
}

void WBControl::MTab_MouseDown(int16_t Index, int16_t Button, int16_t, float, float)
{
    if (Button == kLeftButton && Index != CurrentTab) {
        ignoreErrors([this] { LeaveFullScreen(); });
        const int16_t c = CurrentTab;
        // A page that had the keyboard focus hands it to the page shown in
        // its place, not to whatever control comes next.
        bool pageHadFocus = false;
        ignoreErrors([&] { pageHadFocus = WBCnt(c).containsFocus(); });
        ignoreErrors([&] { applySkin(c, Skin::Normal); }, [&] { Tcbt(c).setVisible(false); },
                     [&] { WBCnt(c).setVisible(false); }, [&] { applySkin(Index, Skin::Selected); },
                     [&] { WBCnt(Index).setVisible(true); },
                     [&] {
                         if (Index != 0)
                             Tcbt(Index).setVisible(true);
                     },
                     [&] { MTab(Index).setTop(0); });
        CurrentTab = Index;
        m_tabs.select(Index);
        updateStopKey();
        findEndedIn(c);
        ignoreErrors([this] { UserControl_Resize(); });
        // Before the page takes the keyboard: a screen reader speaks the tab,
        // then goes on in its page.
        announce(MTab(c).peer(), QAccessible::Selection);
        announce(MTab(Index).peer(), QAccessible::Selection);
        announce(MTab(Index).peer(), QAccessible::Focus);
        if (pageHadFocus)
            ignoreErrors([this, Index] { WB(Index).SetFocus(); });
    }
    if (Button == kLeftButton)
        ignoreErrors([this] { raise(events.SelectTab); });
}

void WBControl::CloseTab(int16_t Index)
{
    const std::optional<wbcontrol::TabClosing> closing = m_tabs.close(Index);
    if (!closing)
        return;
    if (m_fullScreenTab == Index)
        ignoreErrors([this] { LeaveFullScreen(); });
    findEndedIn(Index);
    // A closing page that had the keyboard focus hands it to the page
    // selected next.
    const bool pageHadFocus = WBCnt(Index).containsFocus();
    MTab(Index).setVisible(false);
    WBCnt(Index).setVisible(false);
    WB(Index)->Navigate(kBlankPage);
    // The tab is kept, not what the engine holds behind its page.
    ignoreErrors([this, Index] { WB(Index)->Discard(); });
    for (const wbcontrol::CloseStep &step : closing->steps) {
        switch (step.kind) {
        case wbcontrol::CloseStep::Kind::Unlist:
            List1.RemoveItem(step.item);
            break;
        case wbcontrol::CloseStep::Kind::KeepForReuse:
            List2.AddItem(QString::number(step.tab));
            break;
        case wbcontrol::CloseStep::Kind::CloseGap:
            closeGap(closing->open);
            break;
        case wbcontrol::CloseStep::Kind::Select:
            MTab_MouseDown(step.tab, kLeftButton, 0, 0, 0);
            break;
        }
    }
    // Closing the gap only moves the tabs; the rest get the wider width and
    // their captions grow back. (Selecting runs this, but not when the tab
    // selected was selected already.)
    ignoreErrors([this] { UserControl_Resize(); });
    announce(&m_tabList, QAccessible::ObjectReorder);
    if (pageHadFocus)
        ignoreErrors([this] { WB(CurrentTab).SetFocus(); });
    checkInStep();
}

void WBControl::closeGap(const std::vector<int16_t> &open)
{
    for (size_t j = 0; j < open.size(); ++j) {
        const int16_t t = open[j];
        const int16_t q = j == 0 ? 0 : open[j - 1];
        MTab(t).setLeft(MTab(q).Left() + MTab(t).Width());
    }
}

bool WBControl::loadTab(int16_t n)
{
    // Elements left by an earlier attempt whose browser could not be made
    // are taken as they are.
    return ignoreErrors([&] {
        loadIfMissing(MTab, n);
        loadIfMissing(Tstr, n);
        loadIfMissing(TIcon, n);
        loadIfMissing(Tcbt, n);
        loadIfMissing(WBCnt, n);
        loadIfMissing(WB, n);
        loadIfMissing(bgLeft, n);
        loadIfMissing(bgCenter, n);
        loadIfMissing(bgRight, n);
    });
}

void WBControl::placeProvisionally(int16_t n)
{
    const int16_t p = List1.ListCount() > 0 ? indexAt(List1, List1.ListCount() - 1) : 0;
    ignoreErrors([&] { MTab(n).setLeft(MTab(p).Left() + kProvisionalStep); },
                 [&] { MTab(n).setVisible(true); });
}

void WBControl::placePage(int16_t n)
{
    ignoreErrors([&] { place(WBCnt(n), wbcontrol::pageRect(sizeOf(*this))); },
                 [&] { placeBrowser(n, wbcontrol::browserRect(sizeOf(WBCnt(n)))); });
}

std::optional<int16_t> WBControl::NewWindow(const QString &url)
{
    const std::optional<wbcontrol::TabSet::Opening> opening = m_tabs.nextOpening();
    if (opening && opening->reused) {
        const int16_t n = opening->tab;
        m_tabs.open(*opening);
        ignoreErrors([&] { Tcbt(n).setPicture(tc0.picture()); }, [&] { clearTitle(n); },
                     [&] { placeProvisionally(n); }, [&] { WB(n)->Navigate(url); },
                     [&] { WBCnt(n).setVisible(true); });
        MTab_MouseDown(n, kLeftButton, 0, 0, 0);
        placePage(n);
        List1.AddItem(List2.List(0));
        List2.RemoveItem(0);
        // The strip is laid out with the tab in it, or the tab would keep the
        // place and width it had when it was closed.
        ignoreErrors([this] { UserControl_Resize(); });
        announce(&m_tabList, QAccessible::ObjectReorder);
        checkInStep();
        return n;
    }

    if (!opening || !loadTab(opening->tab))
        return std::nullopt;
    const int16_t n = opening->tab;
    m_tabs.open(*opening);
    PictureBox &tab = MTab(n);
    placeProvisionally(n);
    ignoreErrors(
        [&] { clearTitle(n); }, [&] { Tstr(n).setContainer(tab); },
        [&] { place(Tstr(n), wbcontrol::centredCaptionRect(sizeOf(tab), sizeOf(Tstr(n)))); },
        [&] { Tstr(n).setVisible(true); }, [&] { TIcon(n).setContainer(tab); },
        [&] { TIcon(n).setPicture(Icon1.picture()); },
        [&] { place(TIcon(n), wbcontrol::iconRect(tab.Height(), sizeOf(TIcon(n)))); },
        [&] { TIcon(n).setVisible(true); }, [&] { Tcbt(n).setContainer(tab); },
        [&] { Tcbt(n).setPicture(tc0.picture()); },
        [&] { place(Tcbt(n), wbcontrol::closeButtonRect(sizeOf(tab), sizeOf(Tcbt(n)))); },
        [&] { Tcbt(n).setVisible(true); }, [&] { WB(n).setContainer(WBCnt(n)); },
        [&] { WB(n).setVisible(true); }, [&] { place(WBCnt(n), wbcontrol::pageRect(sizeOf(*this))); },
        // Placed before it shows: an engine view resized on screen paints
        // its whole area at once, in software.
        [&] { placeBrowser(n, wbcontrol::browserRect(sizeOf(WBCnt(n)))); },
        [&] { WBCnt(n).setVisible(true); }, [&] { WB(n)->Navigate(url); }, [&] { WB(n).setVisible(true); },
        [&] { bgLeft(n).setContainer(tab); }, [&] { bgLeft(n).setPicture(TLeft0.picture()); },
        [&] { place(bgLeft(n), wbcontrol::skinPieces(tab.Width()).left); },
        [&] { bgLeft(n).setVisible(true); }, [&] { bgCenter(n).setContainer(tab); },
        [&] { bgCenter(n).setPicture(TCenter0.picture()); },
        [&] { place(bgCenter(n), wbcontrol::skinPieces(tab.Width()).center); },
        [&] { bgCenter(n).setVisible(true); }, [&] { bgRight(n).setContainer(tab); },
        [&] { bgRight(n).setPicture(TRight0.picture()); },
        [&] { place(bgRight(n), wbcontrol::skinPieces(tab.Width()).right); },
        [&] { bgRight(n).setVisible(true); },
        // The skin came in on top; icon, caption and close button go over it.
        [&] { TIcon(n).ZOrder(0); }, [&] { Tstr(n).ZOrder(0); }, [&] { Tcbt(n).ZOrder(0); });
    MTab_MouseDown(n, kLeftButton, 0, 0, 0);
    placePage(n);
    List1.AddItem(QString::number(n));
    // Laid out with the new tab in it, the first one opened too.
    ignoreErrors([this] { UserControl_Resize(); });
    announce(&m_tabList, QAccessible::ObjectReorder);
    checkInStep();
    return n;
}

// A tab made or taken back shows no title until its page reports one: a new
// element is a copy of tab 0, and a reused one still has its last page's.
void WBControl::clearTitle(int16_t n)
{
    Tstr(n).setCaption(QString());
    MTab(n).setToolTip(QString());
    MTab(n).peer()->setAccessibleName(QString());
}

void WBControl::checkInStep() const
{
    Q_ASSERT(indicesIn(List1) == m_tabs.open());
    Q_ASSERT(indicesIn(List2) == m_tabs.closed());
    Q_ASSERT(CurrentTab == m_tabs.selected());
}

void WBControl::RefreshPage()
{
    WB(CurrentTab)->Refresh();
}
void WBControl::StopLink()
{
    WB(CurrentTab)->Stop();
}
void WBControl::Goforward()
{
    ignoreErrors([this] { WB(CurrentTab)->GoForward(); });
}
void WBControl::Goback()
{
    ignoreErrors([this] { WB(CurrentTab)->GoBack(); });
}
QString WBControl::url() const
{
    return WB(CurrentTab)->LocationURL();
}
QString WBControl::title() const
{
    return WB(CurrentTab)->LocationName();
}

void WBControl::seturl(const QVariant &New_URL)
{
    WB(CurrentTab)->Navigate(New_URL.toString());
    if (events.PropertyChanged)
        events.PropertyChanged(QStringLiteral("URL"));
}

int16_t WBControl::chkurl(const QString &url)
{
    const QString p = url.left(7);
    const bool a = p != QLatin1String("http://");
    const bool b = p.toLower() != QLatin1String("about:b");
    const bool c = p.toLower() != QLatin1String("file://");
    return a && b && c ? 0 : 1;
}

void WBControl::MTab_OLEDragDrop(int16_t Index, DataObject &Data, int32_t &Effect, int16_t, int16_t Shift,
                                 float, float)
{
    Effect = 1;
    // Files from a file manager often come with their paths as text too:
    // they are files all the same, and a tab does not open them.
    bool hasFiles = false;
    ignoreErrors([&] { hasFiles = Data.GetFormat(kCfFiles); });
    if (hasFiles) {
        Effect = 0;
        return;
    }
    bool hasText = false;
    ignoreErrors([&] { hasText = Data.GetFormat(kCfText); });
    if (!hasText)
        return;
    QString text;
    ignoreErrors([&] { text = Data.GetData(kCfText).toString(); });
    // A script address would run inside whatever page the tab shows: it is
    // not opened, and the tab is selected as after a navigation that failed.
    if (!isScriptAddress(text))
        ignoreErrors([&] { WB(Index)->Navigate(text); });
    ignoreErrors([&] { MTab_MouseDown(Index, kLeftButton, Shift, 0, 0); });
}

void WBControl::WB_ProgressChange(int16_t Index, int32_t Progress, int32_t ProgressMax)
{
    raise(events.ProgressChange, Index, Progress, ProgressMax);
}

void WBControl::WB_DownloadBegin(int16_t Index)
{
    findEndedIn(Index); // a reload too: the marks went with the page
    updateStopKey();
    QVariant url = WB(Index)->LocationURL();
    raise(events.DownloadBegin, Index, url);
}

void WBControl::WB_DownloadComplete(int16_t Index)
{
    if (Index == 0)
        tk::startupMark("start page loaded");
    updateStopKey();
    raise(events.DownloadComplete, Index);
    PictureBox &page = WBCnt(CurrentTab);
    placeBrowser(CurrentTab, wbcontrol::loadedBrowserRect(sizeOf(page)));
}

void WBControl::WB_TitleChange(int16_t Index, const QString &Text)
{
    SetTabCaption(Index, Text);
    updateTabTip(Index);
    if (!WB(Index)->Busy()) {
        QString url = WB(Index)->LocationURL();
        raise(events.URLChang, Index, url);
    }
    raise(events.TitleChange, Index, Text);
}

void WBControl::WB_PropertyChange(int16_t Index, const QString &szProperty)
{
    raise(events.PropertyChange, Index, szProperty);
}

void WBControl::WB_BeforeNavigate2(int16_t Index, const QString &URL, bool &)
{
    WB(Index)->setSilent(true);
    findEndedIn(Index);
    QVariant url = URL;
    raise(events.BeforeNavigate2, Index, url);
}

void WBControl::WB_NavigateComplete2(int16_t Index, WebBrowser *pDisp, const QString &URL)
{
    updateTabTip(Index);
    QVariant url = URL;
    raise(events.NavigateComplete2, Index, pDisp, url);
}

void WBControl::WB_NewWindow2(int16_t, WebBrowser *&ppDisp, bool &)
{
    // The page goes to the tab just opened; with none opened, the request is
    // refused rather than handed to another tab.
    const std::optional<int16_t> j = NewWindow(kBlankPage);
    if (!j)
        return;
    ppDisp = WB(*j)->Application();
    WB(*j).ZOrder(0);
}

// The host asks; the tab may be closed before it answers, and then the
// browser, kept for reuse, only goes elsewhere.
void WBControl::WB_AuthenticationRequired(int16_t Index, const QString &site, const QString &realm,
                                          bool proxy, QString &user, QString &password, bool &signIn)
{
    raise(events.AuthenticationRequired, Index, site, realm, proxy, user, password, signIn);
}

void WBControl::WB_WindowClosing(int16_t Index, bool, bool &Cancel)
{
    // The component never closes itself; its tab closes instead.
    Cancel = true;
    CloseTab(Index);
}
