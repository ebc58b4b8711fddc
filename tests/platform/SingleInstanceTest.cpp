#include "toolkit/SingleInstance.h"
#include "Wait.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tk;

TEST(SingleInstance, ALaterStartTellsTheRunningOneAndAStaleLockIsTakenOver)
{
    const QString name = QStringLiteral("tavrin-test-%1").arg(QCoreApplication::applicationPid());
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.isPrimary());
        int heard = 0;
        first.startedAgain = [&] { ++heard; };

        SingleInstance second(name);
        EXPECT_FALSE(second.isPrimary());
        EXPECT_TRUE(second.notifyPrimary(2000));
        EXPECT_TRUE(waitFor([&] { return heard == 1; }));
        EXPECT_TRUE(second.notifyPrimary(2000));
        EXPECT_TRUE(waitFor([&] { return heard == 2; }));
    }
    // The first is gone: the next start runs.
    EXPECT_TRUE(SingleInstance(name).isPrimary());

    // A lock left by a process that died, and its socket file, don't stop a start.
    QProcess gone;
    gone.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    ASSERT_TRUE(gone.waitForFinished(5000));
    const QByteArray deadPid = gone.readAllStandardOutput().trimmed();
    const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') + name;
    QFile lock(base + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(deadPid + "\ntavrin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(base + QStringLiteral(".socket"));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();
    SingleInstance after(name);
    EXPECT_TRUE(after.isPrimary());
    SingleInstance next(name);
    EXPECT_FALSE(next.isPrimary());
    EXPECT_TRUE(next.notifyPrimary(2000)) << "the stale socket file was replaced by a live one";
}
