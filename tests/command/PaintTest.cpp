// The drawing surface's rules, and the looks of every style at a few pixels.
#include "CommandTestSupport.h"

#include <QFontInfo>

using namespace command_test;

namespace {

// The surface as rows of characters: '#' for red pixels, '.' else.
QStringList rows(const tk::DrawSurface &s)
{
    QStringList out;
    for (int y = 0; y < s.height(); ++y) {
        out << QString();
        for (int x = 0; x < s.width(); ++x)
            out.last() += s.GetPixel(x, y) == 0x0000FF ? '#' : '.';
    }
    return out;
}

} // namespace

TEST(DrawSurface, LinesLeaveTheirEndPointUndrawnInEveryDirection)
{
    tk::DrawSurface s;
    s.setSize(6, 6);
    s.setForeColor(0x0000FF);
    for (auto [x0, y0, x1, y1] :
         {std::array{1, 0, 4, 0}, {4, 2, 1, 2}, {0, 1, 0, 4}, {5, 5, 5, 2}, {1, 3, 3, 5}}) {
        s.MoveToEx(x0, y0);
        s.LineTo(x1, y1);
    }
    EXPECT_EQ(rows(s), QStringList({".###..", "#.....", "#.###.", "##...#", "..#..#", ".....#"}));
}

TEST(DrawSurface, SongFaceHasSimSunCellMetricsAndTextShowsTheAccessKeyMarkAndExpandsCentredTabs)
{
    const QFont song(QStringLiteral("宋体"), 9);
    EXPECT_EQ(QFontInfo(song).family(), QStringLiteral("AR PL SungtiL GB"));
    EXPECT_EQ(QFontMetrics(song).height(), 12);
    tk::DrawSurface s;
    s.setSize(120, 20);
    s.SetTextColor(0x0000FF);
    s.setFont(tk::defaultFormFont());
    EXPECT_EQ(s.TextHeight(QStringLiteral("打开网址")), 12);
    EXPECT_EQ(s.TextWidth(QStringLiteral("打开网址")), 48);     // full-width, 12 each
    EXPECT_EQ(s.TextWidth(QStringLiteral("Hello, World")), 72); // half-width Latin
    EXPECT_EQ(s.TextHeight(QStringLiteral("a\nb")), 24);
    // "&&" draws one ampersand: "a&b" inks three 6-pixel cells, "a&&b" would ink four. Centred too, a tab
    // reaches the first stop at 8 average widths (48 px), so "b" starts there.
    for (auto [text, flags, least, most] : {std::tuple("a&&b", 0x25u, 1, 18), {"a\tb", 0x65u, 48, 120}}) {
        s.Cls();
        s.DrawTextA(QString::fromUtf8(text), {0, 0, 120, 20}, flags);
        QString ink(120, '.');
        for (const QString &row : rows(s))
            for (qsizetype x = row.indexOf('#'); x >= 0; x = row.indexOf('#', x + 1))
                ink[x] = '#';
        const qsizetype width = ink.lastIndexOf('#') - ink.indexOf('#') + 1;
        EXPECT_TRUE(width >= least && width <= most) << text << ": " << ink.toStdString();
    }
}

// At twice the density each pixel a style draws covers its 2 × 2 device pixels, and a caption is drawn at
// the device's density, finer than its pixels at 1x doubled.
TEST(DrawSurface, AtTwiceTheDensityShapesCoverTheirDevicePixelsAndCaptionsAreDrawnFiner)
{
    command::ButtonLook look;
    look.focus = look.defaultFrame = true;
    look.xpType = 1;
    look.percent = 50;
    look.width = 40;
    look.height = 24;
    look.palette = {RGB(236, 233, 216), RGB(255, 255, 255), RGB(241, 239, 226), 0, 0, 0};
    look.colors.Mid = look.colors.OfficeXpFill = RGB(10, 50, 100);
    look.colors.End = look.colors.OfficeXpFrame = RGB(98, 138, 188);
    look.focusRect = {2, 2, 38, 22};
    for (auto [style, state, caption] : {std::tuple(1, command::kNormalLook, ""),
                                         {3, command::kPressedLook, ""},
                                         {4, command::kNormalLook, ""},
                                         {5, command::kNormalLook, "ab"}}) {
        std::tie(look.style, look.state) = std::tuple(style, state);
        look.caption = QString::fromUtf8(caption);
        tk::DrawSurface at[2];
        for (int k : {0, 1}) {
            at[k].setScale(k + 1);
            at[k].setSize(40, 24);
            command::TextRects text{{0, 0, 40, 24}, {2, 2, 40, 24}};
            command::paintButton(at[k], look, text);
        }
        // Differing device pixels, and those outside the caption's place (two 6-pixel cells, centred).
        int differ = 0, outside = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 80; ++x)
                if (at[1].image().pixel(x, y) != at[0].image().pixel(x / 2, y / 2)) {
                    ++differ;
                    outside += !QRect(12, 4, 16, 16).contains(x / 2, y / 2);
                }
        EXPECT_EQ(std::tuple(differ > 0, outside), std::tuple(!look.caption.isEmpty(), 0)) << style;
    }
}

