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

#include <algorithm>

using namespace tk;

namespace {

constexpr int32_t kRed = 0x0000FF;

// The surface as rows of characters: '#' for pixels of the colour, '.' else.
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

DrawSurface blank(int w, int h, int32_t back = 0xFFFFFF)
{
    DrawSurface s;
    s.setBackColor(back);
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

TEST(DrawSurface, FocusRectangleInvertsEveryOtherBorderPixelAndUndoesItself)
{
    DrawSurface s = blank(7, 6, 0x102030);
    const QImage before = s.image().copy();
    s.DrawFocusRect({1, 1, 6, 5});
    EXPECT_EQ(rows(s, 0x102030 ^ 0xFFFFFF),
              QStringList({".......", ".#.#.#.", ".......", ".#...#.", "..#.#..", "......."}));
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
    const auto inkWidth = [&s] {
        int first = s.width(), last = -1;
        for (const QString &row : rows(s, kRed))
            if (row.contains('#')) {
                first = std::min(first, int(row.indexOf('#')));
                last = std::max(last, int(row.lastIndexOf('#')));
            }
        return last - first + 1;
    };
    // "&&" draws one ampersand: "a&b" fits in three 6-pixel cells, "a&&b" drawn literally would not.
    s.DrawTextA(QStringLiteral("a&&b"), {0, 0, 120, 20}, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_LE(inkWidth(), 3 * 6);
    // The tab reaches the first stop at 8 average widths (48 px), so "b" starts there.
    s.Cls();
    s.DrawTextA(QStringLiteral("a\tb"), {0, 0, 120, 20}, 0x65);
    EXPECT_GE(inkWidth(), 48);
}

TEST(PropertyBag, KeysMatchWithoutCaseDefaultsAreNotStoredAndJsonKeepsTypes)
{
    PropertyBag bag;
    const StdFont font{QStringLiteral("宋体"), 10.5, true, false, 134};
    bag.WriteProperty(QStringLiteral("ButtonType"), 5, 1);
    bag.WriteProperty(QStringLiteral("Percent"), 16, 16);
    bag.WriteProperty(QStringLiteral("Negative"), int32_t(0x8000000F));
    bag.WriteProperty(QStringLiteral("Enabled"), false);
    bag.WriteProperty(QStringLiteral("Font"), QVariant::fromValue(font));
    EXPECT_EQ(bag.keys(), QStringList({"ButtonType", "Negative", "Enabled", "Font"}));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("buttontype"), 1).toInt(), 5);
    bag.WriteProperty(QStringLiteral("buttonTYPE"), 1, 1); // the default again removes the value
    EXPECT_EQ(bag.keys(), QStringList({"Negative", "Enabled", "Font"}));

    const QByteArray json = QJsonDocument(bag.toJson()).toJson();
    PropertyBag back = PropertyBag::fromJson(QJsonDocument::fromJson(json).object());
    EXPECT_EQ(back.ReadProperty(QStringLiteral("negative")).typeId(), QMetaType::Int);
    EXPECT_EQ(back.ReadProperty(QStringLiteral("negative")).toInt(), int32_t(0x8000000F));
    EXPECT_EQ(back.ReadProperty(QStringLiteral("enabled")), QVariant(false));
    EXPECT_EQ(back.ReadProperty(QStringLiteral("font")).value<StdFont>(), font);
    back.WriteProperty(QStringLiteral("Negative"), int32_t(0x8000000F), int32_t(0x8000000F));
    EXPECT_FALSE(back.contains(QStringLiteral("negative"))) << "a value read from JSON still counts as its default";
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
