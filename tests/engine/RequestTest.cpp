// What pages ask of the user and of the desktop, on the real engine: the
// file chooser, permissions, addresses only the desktop opens, and the
// engine's own words in the desktop's language.

#include "EngineSupport.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/Desktop.h"
#include "browser/webengine/EngineStart.h"
#include "browser/webengine/SystemDesktop.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QLocale>
#include <QSignalSpy>
#include <QWebEnginePage>

using tk::QtWebBrowser;
using Access = tk::QtWebBrowserTestAccess;

namespace {

// A camera and a microphone made up by the engine, so that a page's request
// for them reaches the permission question (with no device at all it fails
// before asking).
void fakeMediaDevices()
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--use-fake-device-for-media-stream");
}
Q_CONSTRUCTOR_FUNCTION(fakeMediaDevices)

// Answers the file chooser as the test says, and keeps what it was asked.
class ChoosingDesktop : public tk::Desktop {
public:
    QStringList chooseFiles(QWidget *, FileChoice choice, const QStringList &types) override
    {
        const char *names[] = {"One", "Many", "Folder"};
        asked << QString::fromLatin1(names[int(choice)]) + " " + types.join(' ');
        return answer;
    }
    QStringList asked, answer;
};

// Catches what the desktop is asked to open for mailto: addresses.
class MailOpener : public QObject {
    Q_OBJECT
public:
    MailOpener() { QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open"); }
    ~MailOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("mailto")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

// A shown browser on the test's desktop, as the shell keeps it: silent. The
// server answers GET /<name> with served[name] and a POST with a page
// titled "posted", keeping what was posted.
class Requests : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        b.widget()->resize(400, 300);
        b.widget()->show();
        b.setSilent(true);
    }
    void answer(QTcpSocket *s, const QByteArray &request)
    {
        QByteArray body = "<title>posted</title>";
        if (request.startsWith("POST"))
            posts << request;
        else
            body = served.value(QString::fromLatin1(request.split(' ').value(1).mid(1))).toUtf8();
        s->write(httpHead("200 OK", "Content-Type: text/html\r\n", body.size()) + body);
        s->disconnectFromHost();
    }
    // Loads a page whose title turns "<title> ready" once painted, and waits for that.
    ::testing::AssertionResult show(const QString &url, const QString &title)
    {
        b.Navigate(url);
        if (waitUntil([&] { return b.LocationName() == title + " ready"; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << url.toStdString() << " shows " << b.LocationName().toStdString();
    }

    ChoosingDesktop desktop;
    QtWebBrowser b{desktop};
    QMap<QString, QString> served;
    QByteArrayList posts;
    LoopbackServer server{[this](QTcpSocket *s, const QByteArray &request) { answer(s, request); }};
};

// A click on a file input asks the desktop (Silent or not: the user asked)
// with the input's accepted types, and what was chosen is what the form
// sends; cancelled, it sends no file.
TEST_F(Requests, AFileInputAsksTheDesktopAndTheFormSendsWhatWasChosen)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder");
    const QString a = dir.filePath("a.txt"), c = dir.filePath("folder/c.txt");
    for (const QString &path : {a, dir.filePath("b.txt"), c}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("contents of " + path.toUtf8()) > 0);
    }
    const struct {
        const char *input;
        QStringList answer;
        QString asked;
        QStringList sent;
    } rows[] = {
        {"accept='.txt,text/plain'", {a}, "One text/plain .txt", {"contents of " + a}},
        {"multiple accept='image/*,.PDF'",
         {a, dir.filePath("b.txt")},
         "Many image/* .pdf",
         {"contents of " + a, "contents of " + dir.filePath("b.txt")}},
        {"webkitdirectory", {dir.filePath("folder")}, "Folder ", {"contents of " + c}},
        {"", {}, "One ", {"filename=\"\""}}, // cancelled
    };
    int n = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.input);
        desktop.asked.clear();
        desktop.answer = row.answer;
        posts.clear();
        const QString name = QStringLiteral("file%1").arg(++n);
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
        ASSERT_TRUE(waitUntil([&] { return b.LocationName() == "posted"; }));
        ASSERT_EQ(posts.size(), 1);
        for (const QString &sent : row.sent)
            EXPECT_TRUE(posts[0].contains(sent.toUtf8())) << posts[0].toStdString();
        EXPECT_EQ(posts[0].contains("contents of"), !row.answer.isEmpty());
    }
}

