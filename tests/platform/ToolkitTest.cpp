// The toolkit: errors, twips, control arrays, keys, signals, the Win32
// calls it answers.
#include "ErrorOf.h"
#include "Geometry.h"
#include "Keys.h"
#include "Wait.h"
#include "toolkit/ControlArray.h"
#include "toolkit/EndSignals.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/PictureBox.h"
#include "toolkit/TextBox.h"
#include "win32/NotifyIcon.h"
#include "win32/Win32.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace tk;

namespace {

// Shows the form, 200 pixels square, once it is on the screen.
void show(Form &form)
{
    form.Move(0, 0, 3000, 3000);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.peer()->windowHandle()));
}

} // namespace

TEST(Errors, EachStepWithErrorsIgnoredIsSkippedAloneAndTheRestStillRunInOrder)
{
    QString ran;
    const auto runs = [&] { ran += '.'; };
    const auto fails = [&] {
        ran += '!';
        throw TkError(kInvalidPropertyValue);
    };
    EXPECT_FALSE(ignoreErrors(runs, fails, runs));
    EXPECT_TRUE(ignoreErrors(runs, runs));
    EXPECT_EQ(ran.toStdString(), ".!...");
    // Only the toolkit's own error is dropped.
    EXPECT_THROW(ignoreErrors([] { throw std::logic_error("not ours"); }), std::logic_error);
}

TEST(Geometry, TwipsAreKeptAsSetPushedRoundedToPixelsAndNeverNegative)
{
    Form form;
    Image img(&form);
    // 22.5 twips is 1.5 pixels (away from zero), 7 is 0.47, 8 is 0.53; a refused move changes nothing.
    const std::tuple<std::array<float, 4>, int, const char *, QRect> rows[] = {
        {{22.5f, 7, 8, 1507}, 0, "22.5 7 8 1507", {2, 0, 1, 100}},
        {{-20, -20, 8, 1507}, 0, "-20 -20 8 1507", {-1, -1, 1, 100}},
        {{100, 200, 300, 400}, 0, "100 200 300 400", {7, 13, 20, 27}},
        {{0, 0, 10, -10}, kInvalidPropertyValue, "100 200 300 400", {7, 13, 20, 27}},
        {{0, 0, 0, 10}, 0, "0 0 0 10", {0, 0, 0, 1}}, // zero is a size like any other
    };
    for (const auto &[move, error, twips, pixels] : rows) {
        EXPECT_EQ(errorOf([&] { img.Move(move[0], move[1], move[2], move[3]); }), error) << twips;
        EXPECT_EQ(geometry(img), twips);
        EXPECT_EQ(img.peer()->geometry(), pixels) << twips;
    }
    EXPECT_EQ(errorOf([&] { img.setWidth(-1); }), kInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { img.setHeight(-0.5f); }), kInvalidPropertyValue);
    img.Move(-20, -20);
    EXPECT_EQ(geometry(img), "-20 -20 0 10");
}

TEST(ControlArrays, LoadCreatesAHiddenCopyOfElementZeroInItsContainer)
{
    Form form;
    PictureBox box(&form);
    const Picture skin(QPixmap(8, 28));
    auto first = std::make_unique<Image>(&box);
    first->setStretch(true);
    first->setPicture(skin);
    first->Move(120, 0, 300, 420);
    first->setTag(QStringLiteral("t"));
    ControlArray<Image> arr(std::move(first));
    std::vector<int16_t> wired;
    arr.setWiring([&](int16_t i, Image &) { wired.push_back(i); });
    arr.Load(3);
    const Image &copy = arr(3);
    EXPECT_FALSE(copy.Visible() || copy.peer()->isVisibleTo(box.peer()));
    EXPECT_TRUE(copy.Container() == &box && copy.peer()->parentWidget() == box.peer());
    EXPECT_TRUE(copy.picture().handle() == skin.handle() && copy.Stretch());
    EXPECT_EQ(geometry(copy) + " " + copy.Tag().toStdString(), "120 0 300 420 t");
    EXPECT_EQ(wired, (std::vector<int16_t>{0, 3}));
    EXPECT_EQ(errorOf([&] { arr.Load(3); }), kAlreadyLoaded);
    EXPECT_EQ(errorOf([&] { arr(2); }), kElementNotLoaded);
}

// Beside a picture file, the one named with "@2x" is the picture at twice the density, drawn where the
// device pixel ratio rounds to 2 or more, unless it is not twice as large. The picture's size is its own.
TEST(Pictures, ThePictureAtTwiceTheDensityIsDrawnOnDenseScreensWhenItIsTwiceAsLarge)
{
    QTemporaryDir dir;
    for (auto [name, w] : {std::pair("a.png", 4), {"a@2x.png", 8}, {"b.png", 4}, {"b@2x.png", 6}})
        QPixmap(w, w).save(dir.filePath(QLatin1String(name)));
    std::string drawn;
    for (auto [name, ratio] : {std::pair("a", 1.25), {"a", 1.5}, {"b", 2.0}}) {
        const Picture p = Picture::load(dir.filePath(QLatin1String(name) + QStringLiteral(".png")));
        drawn += std::to_string(p.size().width()) + "/" + std::to_string(p.pixmapFor(ratio).width()) + " ";
    }
    EXPECT_EQ(drawn, "4/4 4/8 4/4 ");
}

