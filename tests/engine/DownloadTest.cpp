// Downloads on the real engine from a loopback server the tests run: where
// they land and under which name, what shows while they run, tabs closing
// under running ones, a server giving up half way, exit, and the PDF that
// shows in its tab instead.

#include "EngineSupport.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/Downloads.h"
#include "browser/webengine/EngineProfile.h"
#include "browser/webengine/QtWebBrowser.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

const QByteArray kBody = QByteArray("contents of a download, ").repeated(400);
const qsizetype kHalf = kBody.size() / 2;

// A one-page PDF document.
QByteArray aPdf()
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    QPainter(&writer).drawText(200, 200, QStringLiteral("A document"));
    return pdf.data();
}

class Downloads : public ::testing::Test {
protected:
    Downloads()
    {
        QObject::connect(tk::EngineProfile::instance().profile(), &QWebEngineProfile::downloadRequested,
                         &context, [this](QWebEngineDownloadRequest *r) { requests << r; });
    }
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        ASSERT_FALSE(folder.isEmpty());
        tk::downloadEvents().DownloadFinished = [this](const QString &name, const QString &where) {
            heard << "finished " + name;
            EXPECT_EQ(where, folder);
        };
        tk::downloadEvents().DownloadFailed = [this](const QString &name, const QString &) {
            heard << "failed " + name;
        };
    }
    // Whatever a test (or a row) left running must not reach the next one.
    void TearDown() override
    {
        release();
        tk::cancelRunningDownloads();
        browsers.clear();
        requests.clear();
        heard.clear();
        QFile::remove(folder);
        QDir(folder).removeRecursively();
    }

    // Answers GET /<kind>/<name> with an attachment named <name> as given
    // (percent-decoded): "broken" sends the first half of it and closes,
    // "slow" the first half and holds the rest until release(). "resumable"
    // sends the first half and closes with the validators a download needs to
    // be resumed, and answers a range request with the rest, heard as
    // "resumed <name>". "pdf" sends a PDF document as an attachment, "inline"
    // the same to be shown. Any other kind sends it whole.
    void answer(QTcpSocket *s, const QByteArray &head)
    {
        const QString path = QString::fromLatin1(head.split(' ').value(1).mid(1)),
                      kind = path.section('/', 0, 0),
                      name = QUrl::fromPercentEncoding(path.section('/', 1).toLatin1());
        if (kind == "pdf" || kind == "inline") {
            const QByteArray pdf = aPdf();
            const QByteArray attached =
                "Content-Disposition: attachment; filename=\"" + name.toUtf8() + "\"\r\n";
            s->write(httpHead("200 OK", "Content-Type: application/pdf\r\n" + (kind == "pdf" ? attached : ""),
                              pdf.size()) +
                     pdf);
            s->disconnectFromHost();
            return;
        }
        QByteArray fields =
            "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" +
            name.toUtf8() + "\"\r\n";
        const bool resumable = kind == "resumable",
                   resumed = resumable &&
                             head.toLower().contains("\r\nrange: bytes=" + QByteArray::number(kHalf) + "-");
        if (resumable)
            fields +=
                "ETag: \"v1\"\r\nAccept-Ranges: bytes\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n";
        if (resumed) {
            heard << "resumed " + name;
            fields += QString::asprintf("Content-Range: bytes %lld-%lld/%lld\r\n", kHalf, kBody.size() - 1,
                                        kBody.size())
                          .toLatin1();
            s->write(httpHead("206 Partial Content", fields, kBody.size() - kHalf) + kBody.mid(kHalf));
        } else {
            const bool half = QStringList{"broken", "slow", "resumable"}.contains(kind);
            s->write(httpHead("200 OK", fields, kBody.size()) + kBody.left(half ? kHalf : kBody.size()));
        }
        kind == "slow" ? void(held << s) : s->disconnectFromHost();
    }
    void release()
    {
        for (const QPointer<QTcpSocket> &s : std::exchange(held, {}))
            if (s) {
                s->write(kBody.mid(kHalf));
                s->disconnectFromHost();
            }
    }

    // Starts a download as a link does: the tab navigates to it.
    void download(const QString &path)
    {
        browsers.push_back(std::make_unique<tk::QtWebBrowser>());
        browsers.back()->Navigate(server.url(path));
    }
    // Every file in the folder, hidden ones too, sorted.
    QStringList files() const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // The folder comes to hold exactly these files, each the whole body sent.
    void expectFiles(const QStringList &names) const
    {
        EXPECT_TRUE(waitUntil([&] { return files() == names; })) << files().join(", ").toStdString();
        for (const QString &name : names) {
            QFile f(QDir(folder).filePath(name));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == kBody) << name.toStdString();
        }
    }
    // The server holds n requests half sent, and the first download has bytes on disk.
    bool running(int n) const
    {
        return held.size() == n && requests.size() >= n && requests[0] && requests[0]->receivedBytes() > 0;
    }

    LoopbackServer server{[this](QTcpSocket *s, const QByteArray &head) { answer(s, head); }};
    const QString folder = tk::downloadFolder();
    QStringList heard;
    QList<QPointer<QTcpSocket>> held;
    QList<QPointer<QWebEngineDownloadRequest>> requests;
    QObject context;
    std::vector<std::unique_ptr<tk::QtWebBrowser>> browsers;
};

