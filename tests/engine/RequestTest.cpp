// What pages ask of the user and of the desktop, on the real engine: the
// file chooser, permissions, addresses only the desktop opens, and the
// engine's own words in the desktop's language.

#include "DesktopOpener.h"
#include "EngineSupport.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/webengine/EngineStart.h"

#include <QAction>
#include <QDir>
#include <QLocale>
#include <QSignalSpy>
#include <QWebEnginePage>

using Access = tk::QtWebBrowserTestAccess;

namespace {

// Made-up media devices: with none at all, a request for them fails before
// the permission is asked.
void fakeMediaDevices()
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--use-fake-device-for-media-stream");
}
Q_CONSTRUCTOR_FUNCTION(fakeMediaDevices)

// The file chooser, answered as the test says; it keeps what it was asked.
struct ChoosingDesktop : tk::Desktop {
    QStringList chooseFiles(QWidget *, FileChoice choice, const QStringList &types) override
    {
        asked << QStringList{"One", "Many", "Folder"}[int(choice)] + " " + types.join(' ');
        return answer;
    }
    bool choosePrinter(QWidget *, QPrinter &) override { return false; }
    QStringList asked, answer;
};

// A shown browser on the test's desktop, silent as the shell keeps it. The
// server answers GET /<name> with served[name] and a POST with "posted".
class Requests : public ::testing::Test {
protected:
    void SetUp() override
    {
        b.widget()->resize(400, 300);
        b.widget()->show();
        b.setSilent(true);
    }
    void answer(QTcpSocket *s, const QByteArray &request)
    {
        const bool post = request.startsWith("POST");
        if (post)
            posts << request;
        const QByteArray body =
            post ? QByteArray("<title>posted</title>")
                 : served.value(QString::fromLatin1(request.split(' ').value(1).mid(1))).toUtf8();
        s->write(httpHead("200 OK", "Content-Type: text/html\r\n", body.size()) + body);
        s->disconnectFromHost();
    }
    // Shows a readyHtml page and waits until it is painted.
    bool show(const QString &url, const QString &title)
    {
        b.Navigate(url);
        return waitUntil([&] { return b.LocationName() == title + " ready"; });
    }

    ChoosingDesktop desktop;
    tk::QtWebBrowser b{desktop};
    QMap<QString, QString> served;
    QByteArrayList posts;
    LoopbackServer server{[this](QTcpSocket *s, const QByteArray &request) { answer(s, request); }};
};

// A click on a file input asks the desktop, Silent or not (the user asked),
// with the input's accepted types; the form sends what was chosen, and
// nothing when the choice was cancelled.
TEST_F(Requests, AFileInputAsksTheDesktopAndTheFormSendsWhatWasChosen)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt"), b2 = dir.filePath("b.txt"), c = dir.filePath("in/c.txt");
    QDir(dir.path()).mkdir("in");
    for (const QString &path : {a, b2, c}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("contents of " + path.toUtf8()) > 0);
    }
    const struct {
        const char *input;
        QStringList answer;
        QString asked;
        QStringList sent;
    } rows[] = {
        {"accept='.txt,text/plain'", {a}, "One text/plain .txt", {a}},
        {"multiple accept='image/*,.PDF'", {a, b2}, "Many image/* .pdf", {a, b2}},
        {"webkitdirectory", {dir.filePath("in")}, "Folder ", {c}},
        {"", {}, "One ", {}}, // cancelled
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.input);
        desktop.asked.clear();
        desktop.answer = row.answer;
        posts.clear();
        const QString name = QString::number(served.size());
        served[name] = readyHtml(
            "File", QStringLiteral("<form method=post enctype=multipart/form-data action='%1'>"
                                   "<input type=file name=f %2 onchange='document.title = \"chosen\"'"
                                   " style='display:block;width:300px;height:100px'></form>")
                        .arg(server.url("post"), row.input));
        ASSERT_TRUE(show(server.url(name), "File"));
        clickPage(b.widget(), QPoint(50, 50));
        ASSERT_TRUE(waitUntil([&] { return !desktop.asked.isEmpty(); }));
        EXPECT_EQ(desktop.asked, QStringList{row.asked});
        ASSERT_TRUE(row.answer.isEmpty() || waitUntil([&] { return b.LocationName() == "chosen"; }));
        Access::page(b)->runJavaScript("document.forms[0].submit()");
        ASSERT_TRUE(waitUntil([&] { return posts.size() == 1; }));
        EXPECT_EQ(posts[0].count("contents of "), row.sent.size()) << posts[0].toStdString();
        for (const QString &sent : row.sent)
            EXPECT_TRUE(posts[0].contains("contents of " + sent.toUtf8()));
    }
}