TEST(Shortcuts, AFormsKeysFireWhereverTheFocusIsInsideItAndAnErrorStopsAtTheBinding)
{
    Form form;
    TextBox text(&form);
    text.Move(0, 0, 1500, 300);
    int fired = 0;
    form.bindShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [&] {
        ++fired;
        throw TkError(kInvalidPropertyValue);
    });
    show(form);
    QApplication::setActiveWindow(form.peer());
    text.SetFocus();
    ASSERT_TRUE(waitFor([&] { return text.containsFocus(); }));
    QTest::keyClick(text.edit(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(text.edit(), Qt::Key_X);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(text.Text().toStdString(), "x") << "the bound key never reaches the text box, others do";
}

// A key held down repeats to whatever window has the keyboard now; only the
// window it went down in takes the repeats. (A dialog closed by Escape would
// otherwise close every dialog after it while the key stays down, and it
// stays down for good when its release went to the window that had gone.)
TEST(HeldKeys, ARepeatReachesOnlyTheWindowTheKeyWentDownIn)
{
    Form first, second;
    TextBox inFirst(&first), inSecond(&second);
    QString heard;
    inFirst.events.KeyDown = [&](int16_t &k, int16_t &) { heard += QStringLiteral("1:%1 ").arg(k); };
    inSecond.events.KeyDown = [&](int16_t &k, int16_t &) { heard += QStringLiteral("2:%1 ").arg(k); };
    show(first);
    show(second);
    inFirst.SetFocus();
    inSecond.SetFocus();
    // A step: the window (1 or 2), d (down), u (up), r or q (a press or a
    // release marked as a repeat), then the time in ms.
    const std::pair<const char *, const char *> rows[] = {
        {"1d0 1r30 1r60 1u90", "1:27 1:27 1:27 "},
        {"1d0 2r30 2r60", "1:27 "},
        {"1d0 2u30 2d30 2u60 2d60", "1:27 "}, // repeats Qt could not mark, the keyboard having moved
        {"1d0 1u30 2d500", "1:27 2:27 "},
        {"1d0 2d30 2r60 1r90", "1:27 2:27 2:27 "},
        {"1d0 1u30 1d35", "1:27 1:27 "},
        {"1d0 2u30 2d30 2q60 2r60", "1:27 "},   // marked ones after an unmarked pair
        {"1d0 1u30 2q500 2r500", "1:27 2:27 "}, // up and down again too fast for Qt: a new press
    };
    quint64 base = 0;
    for (const auto &[steps, expected] : rows) {
        heard.clear();
        base += 10000;
        for (const QString &step : QString::fromLatin1(steps).split(' ')) {
            const QChar kind = step[1];
            sendKey((step[0] == '1' ? first : second).peer()->windowHandle(), kind == 'd' || kind == 'r',
                    Qt::Key_Escape, kind == 'r' || kind == 'q', base + step.mid(2).toULongLong());
        }
        EXPECT_EQ(heard.toStdString(), expected) << steps;
        sendKey(first.peer()->windowHandle(), false, Qt::Key_Escape, false, base + 5000);
    }
}

TEST(EndSignals, EachEndsTheSessionFromTheEventLoopOnce)
{
    int ended = 0;
    onEndSignals([&] { ++ended; });
    ::raise(SIGHUP);
    EXPECT_EQ(ended, 0) << "not inside the signal handler";
    EXPECT_TRUE(waitFor([&] { return ended == 1; }));
    ::raise(SIGINT);
    EXPECT_TRUE(waitFor([&] { return ended == 2; }));
}

// The shell's window procedure chained to the system, the icon added and removed: FrameTest and
// DownloadMessageTest.
TEST(Win32, UnknownProceduresHandlesAndIconFilesAreRefusedQuietlyAndAnIconIsAddedOnce)
{
    Form form;
    EXPECT_EQ(GetWindowLongA(form.hWnd(), GWL_WNDPROC), AddressOf(&DefWindowProcA));
    EXPECT_EQ(SetWindowLongA(form.hWnd(), GWL_WNDPROC, 12345), 0);
    EXPECT_EQ(SendMessageA(7, 2025, 0, 0), 0);
    EXPECT_EQ(LoadImageA(0, QStringLiteral("/nonexistent/b.ico"), IMAGE_ICON, 16, 16, LR_LOADFROMFILE), 0);
    NOTIFYICONDATA d{};
    d.cbSize = 88;
    NotificationArea::simulate(true);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, d));
    EXPECT_EQ(NotificationArea::icons().size(), 1u);
}
