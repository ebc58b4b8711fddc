// Find in page and printing on the real engine, the desktop's print dialog
// answered by the test.

#include "EngineSupport.h"
#include "browser/webengine/QtWebBrowser.h"

#include <QImage>
#include <QPrinter>
#include <QSignalSpy>
#include <QWebEngineView>

namespace {

// Answers the print dialog: prints to file, or cancels without one.
struct AnsweringDesktop : tk::Desktop {
    QString file;
    int asked = 0;
    std::function<void()> whileAsked;
    bool choosePrinter(QWidget *, QPrinter &printer) override
    {
        ++asked;
        if (whileAsked)
            whileAsked();
        printer.setOutputFileName(file);
        return !file.isEmpty();
    }
    QStringList chooseFiles(QWidget *, FileChoice, const QStringList &) override { return {}; }
};

class FindPrint : public ::testing::Test {
protected:
    bool show(const QString &name, const QString &html)
    {
        b.widget()->resize(600, 400);
        b.widget()->show();
        b.Navigate(writePage(name + ".html", html));
        return waitUntil([&] { return !b.Busy() && b.LocationName() == name; });
    }
    // What the engine answers, as "active/matches": the one answer heard.
    QString find(const QString &text, bool backward = false)
    {
        const qsizetype before = heard.size();
        b.findText(text, backward, [this](int a, int m) { heard << QStringLiteral("%1/%2").arg(a).arg(m); });
        const bool answered = waitUntil([&] { return heard.size() > before; });
        return answered && heard.size() == before + 1 ? heard.last() : "";
    }
    QStringList heard;
    int markedPixels() // in the engine's find colours: the yellow marks, the orange active one
    {
        const QImage shot = b.widget()->grab().toImage();
        int marked = 0;
        for (int k = 0; k < shot.width() * shot.height(); ++k) {
            const QColor c = shot.pixelColor(k % shot.width(), k / shot.width());
            marked += c.red() > 200 && c.green() > 120 && c.blue() < 80;
        }
        return marked;
    }
    AnsweringDesktop desktop;
    std::unique_ptr<tk::QtWebBrowser> owner = std::make_unique<tk::QtWebBrowser>(desktop);
    tk::QtWebBrowser &b = *owner;
};

TEST_F(FindPrint, FindCountsStepsBothWaysRoundOnlyTheLatestIsHeardAndClearingClearsTheMarks)
{
    ASSERT_TRUE(show("find", "<title>find</title><p>apple pear apple</p><p>Apple plum</p>"));
    const std::tuple<const char *, bool, const char *> rows[] = {
        {"apple", false, "1/3"}, {"apple", false, "2/3"}, {"apple", false, "3/3"},
        {"apple", false, "1/3"}, {"apple", true, "3/3"},  {"apple", true, "2/3"},
        {"pear", false, "1/1"},  {"kiwi", false, "0/0"},  {"", false, "0/0"}};
    for (const auto &[text, backward, answer] : rows)
        EXPECT_EQ(find(text, backward), answer) << text << (backward ? " backward" : "");
    b.findText("pl", false, [this](int, int) { heard << "pl"; }); // typed past: not heard

    EXPECT_EQ(find("plu"), "1/1");
    EXPECT_EQ(find("apple"), "1/3");
    EXPECT_TRUE(waitUntil([&] { return markedPixels() > 50; })) << "the engine marks the matches";
    EXPECT_EQ(find(""), "0/0");
    EXPECT_TRUE(waitUntil([&] { return markedPixels() == 0; })) << markedPixels();
}

// A page's window.print() asks the desktop, Silent or not. The page printed
// to a PDF file, one request at a time: one more while the dialog is up or
// the engine prints is refused, none afterwards.
TEST_F(FindPrint, PrintGoesThroughTheDesktopsChoiceToAPdfOneAtATime)
{
    b.setSilent(true);
    ASSERT_TRUE(show(
        "print", "<title>print</title><h1>Printed page</h1><script>setTimeout(() => print(), 0)</script>"));
    ASSERT_TRUE(waitUntil([&] { return desktop.asked == 1; })); // cancelled
    QTemporaryDir out;
    desktop.file = out.filePath("page.pdf");
    desktop.whileAsked = [this] { b.print(); };
    QSignalSpy finished(qobject_cast<QWebEngineView *>(b.widget()), &QWebEngineView::printFinished);
    b.print();
    b.print();
    ASSERT_TRUE(finished.count() == 1 || finished.wait(60000));
    QFile pdf(desktop.file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.peek(5), "%PDF-");
    EXPECT_GT(pdf.size(), 1000);
    EXPECT_EQ(desktop.asked, 2);
    // Asked again; the browser goes while the engine prints, which finishes first.
    pdf.remove();
    b.print();
    EXPECT_EQ(desktop.asked, 3);
    owner.reset();
    tk::finishPrinting(60000);
    EXPECT_TRUE(pdf.open(QIODevice::ReadOnly) && pdf.peek(5) == "%PDF-");
}

} // namespace
