#include "TabLayout.h"

#include <gtest/gtest.h>

using namespace tabstrip;

TEST(TabWidth, SharesTheWidthOutToTheNearestTwipHalvesToEvenWithinLimits)
{
    EXPECT_EQ(tabWidth(8000, 1), 2700);
    EXPECT_EQ(tabWidth(6000, 4), 1500);
    EXPECT_EQ(tabWidth(6000, 10), 1000);
    EXPECT_EQ(tabWidth(5001, 2), 2500);
    EXPECT_EQ(tabWidth(5003, 2), 2502);
    EXPECT_EQ(tabWidth(4000, 3), 1333);
    EXPECT_EQ(tabWidth(70000, 2), 2700) << "35000 is past the 16-bit range";
    EXPECT_EQ(tabWidth(1e9, 1), 2700);
}

TEST(CaptionFitting, TriesTheWholeTitleThenTenDownToThreeCharactersElseTheFirst)
{
    // A short title keeps all its characters and still gets "...".
    EXPECT_EQ(captionCandidates(QStringLiteral("abcde")),
              (QStringList{"abcde", "abcde...", "abcde...", "abcde...", "abcde...", "abcde...",
                           "abcde...", "abcd...", "abc..."}));
    QStringList measured;
    auto tenPerCharacter = [&](const QString &s) {
        measured << s;
        return 10.0 * s.size();
    };
    const QString title = QStringLiteral("0123456789abcdef");
    EXPECT_EQ(fitCaption(title, 160, tenPerCharacter), title) << "as wide as the room";
    EXPECT_EQ(fitCaption(title, 110, tenPerCharacter), QStringLiteral("01234567..."));
    EXPECT_EQ(measured, (QStringList{title, title, "0123456789...", "012345678...", "01234567..."}));
    EXPECT_EQ(fitCaption(title, 59, tenPerCharacter), QStringLiteral("0...")) << "none fits";
}
