// One running process per user: a later start hands its arguments to it.
#include "toolkit/SingleInstance.h"
#include "Wait.h"
#include "toolkit/HandOver.h"

#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <gtest/gtest.h>

using tk::SingleInstance;

namespace {

const QString kName = QStringLiteral("tavrin-test-%1").arg(QCoreApplication::applicationPid());

QString runtimeFile(const char *suffix)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + '/' + kName + suffix;
}

} // namespace

TEST(SingleInstance, TheRunningOneHearsTheArgumentsOfLaterStartsAsGivenAndNoOtherPeer)
{
    SingleInstance first(kName), second(kName);
    ASSERT_TRUE(first.isPrimary());
    EXPECT_FALSE(second.isPrimary());
    first.listen();
    QStringList heard;
    first.startedAgain = [&](const QStringList &arguments) { heard << arguments.join('|'); };
    const auto next = [&] {
        return waitFor([&] { return !heard.isEmpty(); }) ? heard.takeFirst().toStdString() : "(none)";
    };
    EXPECT_TRUE(second.notifyPrimary(2000));
    EXPECT_EQ(next(), "");
    // Telling without a lock of its own, as a start does first.
    EXPECT_TRUE(SingleInstance::tellRunning(kName, {"quick"}, 2000));
    EXPECT_EQ(next(), "quick");
    // Whatever they hold; empty ones carry nothing.
    const QString longOne(70000, 'x');
    EXPECT_TRUE(
        second.notifyPrimary(2000, {"http://a.test/?q=1 2", "line\nbreak\n\n", "", "网址%00", longOne}));
    EXPECT_EQ(next(), ("http://a.test/?q=1 2|line\nbreak\n\n|网址%00|" + longOne).toStdString());

    // A peer that says something else, or never finishes, is dropped unheard.
    QLocalSocket junk, endless;
    for (QLocalSocket *peer : {&junk, &endless}) {
        peer->connectToServer(runtimeFile(".socket"));
        ASSERT_TRUE(peer->waitForConnected(2000));
    }
    junk.write("hello\n\n");
    endless.write("started again\n" + QByteArray(1 << 21, 'a'));
    EXPECT_TRUE(waitFor([&] {
        return junk.state() == QLocalSocket::UnconnectedState &&
               endless.state() == QLocalSocket::UnconnectedState;
    }));
    EXPECT_TRUE(second.notifyPrimary(2000, {"after"}));
    EXPECT_EQ(next(), "after");
}

TEST(SingleInstance, WithNoOneRunningOrALockLeftByAProcessThatDiedTheNextStartRuns)
{
    EXPECT_FALSE(SingleInstance::tellRunning(kName, {"lost"}, 2000));
    for (int start = 0; start < 2; ++start)
        EXPECT_TRUE(SingleInstance(kName).isPrimary()) << "the one before is gone";
    QFile lock(runtimeFile(".lock")), socket(runtimeFile(".socket"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly) && socket.open(QIODevice::WriteOnly));
    // A process number past any the system gives out.
    lock.write("4194305\ntavrin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    socket.close();
    EXPECT_FALSE(SingleInstance::tellRunning(kName, {}, 2000)) << "a socket file left behind tells no one";
    SingleInstance after(kName);
    EXPECT_TRUE(after.isPrimary());
    after.listen();
    EXPECT_TRUE(SingleInstance::tellRunning(kName, {}, 2000))
        << "the stale socket file was replaced by a live one";
}

// The starter, which has no Qt, looks where the running one listens, with or
// without a runtime folder from the session, and is heard as a later start is.
TEST(HandOver, TheStarterLooksWhereTheRunningOneListensAndIsHeardAsALaterStart)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    for (const bool sessionFolder : {true, false}) {
        if (!sessionFolder)
            qunsetenv("XDG_RUNTIME_DIR");
        SingleInstance running(kName);
        ASSERT_TRUE(running.isPrimary());
        running.listen();
        QStringList heard;
        running.startedAgain = [&](const QStringList &arguments) { heard << arguments.join('|'); };
        const std::string path = tk::handover::socketPath(kName.toStdString());
        EXPECT_EQ(QString::fromStdString(path), runtimeFile(".socket")) << sessionFolder;
        EXPECT_TRUE(tk::handover::tell(
            path, tk::handover::message({"http://a.test/?q=1 2", "", "网址%00", "line\nbreak\n\n"}), 2000));
        EXPECT_TRUE(waitFor([&] { return !heard.isEmpty(); }));
        EXPECT_EQ(heard.value(0), "http://a.test/?q=1 2|网址%00|line\nbreak\n\n");
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_FALSE(
        tk::handover::tell(tk::handover::socketPath(kName.toStdString()), tk::handover::message({}), 2000))
        << "no one listens";
}