// The desktop's file dialog offers the accepted types together, then all
// files; what it cannot read as a type is left out.
TEST(FileDialogFilters, OfferTheAcceptedTypesThenAllFiles)
{
    const struct {
        QStringList types;
        QString first; // the first filter begins so
        const char *within;
    } rows[] = {
        {{".PDF", " text/plain"}, "支持的文件 (*.pdf *.txt", ""},
        {{"image/*"}, "支持的文件 (", "*.png"},
        {{"no/such", ". x", "", ".", ".a(b)"}, "所有文件 (*)", ""},
        {{}, "所有文件 (*)", ""},
    };
    for (const auto &row : rows) {
        const QStringList filters = tk::fileNameFilters(row.types);
        SCOPED_TRACE(filters.join(";;").toStdString());
        EXPECT_TRUE(filters.first().startsWith(row.first));
        EXPECT_TRUE(filters.first().contains(row.within));
        EXPECT_EQ(filters.last(), "所有文件 (*)");
        EXPECT_EQ(filters.size(), row.first.startsWith("所有") ? 1 : 2);
    }
}

// Every permission a page asks for is refused at once, Silent or not: the
// page's promise settles instead of waiting for good.
TEST_F(Requests, EveryPermissionIsRefusedAtOnce)
{
    const std::pair<const char *, const char *> rows[] = {
        {"navigator.mediaDevices.getUserMedia({audio: true}).then(() => 'granted', e => e.name)",
         "NotAllowedError"},
        {"navigator.mediaDevices.getUserMedia({video: true}).then(() => 'granted', e => e.name)",
         "NotAllowedError"},
        {"Notification.requestPermission()", "denied"},
        {"new Promise(r => navigator.geolocation.getCurrentPosition(() => r('granted'), e => r('error ' + "
         "e.code)))",
         "error 1"},
    };
    for (bool silent : {false, true}) {
        b.setSilent(silent);
        int n = 0;
        for (const auto &[ask, answer] : rows) {
            SCOPED_TRACE(ask);
            const QString name = QStringLiteral("ask%1-%2").arg(++n).arg(silent);
            served[name] =
                QStringLiteral(
                    "<title>asking</title><script>Promise.resolve(%1).then(v => document.title = v)</script>")
                    .arg(ask);
            b.Navigate(server.url(name));
            EXPECT_TRUE(waitFor([&] { return b.LocationName() == answer; }, 10000))
                << b.LocationName().toStdString();
        }
    }
}

// A mailto: link the user clicks goes to the desktop's handler, and the tab
// keeps its page: nothing is reported, nothing left busy. Navigate cannot
// send the desktop anywhere.
TEST_F(Requests, AMailLinkGoesToTheDesktopAndTheTabStays)
{
    MailOpener opener;
    const QString mail = "mailto:someone@example.org?subject=hi";
    const QString page = readyPage("mail.html", "Mail", block("a", "href='" + mail + "'"));
    ASSERT_TRUE(show(page, "Mail"));
    QStringList heard;
    b.events.BeforeNavigate2 = [&](const QString &url, bool &) { heard << url; };
    b.events.DownloadBegin = [&] { heard << "DownloadBegin"; };
    b.events.DownloadComplete = [&] { heard << "DownloadComplete"; };
    QSignalSpy engineFinished(Access::page(b), &QWebEnginePage::loadFinished);
    clickPage(b.widget(), QPoint(50, 50));
    ASSERT_TRUE(waitUntil([&] { return !opener.opened.isEmpty() && engineFinished.count() == 1; }));
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl(mail)});
    b.Navigate("mailto:typed@example.org");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(heard, QStringList{});
    EXPECT_EQ(b.LocationURL(), page);
    EXPECT_EQ(b.LocationName(), "Mail ready");
    EXPECT_EQ(opener.opened.size(), 1);
}

// The page's context menu speaks the desktop's language through Qt's
// translations, and English without them.
TEST(EngineWords, TheContextMenuFollowsTheDesktopsLanguage)
{
    const auto chinese = [](const QString &text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; });
    };
    for (const char *locale : {"zh_CN", "en_US", "xx"}) {
        SCOPED_TRACE(locale);
        QObject owner;
        tk::installQtTranslations(QLocale(QString::fromLatin1(locale)), &owner);
        QWebEnginePage page;
        const QString text = page.action(QWebEnginePage::OpenLinkInNewTab)->text();
        EXPECT_EQ(chinese(text), QByteArray(locale) == "zh_CN") << text.toStdString();
    }
}

} // namespace

#include "RequestTest.moc"
