#include "WBControl.h"

#include "Color.h"
#include "Screen.h"
#include "TkError.h"

#include <QUrl>

using namespace tk;

namespace {

constexpr uint32_t kBackColor = 0x00FFF1E1;
constexpr float kTabHeight = 420;
constexpr float kStripHeight = 480;

Picture skin(const char *name)
{
    return Picture::load(QStringLiteral(":/skin/%1.png").arg(QLatin1String(name)));
}

QFont captionFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(9);
    return f;
}

void setSource(Image &image, const char *name)
{
    image.setVisible(false);
    image.setPicture(skin(name));
}

} // namespace

WBControl::WBControl(Control *container)
    : UserControl(container),
      MTab(std::make_unique<PictureBox>(this)),
      bgLeft(std::make_unique<Image>(&MTab(0))),
      bgCenter(std::make_unique<Image>(&MTab(0))),
      bgRight(std::make_unique<Image>(&MTab(0))),
      TIcon(std::make_unique<Image>(&MTab(0))),
      Tstr(std::make_unique<Label>(&MTab(0))),
      Tcbt(std::make_unique<PictureBox>(&MTab(0))),
      WBCnt(std::make_unique<PictureBox>(this)),
      WB(std::make_unique<BrowserControl>(&WBCnt(0))),
      TLeft0(this), TCenter0(this), TRight0(this),
      TLeft1(this), TCenter1(this), TRight1(this),
      TLeft2(this), TCenter2(this), TRight2(this),
      tc0(this), tc1(this), tc2(this),
      Icon1(this),
      LabelTest(this),
      Line1(this), Line2(this), Line3(this), Line4(this), Line5(this)
{
    // The design: what the control looks like before any code runs.
    setBackColor(colorFromBGR(kBackColor));
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

    MTab(0).setBackColor(colorFromBGR(kBackColor));
    MTab(0).Move(60, 0, 2700, kTabHeight);
    for (auto *piece : {&bgLeft(0), &bgCenter(0), &bgRight(0)}) {
        piece->setStretch(true);
        piece->Move(0, 0, 120, kTabHeight);
    }
    TIcon(0).setStretch(true);
    TIcon(0).Move(60, 90, 240, 240);
    Tstr(0).setFont(captionFont());
    Tstr(0).setAutoSize(true);
    Tstr(0).setCaption(QStringLiteral("MTabBox"));
    Tcbt(0).setTransparent(true);
    Tcbt(0).setPicture(tc0.picture());
    Tcbt(0).Move(2700 - 225 - 60, 105, 225, 210);
    Tcbt(0).setVisible(false);
    WBCnt(0).setBackColor(Qt::white);

    const QColor dark(136, 167, 211), light(214, 229, 251);
    Line1.setBorderColor(dark);
    Line2.setBorderColor(light);
    Line3.setBorderColor(light);
    Line4.setBorderColor(light);
    Line5.setBorderColor(dark);

    wireEvents();
    Resize = [this] { ignoreErrors([this] { UserControl_Resize(); }); };
    GotFocus = [this] { UserControl_GotFocus(); };
    UserControl_Initialize();
}

// Members go in reverse order: the browsers before the containers that
// show them, the tab pieces before the tab bodies.
WBControl::~WBControl() = default;

QString WBControl::startPage()
{
    return QUrl::fromLocalFile(appPath() + QStringLiteral("/start.html")).toString();
}

void WBControl::wireEvents()
{
    WB.setWiring([this](int16_t i, BrowserControl &wb) {
        WebBrowserEvents &e = wb->events;
        e.ProgressChange = [this, i](int32_t p, int32_t m) { WB_ProgressChange(i, p, m); };
        e.DownloadBegin = [this, i] { WB_DownloadBegin(i); };
        e.DownloadComplete = [this, i] { WB_DownloadComplete(i); };
        e.TitleChange = [this, i](const QString &t) { WB_TitleChange(i, t); };
        e.PropertyChange = [this, i](const QString &p) { WB_PropertyChange(i, p); };
        e.BeforeNavigate2 = [this, i](const QString &u, bool &c) { WB_BeforeNavigate2(i, u, c); };
        e.NavigateComplete2 = [this, i](WebBrowser *d, const QString &u) { WB_NavigateComplete2(i, d, u); };
    });
}

