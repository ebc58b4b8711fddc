#include "toolkit/SingleInstance.h"
#include "Wait.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tk;

TEST(SingleInstance, ALaterStartTellsTheRunningOneAndAStaleLockIsTakenOver)
{
    const QString name = QStringLiteral("tavrin-test-%1").arg(QCoreApplication::applicationPid());
    EXPECT_FALSE(SingleInstance::tellRunning(name, {QStringLiteral("lost")}, 2000)) << "no one runs yet";
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.isPrimary());
        first.listen();
        QList<QStringList> heard;
        first.startedAgain = [&](const QStringList &arguments) { heard << arguments; };

        SingleInstance second(name);
        EXPECT_FALSE(second.isPrimary());
        EXPECT_TRUE(second.notifyPrimary(2000));
        EXPECT_TRUE(waitFor([&] { return heard.size() == 1; }));
        EXPECT_EQ(heard.value(0), QStringList());
        // Telling without a lock of its own, as a start does first.
        EXPECT_TRUE(SingleInstance::tellRunning(name, {QStringLiteral("quick")}, 2000));
        EXPECT_TRUE(waitFor([&] { return heard.size() == 2; }));
        EXPECT_EQ(heard.takeLast(), QStringList{QStringLiteral("quick")});
        // Arguments arrive as they were given, whatever they hold; empty ones
        // carry nothing.
        const QStringList odd{QStringLiteral("http://a.test/?q=1 2"), QStringLiteral("line\nbreak\n\n"),
                              QString(), QStringLiteral("网址%00"), QString(70000, QLatin1Char('x'))};
        EXPECT_TRUE(second.notifyPrimary(2000, odd));
        EXPECT_TRUE(waitFor([&] { return heard.size() == 2; }));
        EXPECT_EQ(heard.value(1), (QStringList{odd[0], odd[1], odd[3], odd[4]}));

        // A peer that says something else, or never finishes, is not heard,
        // and the next start still is.
        QLocalSocket junk, endless;
        junk.connectToServer(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                             QLatin1Char('/') + name + QStringLiteral(".socket"));
        endless.connectToServer(junk.serverName());
        ASSERT_TRUE(junk.waitForConnected(2000) && endless.waitForConnected(2000));
        junk.write("hello\n\n");
        endless.write("started again\n" + QByteArray(1 << 21, 'a'));
        EXPECT_TRUE(waitFor([&] {
            return junk.state() == QLocalSocket::UnconnectedState &&
                   endless.state() == QLocalSocket::UnconnectedState;
        }));
        EXPECT_TRUE(second.notifyPrimary(2000, {QStringLiteral("after")}));
        EXPECT_TRUE(waitFor([&] { return heard.size() == 3; }));
        EXPECT_EQ(heard.value(2), QStringList{QStringLiteral("after")});
    }
    // The first is gone: the next start runs.
    EXPECT_TRUE(SingleInstance(name).isPrimary());

    // A lock left by a process that died, and its socket file, don't stop a start.
    QProcess gone;
    gone.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    ASSERT_TRUE(gone.waitForFinished(5000));
    const QByteArray deadPid = gone.readAllStandardOutput().trimmed();
    const QString base =
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') + name;
    QFile lock(base + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(deadPid + "\ntavrin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(base + QStringLiteral(".socket"));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();
    EXPECT_FALSE(SingleInstance::tellRunning(name, {}, 2000)) << "a socket file left behind tells no one";
    SingleInstance after(name);
    EXPECT_TRUE(after.isPrimary());
    after.listen();
    SingleInstance next(name);
    EXPECT_FALSE(next.isPrimary());
    EXPECT_TRUE(next.notifyPrimary(2000)) << "the stale socket file was replaced by a live one";
}
