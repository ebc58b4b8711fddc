// The drawing surface's coordinate rules, the property store and the fonts
// the captions are measured in.
#include "ColorMath.h"
#include "DrawSurface.h"
#include "PropertyBag.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace tk;

namespace {

constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kWhite = 0xFFFFFF;

// The surface as rows of characters: '#' for pen-coloured pixels, '.' else.
QStringList rows(const DrawSurface &s, int32_t ink)
{
    QStringList out;
    for (int y = 0; y < s.height(); ++y) {
        QString row;
        for (int x = 0; x < s.width(); ++x)
            row += s.GetPixel(x, y) == ink ? QLatin1Char('#') : QLatin1Char('.');
        out << row;
    }
    return out;
}

DrawSurface blank(int w, int h)
{
    DrawSurface s;
    s.setBackColor(kWhite);
    s.setSize(w, h);
    s.Cls();
    return s;
}

} // namespace

TEST(DrawSurface, LinesLeaveTheirEndPointUndrawnInEveryDirection)
{
    DrawSurface s = blank(6, 6);
    s.setForeColor(kRed);
    s.MoveToEx(1, 0);
    s.LineTo(4, 0); // right: 1..3
    s.MoveToEx(4, 2);
    s.LineTo(1, 2); // left: 4..2
    s.MoveToEx(0, 1);
    s.LineTo(0, 4); // down: 1..3
    s.MoveToEx(5, 5);
    s.LineTo(5, 2); // up: 5..3
    s.MoveToEx(1, 3);
    s.LineTo(3, 5); // diagonal: (1,3), (2,4)
    EXPECT_EQ(rows(s, kRed), QStringList({".###..", "#.....", "#.###.", "##...#", "..#..#", ".....#"}));
}

TEST(DrawSurface, RectanglesExcludeRightAndBottomAndClipToTheSurface)
{
    DrawSurface s = blank(6, 5);
    s.FrameRect({1, 1, 5, 4}, kRed);
    EXPECT_EQ(rows(s, kRed), QStringList({"......", ".####.", ".#..#.", ".####.", "......"}));
    s.Cls();
    s.FillRect({-3, 3, 2, 99}, kRed);
    s.FillRect({4, 0, 4, 5}, kRed); // empty
    EXPECT_EQ(rows(s, kRed), QStringList({"......", "......", "......", "##....", "##...."}));
    s.SetPixelV(-1, 0, kRed); // outside: no effect, no fault
    EXPECT_EQ(s.GetPixel(6, 0), CLR_INVALID);
    EXPECT_EQ(s.GetPixel(0, -1), CLR_INVALID);
    EXPECT_EQ(s.GetPixel(1, 4), kRed);
}

TEST(DrawSurface, FocusRectangleInvertsEveryOtherBorderPixelAndUndoesItself)
{
    DrawSurface s = blank(7, 6);
    s.FillRect({0, 0, 7, 6}, 0x102030);
    const QImage before = s.image().copy();
    s.DrawFocusRect({1, 1, 6, 5});
    QStringList inverted;
    for (int y = 0; y < 6; ++y) {
        QString row;
        for (int x = 0; x < 7; ++x)
            row += s.GetPixel(x, y) == (0x102030 ^ 0xFFFFFF) ? QLatin1Char('x') : QLatin1Char('.');
        inverted << row;
    }
    EXPECT_EQ(inverted, QStringList({".......", ".x.x.x.", ".......", ".x...x.", "..x.x..", "......."}));
    s.DrawFocusRect({1, 1, 6, 5});
    EXPECT_EQ(s.image(), before);
}

TEST(DrawSurface, SongFaceResolvesWithSimSunCellMetrics)
{
    const QFont song(QStringLiteral("宋体"), 9);
    EXPECT_EQ(QFontInfo(song).family(), QStringLiteral("AR PL SungtiL GB"));
    EXPECT_EQ(QFontMetrics(song).height(), 12);
    DrawSurface s;
    s.setFont(defaultFormFont());
    EXPECT_EQ(s.TextHeight(QStringLiteral("打开网址")), 12);
    EXPECT_EQ(s.TextWidth(QStringLiteral("打开网址")), 48); // full-width, 12 each
    EXPECT_EQ(s.TextWidth(QStringLiteral("Hello, World")), 72); // half-width Latin
    EXPECT_EQ(s.TextHeight(QStringLiteral("a\nb")), 24);
}

