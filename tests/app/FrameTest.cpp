#include "FakeBrowser.h"
#include "Forms.h"
#include "NotifyIcon.h"
#include "Screen.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tk;

namespace {

using Rows = std::vector<std::string>;

std::string geometry(const Control &c)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(c.Left())
        .arg(c.Top())
        .arg(c.Width())
        .arg(c.Height())
        .toStdString();
}

// One row per array when its three pictures lie at one place, as they must.
std::string geometry(const ControlArray<Image> &button)
{
    std::string row = geometry(button(0));
    for (int16_t i = 1; i <= 2; ++i)
        if (geometry(button(i)) != row)
            row += " / " + geometry(button(i));
    return row;
}

Rows layout(const Form1 &f)
{
    return {
        "ImageTopLeft " + geometry(f.ImageTopLeft),
        "ImageTopMiddle " + geometry(f.ImageTopMiddle),
        "ImageTopRight " + geometry(f.ImageTopRight),
        "ImageMiddleLeft " + geometry(f.ImageMiddleLeft),
        "ImageMiddleRight " + geometry(f.ImageMiddleRight),
        "ImageButtomLeft " + geometry(f.ImageButtomLeft),
        "ImageButtomMiddle " + geometry(f.ImageButtomMiddle),
        "ImageButtomRight " + geometry(f.ImageButtomRight),
        "ImageMin " + geometry(f.ImageMin),
        "ImageSize " + geometry(f.ImageSize),
        "ImageExit " + geometry(f.ImageExit),
        "Image1 " + geometry(f.Image1),
        "Label1 " + geometry(f.Label1),
        "WBControl1 " + geometry(f.WBControl1),
    };
}

// Which pictures of each caption button are visible: exactly one each.
std::string visiblePictures(const ControlArray<Image> &button)
{
    std::string shown;
    for (int16_t i = 0; i <= 2; ++i)
        if (button(i).Visible())
            shown += char('0' + i);
    return shown;
}

std::string pictures(const Form1 &f)
{
    return "min " + visiblePictures(f.ImageMin) + " size " + visiblePictures(f.ImageSize) + " exit " +
           visiblePictures(f.ImageExit);
}

constexpr const char *kAllNormal = "min 0 size 0 exit 0";

// A 1280 × 1024 screen: 19200 × 15360 twips.
class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeBrowser::install();
        NotificationArea::simulate(true);
        Screen::setOverrideSize(QSize(1280, 1024));
    }
    void TearDown() override
    {
        forms::Form1.Unload();
        forms::FormMenu.Unload();
        FormInstanceBase::flushUnloaded();
    }

    Form1 &shown()
    {
        Form1 &f = *forms::Form1;
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(f.peer()));
        return f;
    }
};

TEST_F(Frame, TheLayoutPlacesEveryPieceFromTheWindowsSize)
{
    Form1 &f = shown();
    EXPECT_EQ(layout(f), (Rows{
                             "ImageTopLeft 0 0 270 270",
                             "ImageTopMiddle 270 0 13545 270",
                             "ImageTopRight 13320 0 225 270",
                             "ImageMiddleLeft 0 270 135 8520",
                             "ImageMiddleRight 13425 270 120 8520",
                             "ImageButtomLeft 0 8790 270 240",
                             "ImageButtomMiddle 270 8790 13050 240",
                             "ImageButtomRight 13320 8790 225 240",
                             "ImageMin 12135 0 465 285",
                             "ImageSize 12580 0 435 285",
                             "ImageExit 13015 0 480 285",
                             "Image1 120 15 345 345",
                             "Label1 480 100 900 180",
                             "WBControl1 60 380 13425 8590",
                         }));

    f.Move(300, 450, 20000, 12000);
    EXPECT_EQ(layout(f), (Rows{
                             "ImageTopLeft 0 0 270 270",
                             "ImageTopMiddle 270 0 20000 270",
                             "ImageTopRight 19775 0 225 270",
                             "ImageMiddleLeft 0 270 135 11490",
                             "ImageMiddleRight 19880 270 120 11490",
                             "ImageButtomLeft 0 11760 270 240",
                             "ImageButtomMiddle 270 11760 19505 240",
                             "ImageButtomRight 19775 11760 225 240",
                             "ImageMin 18590 0 465 285",
                             "ImageSize 19035 0 435 285",
                             "ImageExit 19470 0 480 285",
                             "Image1 120 15 345 345",
                             "Label1 480 100 900 180",
                             "WBControl1 60 380 19880 11560",
                         }));
}

TEST_F(Frame, TheStackingPutsTheSizeButtonOverTheMinimiseButtonAndTheCornerOverTheBar)
{
    Form1 &f = shown();
    // The minimise button's last pixel column lies under the size button.
    EXPECT_EQ(f.peer()->childAt(838, 5), f.ImageMin(0).peer());
    EXPECT_EQ(f.peer()->childAt(839, 5), f.ImageSize(0).peer());
    EXPECT_EQ(f.peer()->childAt(901, 5), f.ImageTopRight.peer());
    EXPECT_EQ(f.peer()->childAt(40, 12), f.Label1.peer());
    EXPECT_EQ(f.peer()->childAt(20, 12), f.Image1.peer());
}

TEST_F(Frame, AWindowNarrowerThanItsCornersKeepsTheLastGoodSizesAndPlacesTheRest)
{
    Form1 &f = shown();
    f.ImageSize(0).setVisible(false);
    f.ImageSize(1).setVisible(true);
    f.setWidth(300);
    f.setHeight(400);
    EXPECT_EQ(layout(f), (Rows{
                             "ImageTopLeft 0 0 270 270",
                             "ImageTopMiddle 270 0 300 270",
                             "ImageTopRight 75 0 225 270",
                             "ImageMiddleLeft 0 270 135 8520",
                             "ImageMiddleRight 180 270 120 8520",
                             "ImageButtomLeft 0 160 270 240",
                             "ImageButtomMiddle 270 160 13050 240",
                             "ImageButtomRight 75 160 225 240",
                             "ImageMin -1110 0 465 285",
                             "ImageSize -665 0 435 285",
                             "ImageExit -230 0 480 285",
                             "Image1 120 15 345 345",
                             "Label1 480 100 900 180",
                             "WBControl1 60 380 180 8590",
                         }));
    EXPECT_EQ(pictures(f), kAllNormal);
}

} // namespace
