// Find in page and printing on the real engine, the desktop's print dialog
// answered by the test.

#include "EngineSupport.h"
#include "browser/Desktop.h"
#include "browser/webengine/QtWebBrowser.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QSignalSpy>
#include <QWebEngineView>

#include <functional>

namespace {

// Answers the print dialog: prints to file, or cancels when there is none.
struct AnsweringDesktop : tk::Desktop {
    QString file;
    int asked = 0;
    std::function<void()> whileAsked;
    bool choosePrinter(QWidget *, QPrinter &printer) override
    {
        ++asked;
        if (whileAsked)
            whileAsked();
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    }
};

class FindPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        b.widget()->resize(600, 400);
        b.widget()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.widget()));
    }
    ::testing::AssertionResult load(const QString &url, const QString &title)
    {
        b.Navigate(url);
        if (waitUntil([&] { return !b.Busy() && b.LocationName() == title; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "not loaded: " << url.toStdString();
    }
    // "active/matches" as the engine answers a search.
    QString find(const QString &text, bool backward = false)
    {
        QString heard;
        b.findText(text, backward, [&](int active, int matches) {
            heard = QStringLiteral("%1/%2").arg(active).arg(matches);
        });
        return waitUntil([&] { return !heard.isEmpty(); }) ? heard : QStringLiteral("no answer");
    }
    // Pixels in the engine's find colours (yellow marks, the orange active one).
    int markedPixels()
    {
        const QImage shot = b.widget()->grab().toImage();
        int marked = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                marked += c.red() > 200 && c.green() > 120 && c.blue() < 80;
            }
        return marked;
    }
    AnsweringDesktop desktop;
    tk::QtWebBrowser b{desktop};
};

TEST_F(FindPrint, FindCountsStepsBothWaysRoundAndClearingClearsTheMarks)
{
    ASSERT_TRUE(load(
        writePage("find.html", "<title>Find</title><p>apple pear apple</p><p>Apple</p><p>plum</p>"), "Find"));
    const std::tuple<const char *, bool, const char *> rows[] = {
        {"apple", false, "1/3"}, {"apple", false, "2/3"}, {"apple", false, "3/3"},
        {"apple", false, "1/3"}, {"apple", true, "3/3"},  {"apple", true, "2/3"},
        {"pear", false, "1/1"},  {"kiwi", false, "0/0"},  {"", false, "0/0"},
    };
    for (const auto &[text, backward, answer] : rows)
        EXPECT_EQ(find(text, backward), answer) << text << (backward ? " backward" : "");

    // Typed fast: the searches typed past are not heard, only the last.
    QStringList heard;
    for (const QString text : {"p", "pl", "plu"})
        b.findText(text, false, [&heard, text](int a, int m) {
            heard << QStringLiteral("%1 %2/%3").arg(text).arg(a).arg(m);
        });
    ASSERT_TRUE(waitUntil([&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, QStringList{"plu 1/1"});

    EXPECT_EQ(find("apple"), "1/3");
    EXPECT_TRUE(waitUntil([&] { return markedPixels() > 50; })) << "the engine marks the matches";
    EXPECT_EQ(find(""), "0/0");
    EXPECT_TRUE(waitUntil([&] { return markedPixels() == 0; })) << markedPixels();
}

// The page printed on a PDF printer, one request at a time: a second while
// the dialog is up or the engine prints is refused; afterwards one is asked.
TEST_F(FindPrint, PrintGoesThroughTheDesktopsChoiceToAPdfAndOneAtATime)
{
    ASSERT_TRUE(load(writePage("print.html", "<title>Print</title><h1>Printed page</h1>"), "Print"));
    QTemporaryDir out;
    desktop.file = out.filePath("page.pdf");
    desktop.whileAsked = [this] { b.print(); };
    QSignalSpy finished(qobject_cast<QWebEngineView *>(b.widget()), &QWebEngineView::printFinished);
    b.print();
    b.print();
    ASSERT_TRUE(finished.count() == 1 || finished.wait(60000));
    EXPECT_EQ(finished.first().first().toBool(), true);
    EXPECT_EQ(desktop.asked, 1);
    QFile pdf(desktop.file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.peek(5) == "%PDF-") << pdf.peek(16).toStdString();
    EXPECT_GT(pdf.size(), 1000);

    desktop.whileAsked = nullptr;
    desktop.file.clear();
    b.print(); // cancelled
    b.print();
    EXPECT_EQ(desktop.asked, 3);
}

// window.print() asks the desktop, Silent or not: printing is not the page's
// own dialog.
TEST_F(FindPrint, WindowPrintReachesTheDesktopsChoice)
{
    b.setSilent(true);
    ASSERT_TRUE(load(
        writePage("asks.html", "<title>Asks</title><script>setTimeout(() => print(), 0)</script>"), "Asks"));
    EXPECT_TRUE(waitUntil([&] { return desktop.asked == 1; }));
}

} // namespace
