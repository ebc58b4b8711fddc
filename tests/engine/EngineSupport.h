#pragma once
// What the engine test binaries share: local pages in a throwaway folder, a
// loopback HTTP server and a wait long enough for Chromium to start. Their
// main is the tests' own, with a private HOME; as root, the engine needs
// QTWEBENGINE_DISABLE_SANDBOX=1 (ctest sets it).

#include "Wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

// Failures show strings as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// The address of a page in a folder that lasts the run.
inline QString pageUrl(const QString &name)
{
    static QTemporaryDir pages;
    return QUrl::fromLocalFile(pages.filePath(name)).toString();
}

// Writes a page into the folder and returns its address, or "" if it could not.
inline QString writePage(const QString &name, const QString &html)
{
    QFile file(QUrl(pageUrl(name)).toLocalFile());
    const QByteArray bytes = html.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? pageUrl(name) : QString();
}

// A page whose title says "<title> ready" once it has been painted, so that
// a click lands on a page that can take it.
inline QString readyHtml(const QString &title, const QString &body)
{
    return QStringLiteral(
               "<title>%1</title><body style='margin:0'>%2<script>"
               "requestAnimationFrame(() => requestAnimationFrame(() => document.title = '%1 ready'));"
               "</script></body>")
        .arg(title, body);
}
inline QString readyPage(const QString &name, const QString &title, const QString &body)
{
    return writePage(name, readyHtml(title, body));
}
inline QString titledPage(const QString &name, const QString &title)
{
    return writePage(name, QStringLiteral("<title>%1</title><body>%1</body>").arg(title));
}
// A block of 300 × h pixels, one under the other from the top left.
inline QString block(const QString &tag, const QString &attributes, int h = 100)
{
    return QStringLiteral("<%1 %2 style='display:block;width:300px;height:%3px'>%1</%1>")
        .arg(tag, attributes)
        .arg(h);
}

// The bound only turns a broken engine into a failure instead of a hang.
template <class Cond> bool waitUntil(Cond cond)
{
    return waitFor(cond, 60000);
}

// A real click on a page, where the page's widget takes input: the page counts
// it as the user's gesture (a script's click would not).
inline void clickPage(QWidget *view, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *target = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(target, button, {}, at);
}

// An HTTP/1.1 answer's head; the connection closes after the body.
inline QByteArray httpHead(const char *status, const QByteArray &fields, qsizetype length)
{
    return "HTTP/1.1 " + QByteArray(status) + "\r\nConnection: close\r\n" + fields +
           "Content-Length: " + QByteArray::number(length) + "\r\n\r\n";
}

// A server on the loopback address: answer gets each request's head, whole,
// with the body its Content-Length announces, and the socket to write to;
// without one, nothing is ever answered.
class LoopbackServer : public QTcpServer {
public:
    using Answer = std::function<void(QTcpSocket *, const QByteArray &head)>;
    explicit LoopbackServer(Answer answer = {})
    {
        connect(this, &QTcpServer::newConnection, this, [this, answer] {
            while (QTcpSocket *s = nextPendingConnection()) {
                ++connections;
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                connect(s, &QTcpSocket::readyRead, s, [s, answer, head = std::make_shared<QByteArray>()] {
                    *head += s->readAll();
                    const qsizetype end = head->indexOf("\r\n\r\n");
                    const QRegularExpressionMatch length =
                        QRegularExpression("\r\ncontent-length: *(\\d+)",
                                           QRegularExpression::CaseInsensitiveOption)
                            .match(QString::fromLatin1(head->left(end)));
                    if (answer && end >= 0 && head->size() >= end + 4 + length.captured(1).toLongLong())
                        answer(s, std::exchange(*head, {}));
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path);
    }
    int connections = 0;
};