void WBControl::UserControl_Initialize()
{
    CurrentTab = 0;
    TIcon(0).setPicture(Icon1.picture());
    MTab(0).Move(60, 0, 2700, kTabHeight);
    Tstr(0).Move((MTab(0).Width() - Tstr(0).Width()) / 2, (MTab(0).Height() - Tstr(0).Height()) / 2);
    TIcon(0).Move(60, (MTab(0).Height() - TIcon(0).Height()) / 2 + 20);
    bgLeft(0).setPicture(TLeft0.picture());
    bgLeft(0).Move(0, 0, 120, kTabHeight);
    bgCenter(0).setPicture(TCenter0.picture());
    bgCenter(0).Move(120, 0, MTab(0).Width() - 240, kTabHeight);
    bgRight(0).setPicture(TRight0.picture());
    bgRight(0).Move(MTab(0).Width() - 120, 0, 120, kTabHeight);
    WB(0)->Navigate(startPage());
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
        page.Move(0, kStripHeight, Width(), Height() - kStripHeight);
        WB(CurrentTab).Move(-20, -20, page.Width() + 40, page.Height() + 40);
    }
    TabResize();
}

void WBControl::TabResize()
{
    const int open = List1.ListCount() + 1;
    float w = std::nearbyint(Width() / float(open));
    w = std::clamp(w, 1000.0f, 2700.0f);
    layoutTab(0, 0, w);
    for (int k = 0; k < List1.ListCount(); ++k)
        layoutTab(int16_t(List1.List(k).toInt()), k + 1, w);
}

void WBControl::layoutTab(int16_t i, int position, float w)
{
    MTab(i).Move(float(position) * w, 0, w);
    TIcon(i).Move(60, (MTab(i).Height() - TIcon(i).Height()) / 2);
    Tcbt(i).Move(MTab(i).Width() - Tcbt(i).Width() - 60, (MTab(i).Height() - Tcbt(i).Height()) / 2);
    bgLeft(i).Move(0, 0, 120, kTabHeight);
    bgCenter(i).Move(120, 0, MTab(i).Width() - 240, kTabHeight);
    bgRight(i).Move(MTab(i).Width() - 120, 0, 120, kTabHeight);
}

void WBControl::WB_ProgressChange(int16_t Index, int32_t Progress, int32_t ProgressMax)
{
    if (ProgressChange)
        ProgressChange(Index, Progress, ProgressMax);
}

void WBControl::WB_DownloadBegin(int16_t Index)
{
    QVariant url = WB(Index)->LocationURL();
    if (DownloadBegin)
        DownloadBegin(Index, url);
}

void WBControl::WB_DownloadComplete(int16_t Index)
{
    if (DownloadComplete)
        DownloadComplete(Index);
    PictureBox &page = WBCnt(CurrentTab);
    WB(CurrentTab).Move(-20, -20, page.Width() + 45, page.Height() + 20);
}

void WBControl::WB_TitleChange(int16_t Index, const QString &Text)
{
    if (!WB(Index)->Busy()) {
        QString url = WB(Index)->LocationURL();
        if (URLChang)
            URLChang(Index, url);
    }
    if (TitleChange)
        TitleChange(Index, Text);
}

void WBControl::WB_PropertyChange(int16_t Index, const QString &szProperty)
{
    if (PropertyChange)
        PropertyChange(Index, szProperty);
}

void WBControl::WB_BeforeNavigate2(int16_t Index, const QString &URL, bool &)
{
    WB(Index)->setSilent(true);
    QVariant url = URL;
    if (BeforeNavigate2)
        BeforeNavigate2(Index, url);
}

void WBControl::WB_NavigateComplete2(int16_t Index, WebBrowser *pDisp, const QString &URL)
{
    QVariant url = URL;
    if (NavigateComplete2)
        NavigateComplete2(Index, pDisp, url);
}
