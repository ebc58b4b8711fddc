// Downloads on the real engine from a loopback server the tests run: where
// they land and under which name, what shows while one runs, a tab closing
// under a running one, a server giving up half way, and exit.

#include "EngineSupport.h"
#include "browser/Downloads.h"
#include "browser/webengine/EngineProfile.h"
#include "browser/webengine/QtWebBrowser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <map>
#include <memory>

namespace {

// Answers GET /<kind>/<name>: "file" sends the whole body as an attachment
// named <name>; "slow" sends the first half and holds the rest until
// release(); "broken" sends the first half and closes. "resumable" does the
// same with the validators a download needs to be resumed, and answers a
// range request with the rest. Every kind sends its Content-Disposition file
// name (after the slash, percent-decoded) as given.
class LoopbackServer : public QObject {
public:
    LoopbackServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { onRead(s); });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    ~LoopbackServer() override { releaseAll(); }

    bool listening() const { return m_server.isListening(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path);
    }
    static QByteArray body(const QString &name) { return ("contents of " + name).toUtf8().repeated(400); }
    // How many requests for a path have had their first half sent.
    int held(const QString &path) const { return int(m_held.count(path)); }
    int resumed() const { return m_resumed; }

    void release(const QString &path)
    {
        for (auto [it, end] = m_held.equal_range(path); it != end; ++it)
            if (it->second.socket) {
                it->second.socket->write(it->second.rest);
                it->second.socket->disconnectFromHost();
            }
        m_held.erase(path);
    }
    void releaseAll()
    {
        while (!m_held.empty())
            release(m_held.begin()->first);
    }

private:
    struct Held {
        QPointer<QTcpSocket> socket;
        QByteArray rest;
    };