TEST(DrawSurface, TextShowsTheAccessKeyMarkAndExpandsCentredTabs)
{
    DrawSurface s = blank(120, 20);
    s.setFont(defaultFormFont());
    s.SetTextColor(kRed);
    const auto inkColumns = [&s] {
        int first = -1, last = -1;
        for (int x = 0; x < s.width(); ++x)
            for (int y = 0; y < s.height(); ++y)
                if (s.GetPixel(x, y) == kRed) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return last - first + 1;
    };
    // "&&" draws one ampersand and "&x" an underlined x: as wide as "&x" drawn plainly.
    s.DrawTextA(QStringLiteral("a&&b"), {0, 0, 120, 20}, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const int doubled = inkColumns();
    s.Cls();
    s.DrawTextA(QStringLiteral("a\tb"), {0, 0, 120, 20}, 0x65);
    // The tab reaches the first stop at 8 average widths (48 px), so "b" starts there.
    const int tabbed = inkColumns();
    EXPECT_LE(doubled, 3 * 6); // "a&&b" drawn literally would need more than 18
    EXPECT_GE(tabbed, 48);
}

TEST(PropertyBag, KeysMatchWithoutCaseAndDefaultsAreNotStored)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("ButtonType"), 5, 1);
    bag.WriteProperty(QStringLiteral("Percent"), 16, 16);
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("OK"), QStringLiteral("wwbutton"));
    EXPECT_EQ(bag.keys(), QStringList({"ButtonType", "Caption"}));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("buttontype"), 1).toInt(), 5);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("PERCENT"), 16).toInt(), 16);
    // Writing the default again removes an earlier value.
    bag.WriteProperty(QStringLiteral("buttonTYPE"), 1, 1);
    EXPECT_EQ(bag.keys(), QStringList({"Caption"}));
}

TEST(PropertyBag, JsonRoundTripKeepsIntegersBooleansStringsAndFonts)
{
    PropertyBag bag;
    const StdFont font{QStringLiteral("宋体"), 10.5, true, false, 134};
    bag.WriteProperty(QStringLiteral("MidColor"), 0xFFAB7C);
    bag.WriteProperty(QStringLiteral("Negative"), int32_t(0x8000000F));
    bag.WriteProperty(QStringLiteral("Enabled"), false);
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("打开"));
    bag.WriteProperty(QStringLiteral("Font"), QVariant::fromValue(font));
    const QByteArray json = QJsonDocument(bag.toJson()).toJson();
    const PropertyBag back = PropertyBag::fromJson(QJsonDocument::fromJson(json).object());
    EXPECT_EQ(back.ReadProperty(QStringLiteral("midcolor")).typeId(), QMetaType::Int);
    EXPECT_EQ(back.ReadProperty(QStringLiteral("midcolor")).toInt(), 0xFFAB7C);
    EXPECT_EQ(back.ReadProperty(QStringLiteral("negative")).toInt(), int32_t(0x8000000F));
    EXPECT_EQ(back.ReadProperty(QStringLiteral("enabled")), QVariant(false));
    EXPECT_EQ(back.ReadProperty(QStringLiteral("caption")).toString(), QStringLiteral("打开"));
    EXPECT_EQ(back.ReadProperty(QStringLiteral("font")).value<StdFont>(), font);
    // A value read from JSON still counts as its default.
    PropertyBag again = back;
    again.WriteProperty(QStringLiteral("MidColor"), 0xFFAB7C, 0xFFAB7C);
    EXPECT_FALSE(again.contains(QStringLiteral("midcolor")));
}

TEST(ColorMath, ChannelsClampAndProportionalShadeMovesBlueByItsShare)
{
    using namespace command;
    EXPECT_EQ(ShadeColor(RGB(250, 5, 96), 10, false), RGB(255, 15, 106));
    EXPECT_EQ(ShadeColor(RGB(250, 5, 96), -10, true), RGB(240, 0, 91)); // 96 × -10 ÷ 192 = -5
    EXPECT_EQ(ShadeColor(RGB(0, 0, 100), -1, true), RGB(0, 0, 100));  // -0.52 truncates to 0
    // A system-colour reference splits into red 15 and negative green/blue, clamped.
    EXPECT_EQ(ShadeColor(int32_t(0x8000000F), 0, false), RGB(15, 0, 0));
    const int32_t limit = RGB(250, 250, 250);
    EXPECT_EQ(ShiftColorLimited(RGB(255, 255, 10), 0, -2, -30, limit), RGB(250, 250, 0));
    EXPECT_EQ(roundEven(2.5), 2);
    EXPECT_EQ(roundEven(3.5), 4);
}