// The dialog offers the accepted types together, then all files; what it
// cannot read as a type is left out.
TEST(FileDialogFilters, OfferTheAcceptedTypesThenAllFiles)
{
    const std::pair<QStringList, QString> rows[] = {
        {{".PDF", ". x", "no/such", ".a(b)", "."}, "支持的文件 (*.pdf);;所有文件 (*)"},
        {{" text/plain"}, "支持的文件 (*.txt"},
        {{}, "所有文件 (*)"},
    };
    for (const auto &[types, filters] : rows)
        EXPECT_TRUE(tk::fileNameFilters(types).join(";;").startsWith(filters)) << filters.toStdString();
}

// Every permission a page asks for is refused at once, Silent or not: the
// page's promise settles instead of waiting for good.
TEST_F(Requests, EveryPermissionIsRefusedAtOnce)
{
    const std::pair<const char *, const char *> rows[] = {
        {"navigator.mediaDevices.getUserMedia({audio: true}).catch(e => e.name)", "NotAllowedError"},
        {"navigator.mediaDevices.getUserMedia({video: true}).catch(e => e.name)", "NotAllowedError"},
        {"Notification.requestPermission()", "denied"},
        {"new Promise(r => navigator.geolocation.getCurrentPosition(r, e => r(e.code)))", "1"},
    };
    for (bool silent : {false, true}) {
        b.setSilent(silent);
        for (const auto &[ask, answer] : rows) {
            SCOPED_TRACE(ask);
            const QString name = QString::number(served.size());
            served[name] =
                QStringLiteral("<script>Promise.resolve(%1).then(v => document.title = v)</script>").arg(ask);
            b.Navigate(server.url(name));
            EXPECT_TRUE(waitFor([&] { return b.LocationName() == answer; }, 10000))
                << b.LocationName().toStdString();
        }
    }
}

// A mailto: link the user clicks goes to the desktop's handler and the tab
// keeps its page: nothing is reported, nothing left busy. Navigate sends
// nothing to the desktop.
TEST_F(Requests, AMailLinkGoesToTheDesktopAndTheTabStays)
{
    DesktopOpener mailer("mailto");
    const QString mail = "mailto:someone@example.org?subject=hi";
    const QString page = readyPage("mail.html", "Mail", block("a", "href='" + mail + "'"));
    ASSERT_TRUE(show(page, "Mail"));
    QStringList heard;
    b.events.BeforeNavigate2 = [&](const QString &url, bool &) { heard << url; };
    b.events.DownloadBegin = [&] { heard << "DownloadBegin"; };
    QSignalSpy engineFinished(Access::page(b), &QWebEnginePage::loadFinished);
    clickPage(b.widget(), QPoint(50, 50));
    ASSERT_TRUE(waitUntil([&] { return !mailer.opened.isEmpty() && engineFinished.count() == 1; }));
    b.Navigate("mailto:typed@example.org");
    EXPECT_EQ(mailer.opened, QList<QUrl>{QUrl(mail)});
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(heard, QStringList{});
    EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), page + " Mail ready");
}

// The page's context menu speaks the desktop's language through Qt's
// translations, and English without them.
TEST(EngineWords, TheContextMenuFollowsTheDesktopsLanguage)
{
    for (const char *locale : {"zh_CN", "en_US", "xx"}) {
        QObject owner;
        tk::installQtTranslations(QLocale(QString::fromLatin1(locale)), &owner);
        const QString text = QWebEnginePage().action(QWebEnginePage::OpenLinkInNewTab)->text();
        const bool chinese =
            std::any_of(text.begin(), text.end(), [](QChar ch) { return ch >= QChar(0x4e00); });
        EXPECT_EQ(chinese, QByteArray(locale) == "zh_CN") << locale << ": " << text.toStdString();
    }
}

} // namespace