    void onRead(QTcpSocket *s)
    {
        m_requests[s] += s->readAll();
        if (!m_requests[s].contains("\r\n\r\n"))
            return;
        const QByteArray request = m_requests[s].toLower();
        const QList<QByteArray> line = m_requests[s].left(request.indexOf("\r\n")).split(' ');
        m_requests.erase(s);
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        const QString path = line.size() > 1 ? QString::fromLatin1(line[1]).mid(1) : QString();
        const QString kind = path.section(QLatin1Char('/'), 0, 0);
        const QString name = QUrl::fromPercentEncoding(path.section(QLatin1Char('/'), 1).toLatin1());
        const QByteArray content = body(name);
        const qsizetype half = content.size() / 2;
        const auto head = [&](const char *status, const QByteArray &fields, qsizetype length) {
            return "HTTP/1.1 " + QByteArray(status) +
                   "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n" + fields +
                   "Content-Length: " + QByteArray::number(length) +
                   "\r\nContent-Disposition: attachment; filename=\"" + name.toUtf8() + "\"\r\n\r\n";
        };
        const QByteArray rangeField = "\r\nrange: bytes=";
        const qsizetype range = request.indexOf(rangeField);
        const QByteArray validators =
            "ETag: \"v1\"\r\nAccept-Ranges: bytes\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n";
        if (kind == QLatin1String("resumable") && range >= 0) {
            const qsizetype from = request.mid(range + rangeField.size()).split('-').value(0).toLongLong();
            const QByteArray total = QByteArray::number(content.size());
            s->write(head("206 Partial Content",
                          validators + "Content-Range: bytes " + QByteArray::number(from) + "-" +
                              QByteArray::number(content.size() - 1) + "/" + total + "\r\n",
                          content.size() - from) +
                     content.mid(from));
            ++m_resumed;
        } else if (kind == QLatin1String("resumable")) {
            s->write(head("200 OK", validators, content.size()) + content.left(half));
        } else if (kind == QLatin1String("slow")) {
            s->write(head("200 OK", {}, content.size()) + content.left(half));
            m_held.insert({path, Held{s, content.mid(half)}});
            return;
        } else {
            s->write(head("200 OK", {}, content.size()) +
                     (kind == QLatin1String("broken") ? content.left(half) : content));
        }
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    std::map<QTcpSocket *, QByteArray> m_requests;
    std::multimap<QString, Held> m_held;
    int m_resumed = 0;
};

class Downloads : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listening());
        folder = tk::downloadFolder();
        ASSERT_FALSE(folder.isEmpty());
        QDir(folder).removeRecursively();
        tk::downloadEvents().DownloadFinished = [this](const QString &name, const QString &where) {
            heard << "finished " + name;
            EXPECT_EQ(where, folder);
        };
        tk::downloadEvents().DownloadFailed = [this](const QString &name, const QString &) {
            heard << "failed " + name;
        };
        QObject::connect(tk::EngineProfile::instance().profile(), &QWebEngineProfile::downloadRequested,
                         &context, [this](QWebEngineDownloadRequest *r) { requests << r; });
    }
    void TearDown() override
    {
        server.releaseAll();
        // Whatever a failed test left running must not reach the next one.
        tk::cancelRunningDownloads();
        tk::downloadEvents() = {};
    }

    // Starts a download as a link does: the tab navigates to it.
    tk::QtWebBrowser &download(const QString &path)
    {
        browsers.push_back(std::make_unique<tk::QtWebBrowser>());
        browsers.back()->Navigate(server.url(path));
        return *browsers.back();
    }
    // Every file in the folder, hidden ones too, sorted.
    QStringList files() const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // The folder holds exactly these files, each the whole body sent for the name.
    void expectFiles(const QStringList &names, const QString &sentAs) const
    {
        EXPECT_EQ(files(), names);
        for (const QString &name : names) {
            QFile f(QDir(folder).filePath(name));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == LoopbackServer::body(sentAs))
                << name.toStdString();
        }
    }
    // The server holds n requests for the path, half sent, and the first download has bytes on disk.
    bool running(const char *path, int n)
    {
        return server.held(QLatin1String(path)) == n && requests.size() >= n && requests[0] &&
               requests[0]->receivedBytes() > 0;
    }
    ::testing::AssertionResult heardAll(int n)
    {
        if (waitUntil([&] { return heard.size() >= n; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "heard only: " << heard.join(", ").toStdString()
                                             << "; files: " << files().join(", ").toStdString();
    }

    LoopbackServer server;
    QString folder;
    QStringList heard;
    QList<QPointer<QWebEngineDownloadRequest>> requests;
    QObject context;
    std::vector<std::unique_ptr<tk::QtWebBrowser>> browsers;
};

TEST_F(Downloads, LandInTheDownloadFolderUnderTheSuggestedNameNeverOverwriting)
{
    download(QStringLiteral("file/report.txt"));
    ASSERT_TRUE(heardAll(1));
    download(QStringLiteral("file/report.txt"));
    ASSERT_TRUE(heardAll(2));
    EXPECT_EQ(heard, (QStringList{"finished report.txt", "finished report (1).txt"}));
    expectFiles({"report (1).txt", "report.txt"}, QStringLiteral("report.txt"));
}

TEST_F(Downloads, ARunningOneIsHiddenAndGoesOnWhenItsTabCloses)
{
    download(QStringLiteral("slow/minutes.txt"));
    ASSERT_TRUE(waitUntil([&] { return running("slow/minutes.txt", 1); }));
    // Half of it is on disk by now, under hidden names only.
    const QStringList partial = files();
    std::cout << "while running, the folder holds: " << partial.join(", ").toStdString() << std::endl;
    EXPECT_FALSE(partial.isEmpty());
    for (const QString &name : partial)
        EXPECT_TRUE(name.startsWith(QLatin1Char('.'))) << name.toStdString();
    EXPECT_TRUE(heard.isEmpty());

    browsers.clear(); // the tab goes
    server.release(QStringLiteral("slow/minutes.txt"));
    ASSERT_TRUE(heardAll(1));
    EXPECT_EQ(heard, QStringList{"finished minutes.txt"});
    expectFiles({"minutes.txt"}, QStringLiteral("minutes.txt"));
}

TEST_F(Downloads, TwoOfOneNameRunningAtOnceEachKeepTheirOwnFile)
{
    download(QStringLiteral("slow/same.txt"));
    download(QStringLiteral("slow/same.txt"));
    ASSERT_TRUE(waitUntil([&] { return running("slow/same.txt", 2); }));
    server.release(QStringLiteral("slow/same.txt"));
    ASSERT_TRUE(heardAll(2));
    expectFiles({"same (1).txt", "same.txt"}, QStringLiteral("same.txt"));
}

TEST_F(Downloads, AServerGivingUpHalfWayIsReportedAndLeavesNothing)
{
    download(QStringLiteral("broken/cut.txt"));
    ASSERT_TRUE(heardAll(1));
    EXPECT_EQ(heard, QStringList{"failed cut.txt"});
    EXPECT_TRUE(waitUntil([&] { return files().isEmpty(); })) << files().join(", ").toStdString();
}

TEST_F(Downloads, AFolderThatCannotBeMadeFailsQuietly)
{
    // A file where the folder should be.
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    download(QStringLiteral("file/nowhere.txt"));
    ASSERT_TRUE(heardAll(1));
    EXPECT_EQ(heard, QStringList{"failed nowhere.txt"});
    EXPECT_TRUE(QFileInfo(folder).isFile());
    QFile::remove(folder);
}

TEST_F(Downloads, OneTheEngineResumesAfterACutEndsUnderItsNameWhole)
{
    download(QStringLiteral("resumable/whole.txt"));
    ASSERT_TRUE(heardAll(1));
    EXPECT_EQ(heard, QStringList{"finished whole.txt"});
    EXPECT_GE(server.resumed(), 1) << "the engine asked for the rest";
    expectFiles({"whole.txt"}, QStringLiteral("whole.txt"));
}

TEST_F(Downloads, ExitCancelsTheRunningOnesAndRemovesWhatTheyWrote)
{
    download(QStringLiteral("slow/big.bin"));
    download(QStringLiteral("file/small.bin"));
    ASSERT_TRUE(heardAll(1));
    ASSERT_TRUE(waitUntil([&] { return running("slow/big.bin", 1) && requests.size() == 2; }));
    ASSERT_EQ(files().size(), 2) << files().join(", ").toStdString();

    tk::cancelRunningDownloads();
    EXPECT_TRUE(waitUntil([&] { return !requests[0] || requests[0]->isFinished(); }));
    EXPECT_TRUE(waitUntil([&] { return files() == QStringList{"small.bin"}; }))
        << files().join(", ").toStdString();
    // The finished one stays; exit is no failure to tell of.
    EXPECT_EQ(heard, QStringList{"finished small.bin"});
}

TEST_F(Downloads, NamesThatPointElsewhereStayInsideTheFolder)
{
    for (const char *name : {"..%2F..%2Fevil.txt", "sub%2Fdir%2Fx.txt", "..", "%2E%2E%5Cback.txt"})
        download(QStringLiteral("named/") + QLatin1String(name));
    ASSERT_TRUE(heardAll(4));
    const QStringList saved = files();
    std::cout << "saved as: " << saved.join(" | ").toStdString() << std::endl;
    EXPECT_EQ(saved.size(), 4) << saved.join(", ").toStdString();
    for (const QString &name : saved)
        EXPECT_FALSE(name.startsWith(QLatin1Char('.'))) << name.toStdString();
    // Nothing anywhere else under HOME: QDir lists the folder's own entries,
    // so a name with a slash in it would have gone elsewhere.
    const QString home = QDir::homePath();
    QDirIterator all(home, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QFileInfo file(all.next());
        if (file.fileName().contains(QLatin1String("evil")) ||
            file.fileName().contains(QLatin1String("back.txt")) ||
            file.fileName().contains(QLatin1String("x.txt"))) {
            EXPECT_EQ(file.absolutePath(), folder) << file.absoluteFilePath().toStdString();
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] { return true; });
}