// Downloads one after another: each is heard as it ends, and the folder
// holds the finished ones only, each whole, under the name it was sent with
// made safe and unused.
TEST_F(Downloads, LandInTheFolderUnderTheirOwnNameAndAFailedOneLeavesNothing)
{
    const struct {
        QStringList paths, heard, files;
        bool folderBlocked = false; // a file where the folder should be
    } rows[] = {
        {{"file/report.txt", "file/report.txt"},
         {"finished report.txt", "finished report (1).txt"},
         {"report (1).txt", "report.txt"}},
        {{"broken/cut.txt"}, {"failed cut.txt"}, {}},
        {{"resumable/whole.txt"}, {"resumed whole.txt", "finished whole.txt"}, {"whole.txt"}},
        {{"file/..%2F..%2Fevil.txt", "file/sub%2Fdir%2Fx.txt", "file/..", "file/%2E%2E%5Cback.txt"},
         {"finished evil.txt", "finished x.txt", "finished qwe_download", "finished back.txt"},
         {"back.txt", "evil.txt", "qwe_download", "x.txt"}},
        {{"file/nowhere.txt"}, {"failed nowhere.txt"}, {}, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.paths.join(", ").toStdString());
        TearDown();
        ASSERT_TRUE(!row.folderBlocked || QFile(folder).open(QIODevice::WriteOnly));
        for (const QString &path : row.paths) {
            const qsizetype before = heard.size();
            download(path);
            ASSERT_TRUE(waitUntil([&] { return heard.size() > before; })) << files().join(", ").toStdString();
        }
        ASSERT_TRUE(waitUntil([&] { return heard.size() >= row.heard.size(); }));
        EXPECT_EQ(heard, row.heard);
        expectFiles(row.files);
        EXPECT_EQ(QFileInfo(folder).isFile(), row.folderBlocked);
    }
}

// While they run they show under hidden names only, and they go on when
// their tabs close; each then ends under a name of its own.
TEST_F(Downloads, TwoOfOneNameRunningAtOnceAreHiddenOutliveTheirTabsAndEachKeepTheirOwnFile)
{
    download("slow/same.txt");
    download("slow/same.txt");
    ASSERT_TRUE(waitUntil([&] { return running(2); }));
    const QStringList partial = files();
    EXPECT_FALSE(partial.isEmpty());
    for (const QString &name : partial)
        EXPECT_TRUE(name.startsWith('.')) << name.toStdString();
    EXPECT_TRUE(heard.isEmpty());
    browsers.clear(); // the tabs go
    release();
    ASSERT_TRUE(waitUntil([&] { return heard.size() >= 2; }));
    heard.sort();
    EXPECT_EQ(heard, (QStringList{"finished same (1).txt", "finished same.txt"}));
    expectFiles({"same (1).txt", "same.txt"});
}

// A PDF sent to be shown opens in its tab in the engine's viewer (the page
// embeds the document) and nothing downloads; sent as an attachment, it
// downloads.
TEST_F(Downloads, APdfShowsInItsTabUnlessSentAsAnAttachment)
{
    download("inline/shown.pdf");
    tk::QtWebBrowser &tab = *browsers.back();
    ASSERT_TRUE(waitUntil([&] { return !tab.Busy() && tab.LocationURL() == server.url("inline/shown.pdf"); }))
        << tab.LocationURL().toStdString();
    QString embedded;
    tk::QtWebBrowserTestAccess::page(tab)->runJavaScript(
        "document.querySelector('embed') ? document.querySelector('embed').type : 'nothing'",
        [&](const QVariant &type) { embedded = type.toString(); });
    ASSERT_TRUE(waitUntil([&] { return !embedded.isEmpty(); }));
    EXPECT_EQ(embedded, "application/pdf");
    download("pdf/saved.pdf");
    ASSERT_TRUE(waitUntil([&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, QStringList{"finished saved.pdf"}) << "and nothing before it";
}

TEST_F(Downloads, ExitCancelsTheRunningOnesAndRemovesWhatTheyWrote)
{
    download("slow/big.bin");
    download("file/small.bin");
    ASSERT_TRUE(waitUntil([&] { return running(1) && requests.size() == 2 && heard.size() == 1; }));
    ASSERT_EQ(files().size(), 2) << files().join(", ").toStdString();
    tk::cancelRunningDownloads();
    EXPECT_TRUE(waitUntil([&] { return !requests[0] || requests[0]->isFinished(); }));
    expectFiles({"small.bin"});
    EXPECT_EQ(heard, QStringList{"finished small.bin"}) << "exit is no failure to tell of";
}

} // namespace
