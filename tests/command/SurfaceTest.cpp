// The drawing surface's coordinate rules and the fonts the captions are
// measured in.
#include "surface/DrawSurface.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>

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

TEST(DrawSurface, SongFaceResolvesWithSimSunCellMetrics)
{
    const QFont song(QStringLiteral("宋体"), 9);
    EXPECT_EQ(QFontInfo(song).family(), QStringLiteral("AR PL SungtiL GB"));
    EXPECT_EQ(QFontMetrics(song).height(), 12);
    DrawSurface s;
    s.setFont(defaultFormFont());
    EXPECT_EQ(s.TextHeight(QStringLiteral("打开网址")), 12);
    EXPECT_EQ(s.TextWidth(QStringLiteral("打开网址")), 48);     // full-width, 12 each
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
