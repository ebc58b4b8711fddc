// Pixel-exact looks of every style, the window region and the caption layout.
#include "CommandTestSupport.h"
#include "win32/SysColors.h"

#include <gtest/gtest.h>

using namespace command_test;

namespace {

struct Probe {
    int x, y;
    int32_t colour;
};

void expectPixels(const Command &c, std::initializer_list<Probe> probes)
{
    for (const Probe &p : probes)
        EXPECT_EQ(pixel(c, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

// Rows y from x0 to x1 (exclusive), every pixel of each one colour.
struct Span {
    int y, x0, x1;
    int32_t colour;
};

void expectSpans(const Command &c, std::initializer_list<Span> spans)
{
    for (const Span &s : spans)
        for (int x = s.x0; x < s.x1; ++x)
            ASSERT_EQ(pixel(c, x, s.y), s.colour) << "at " << x << "," << s.y;
}

void focus(Command &c, bool in)
{
    QFocusEvent event(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(c.peer(), &event);
}

class CommandPaint : public ::testing::Test {
protected:
    tk::Form form;
    const int32_t face = tk::GetSysColor(tk::COLOR_BTNFACE);
};

} // namespace

TEST_F(CommandPaint, StyleThreeSplitsItsGradientAtPercent)
{
    auto c = newButton(form, 40, 24, 3);
    const int32_t mid = RGB(10, 50, 100), end = RGB(98, 138, 188); // 88 apart: 8 per upper step, 11 per lower
    c->setMidColor(mid);
    c->setEndColor(end);
    c->setPercent(50);
    // Upper band: line 12 is the mid colour, each line up one step nearer the end.
    for (int y = 2; y <= 12; ++y)
        EXPECT_EQ(pixel(*c, 1, y), RGB(10 + 8 * (12 - y), 50 + 8 * (12 - y), 100 + 8 * (12 - y))) << y;
    // Highlight rows fade from white to the end colour (and past it on row 1).
    expectPixels(*c, {{38, 2, RGB(90, 130, 180)},
                      {2, 1, RGB(255, 255, 255)},
                      {32, 1, end},
                      {37, 1, RGB(72, 119, 177)},
                      {14, 2, end}});
    const int32_t frame = RGB(183, 183, 183);
    // Lines 21 and 22 take the colour read at (2, 14) and stop one short of the right band.
    expectSpans(*c, {{13, 1, 39, mid},
                     {14, 1, 39, mid},
                     {15, 1, 39, mid},
                     {16, 1, 39, mid},
                     {17, 1, 39, mid},
                     {18, 1, 39, RGB(43, 83, 133)},
                     {19, 1, 39, RGB(54, 94, 144)},
                     {20, 1, 39, RGB(65, 105, 155)},
                     {21, 1, 38, mid},
                     {22, 2, 38, mid},
                     {0, 2, 38, frame},
                     {23, 2, 38, frame}});
    expectPixels(
        *c, {{38, 21, face}, {0, 2, frame}, {39, 21, frame}, {1, 1, frame}, {38, 22, frame}, {0, 1, face}});
}

TEST_F(CommandPaint, StyleOneWithXpTypeTwoLightensUpwardFromTheBottomLine)
{
    auto c = newButton(form, 30, 20, 1);
    c->setXpType(2);
    // Each channel stops at 255.
    expectSpans(*c, {{18, 2, 28, RGB(243, 238, 219)},
                     {17, 1, 28, RGB(244, 239, 220)},
                     {6, 1, 28, RGB(255, 250, 231)},
                     {1, 2, 28, RGB(255, 255, 236)}});
    // The line stops short of W - 2.
    expectPixels(*c, {{28, 10, face}, {0, 10, RGB(0, 60, 115)}, {28, 18, RGB(16, 77, 123)}});
}

TEST_F(CommandPaint, StyleFiveHoverAndPressedDarkenTheMouseMoveFill)
{
    auto c = newButton(form, 30, 20, 5);
    expectPixels(*c, {{0, 0, c->OfficeXpFrameColor()}, {15, 10, c->OfficeXpFillColor()}});
    mouseMove(*c);
    expectPixels(*c, {{29, 19, c->OfficeXpMousemoveFrameColor()}, {15, 10, RGB(220, 220, 186)}});
    press(*c);
    expectPixels(*c, {{0, 19, c->OfficeXpMousemoveFrameColor()}, {15, 10, RGB(190, 190, 126)}});
    c->setColorScheme(3); // also loads the scheme's Office-XP colours
    EXPECT_EQ(pixel(*c, 15, 10), RGB(153, 180, 223));
    c->setOfficeXpMousemoveFillColor(RGB(255, 20, 10));
    EXPECT_EQ(pixel(*c, 15, 10), RGB(215, 0, 0));
}

TEST_F(CommandPaint, StyleFiveDisabledAndFocus)
{
    auto c = newButton(form, 30, 20, 5);
    c->setEnabled(false);
    expectPixels(*c, {{0, 0, RGB(188, 188, 64)}, {15, 10, RGB(238, 239, 208)}});
    c->setEnabled(true);
    // The dotted focus rectangle at 2, 2, W - 2, H - 2 over the fill.
    focus(*c, true);
    const int32_t fill = c->OfficeXpFillColor();
    expectPixels(*c, {{2, 2, fill ^ 0xFFFFFF}, {27, 17, fill ^ 0xFFFFFF}, {28, 18, fill}});
    c->setShowFocusRect(false);
    EXPECT_EQ(pixel(*c, 2, 2), fill);
    EXPECT_TRUE(c->HasFocus());
}

TEST_F(CommandPaint, StyleTwoPressedDrawsItsCaptionInLightWithoutFocus)
{
    auto c = newButton(form, 60, 24, 2, QStringLiteral("一二"));
    focus(*c, true);
    press(*c);
    EXPECT_GT(countPixels(*c, c->palette().Light), 0);
    expectPixels(*c, {{10, 10, RGB(144, 144, 144)},
                      {2, 2, RGB(96, 96, 96)},
                      {57, 5, RGB(160, 160, 160)},
                      {1, 1, RGB(105, 105, 105)}});
    // The pressed look shows no focus: losing it changes nothing.
    const QImage focused = c->surface().image().copy();
    focus(*c, false);
    EXPECT_EQ(c->surface().image(), focused);
}

TEST_F(CommandPaint, UnknownStyleShowsOnlyTheFaceAndCaption)
{
    auto c = newButton(form, 60, 24, 6, QStringLiteral("一二"));
    EXPECT_GT(countPixels(*c, c->palette().Text), 0);
    press(*c);
    EXPECT_EQ(countPixels(*c, face), 60 * 24);
    c->setEnabled(false);
    EXPECT_EQ(countPixels(*c, face), 60 * 24);
}

TEST_F(CommandPaint, RoundedStylesCutThreePixelsAtEachCorner)
{
    const QList<QPoint> cut = {{0, 0},  {1, 0},  {0, 1},  {29, 0},  {28, 0},  {29, 1},
                               {0, 19}, {1, 19}, {0, 18}, {29, 19}, {28, 19}, {29, 18}};
    const QList<QPoint> kept = {{2, 0}, {1, 1}, {0, 2}, {27, 0}, {28, 1}, {29, 2}, {28, 18}, {15, 10}};
    for (int32_t type : {3, 4, 8, 9}) {
        SCOPED_TRACE(type);
        auto c = newButton(form, 30, 20, type);
        const QRegion mask = c->peer()->mask();
        for (const QPoint &p : cut)
            EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
        for (const QPoint &p : kept)
            EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
        c->setButtonType(1);
        EXPECT_EQ(c->peer()->mask(), QRegion(0, 0, 30, 20));
    }
}