// The style and what is done to the button, with the colours of its telling pixels on the way.
TEST_F(CommandOnForm, EachStyleAndLookShowsItsColoursAtItsTellingPixels)
{
    const std::pair<const char *, const char *> looks[] = {
        // The mid colour on line 12 (percent 50 of 24), each line up one step (88 / 11) nearer the end; the
        // highlight rows fade from white to the end colour (and past it on row 1); lines 13 to 17 in the
        // mid colour, the lower band in steps of 11; lines 21 and 22 take the colour read at (2, 14) and
        // stop one short of the right band.
        {"3 MidColor=10,50,100 EndColor=98,138,188 Percent=50 1,12=10,50,100 1,2=90,130,180 38,7=50,90,140 "
         "2,1=255,255,255 32,1=98,138,188 37,1=72,119,177 14,2=98,138,188 38,2=90,130,180 1,13=10,50,100 "
         "38,17=10,50,100 1,18=43,83,133 38,20=65,105,155 1,21=10,50,100 2,22=10,50,100 38,21=240,240,240 "
         "1,1=183,183,183 38,22=183,183,183 2,0=183,183,183 37,23=183,183,183 0,2=183,183,183 "
         "39,21=183,183,183 0,1=240,240,240",
         ""},
        // Each line lighter than the one under it, every channel stopping at 255, and short of W - 2.
        {"1 XpType=2 2,22=243,238,219 37,21=244,239,220 1,10=255,250,231 2,1=255,255,240 38,10=240,240,240 "
         "0,10=0,60,115 38,22=16,77,123",
         ""},
        // Scheme 3's grey lightened by 48, blue by a quarter of itself, then each line down darker.
        {"1 ColorScheme=3 20,10=230,230,228", ""},
        // Hovered and pressed, style 5 darkens the hover fill (by the scheme, stopping at 0).
        {"5 0,0=188,188,66 15,10=222,222,160 3,3 39,23=127,128,1 15,10=220,220,186 +L 0,23=127,128,1 "
         "15,10=190,190,126 ColorScheme=3 15,10=153,180,223 OfficeXpMousemoveFillColor=255,20,10 "
         "15,10=215,0,0",
         "MouseMove 0,0,3,3|MouseDown 1,0,4,6"},
        {"5 Enabled=0 0,0=188,188,64 15,10=238,239,208", ""},
        // The dotted focus rectangle at 2, 2, W - 2, H - 2 over the fill, while the property shows it.
        {"5 focus ShowFocusRect=0 2,2=222,222,160 ShowFocusRect=1 2,2=33,33,95 37,21=33,33,95 "
         "3,2=222,222,160 38,22=222,222,160",
         ""},
        // Pressed, style 2 draws its caption in the light colour and no focus.
        {"2 Caption=一二 focus +L 1*227,227,227 4,10=144,144,144 2,2=96,96,96 37,5=160,160,160 "
         "1,1=105,105,105",
         "MouseDown 1,0,4,6"},
        // Unknown styles show the caption on the bare face, and only when up.
        {"6 Caption=一二 1*0,0,0 +L 960*240,240,240 Enabled=0 960*240,240,240", "MouseDown 1,0,4,6"},
    };
    for (const auto &[words, events] : looks)
        EXPECT_EQ(run(QString::fromUtf8(words)), events) << words;
}

TEST(CommandPaint, RoundedStylesCutThreePixelsAtEachCornerAndOthersNone)
{
    tk::Form form;
    for (int32_t type : {3, 4, 8, 9, 1}) {
        auto c = newButton(form, 40, 24, type);
        for (bool rounded : {type != 1, false}) {
            // The 3 × 3 pixels at each corner, turned to the top left: '#' inside the window's region.
            std::string corners;
            for (const QPoint corner : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 23), QPoint(39, 23)})
                for (int i = 0; i < 9; ++i)
                    corners += c->peer()->mask().contains(corner + QPoint(corner.x() ? -(i % 3) : i % 3,
                                                                          corner.y() ? -(i / 3) : i / 3))
                                   ? '#'
                                   : '.';
            EXPECT_EQ(corners, QString(rounded ? "..#.#####" : "#########").repeated(4).toStdString())
                << type;
            c->setButtonType(1); // and the region follows
        }
    }
}
