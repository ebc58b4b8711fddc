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
        const QByteArray request = m_requests[s];
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        m_requests.erase(s);
        const QString path = line.size() > 1 ? QString::fromLatin1(line[1]).mid(1) : QString();
        const QString kind = path.section(QLatin1Char('/'), 0, 0);
        const QString name = QUrl::fromPercentEncoding(path.section(QLatin1Char('/'), 1).toLatin1());
        const QByteArray content = body(name);
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          "Connection: close\r\nContent-Length: "
                          + QByteArray::number(content.size()) + "\r\nContent-Disposition: attachment; filename=\""
                          + name.toUtf8() + "\"\r\n\r\n";
        const qsizetype half = content.size() / 2;
        const QByteArray rangeField = "\r\nrange: bytes=";
        const qsizetype range = request.toLower().indexOf(rangeField);
        if (kind == QLatin1String("resumable")) {
            const QByteArray validators = "ETag: \"v1\"\r\nAccept-Ranges: bytes\r\n"
                                          "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n";
            if (range < 0) {
                s->write(head.replace("\r\n\r\n", "\r\n" + validators + "\r\n") + content.left(half));
            } else {
                const qsizetype from = request.mid(range + rangeField.size()).split('-').value(0).toLongLong();
                const QByteArray rest = content.mid(from);
                s->write("HTTP/1.1 206 Partial Content\r\nContent-Type: application/octet-stream\r\n"
                         "Connection: close\r\n" + validators + "Content-Length: " + QByteArray::number(rest.size())
                         + "\r\nContent-Range: bytes " + QByteArray::number(from) + "-"
                         + QByteArray::number(content.size() - 1) + "/" + QByteArray::number(content.size())
                         + "\r\nContent-Disposition: attachment; filename=\"" + name.toUtf8() + "\"\r\n\r\n" + rest);
                ++m_resumed;
            }
            s->disconnectFromHost();
        } else if (kind == QLatin1String("slow")) {
            s->write(head + content.left(half));
            m_held.insert({path, Held{s, content.mid(half)}});
        } else if (kind == QLatin1String("broken")) {
            s->write(head + content.left(half));
            s->disconnectFromHost();
        } else {
            s->write(head + content);
            s->disconnectFromHost();
        }
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
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
    QByteArray contents(const QString &name) const
    {
        QFile f(QDir(folder).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
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
    EXPECT_EQ(files(), (QStringList{"report (1).txt", "report.txt"}));
    EXPECT_EQ(contents(QStringLiteral("report.txt")), LoopbackServer::body(QStringLiteral("report.txt")));
    EXPECT_EQ(contents(QStringLiteral("report (1).txt")), LoopbackServer::body(QStringLiteral("report.txt")));
}

TEST_F(Downloads, ARunningOneIsHiddenAndGoesOnWhenItsTabCloses)
{
    download(QStringLiteral("slow/minutes.txt"));
    ASSERT_TRUE(waitUntil([&] {
        return server.held(QStringLiteral("slow/minutes.txt")) == 1 && !requests.isEmpty() && requests[0]
               && requests[0]->receivedBytes() > 0;
    }));
    // Half of it is on disk by now, under hidden names only.
    const QStringList running = files();
    std::cout << "while running, the folder holds: " << running.join(", ").toStdString() << std::endl;
    EXPECT_FALSE(running.isEmpty());
    for (const QString &name : running)
        EXPECT_TRUE(name.startsWith(QLatin1Char('.'))) << name.toStdString();
    EXPECT_TRUE(heard.isEmpty());

    browsers.clear(); // the tab goes
    server.release(QStringLiteral("slow/minutes.txt"));
    ASSERT_TRUE(heardAll(1));
    EXPECT_EQ(heard, QStringList{"finished minutes.txt"});
    EXPECT_EQ(files(), QStringList{"minutes.txt"});
    EXPECT_EQ(contents(QStringLiteral("minutes.txt")), LoopbackServer::body(QStringLiteral("minutes.txt")));
}

TEST_F(Downloads, TwoOfOneNameRunningAtOnceEachKeepTheirOwnFile)
{
    download(QStringLiteral("slow/same.txt"));
    download(QStringLiteral("slow/same.txt"));
    ASSERT_TRUE(waitUntil([&] { return server.held(QStringLiteral("slow/same.txt")) == 2 && requests.size() == 2; }));
    server.release(QStringLiteral("slow/same.txt"));
    ASSERT_TRUE(heardAll(2));
    EXPECT_EQ(files(), (QStringList{"same (1).txt", "same.txt"}));
    for (const QString &name : files())
        EXPECT_EQ(contents(name), LoopbackServer::body(QStringLiteral("same.txt"))) << name.toStdString();
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
    EXPECT_EQ(files(), QStringList{"whole.txt"});
    EXPECT_EQ(contents(QStringLiteral("whole.txt")), LoopbackServer::body(QStringLiteral("whole.txt")));
}

TEST_F(Downloads, ExitCancelsTheRunningOnesAndRemovesWhatTheyWrote)
{
    download(QStringLiteral("slow/big.bin"));
    download(QStringLiteral("file/small.bin"));
    ASSERT_TRUE(heardAll(1));
    ASSERT_TRUE(waitUntil([&] {
        return server.held(QStringLiteral("slow/big.bin")) == 1 && requests.size() == 2 && requests[0]
               && requests[0]->receivedBytes() > 0;
    }));
    ASSERT_EQ(files().size(), 2) << files().join(", ").toStdString();

    tk::cancelRunningDownloads();
    EXPECT_TRUE(waitUntil([&] { return !requests[0] || requests[0]->isFinished(); }));
    EXPECT_TRUE(waitUntil([&] { return files() == QStringList{"small.bin"}; })) << files().join(", ").toStdString();
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
        if (file.fileName().contains(QLatin1String("evil")) || file.fileName().contains(QLatin1String("back.txt"))
            || file.fileName().contains(QLatin1String("x.txt"))) {
            EXPECT_EQ(file.absolutePath(), folder) << file.absoluteFilePath().toStdString();
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] { return true; });
}
