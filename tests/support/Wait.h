#pragma once
// Spins the event loop until cond() holds. The bound only turns a hang into
// a failure; nothing is timed. (QtTest's QTRY_ macros report to QtTest, not
// to GoogleTest, so they cannot fail a test here.)

#include <QDeadlineTimer>
#include <QTest>

template <class Cond> bool waitFor(Cond cond, int boundMs = 5000)
{
    QDeadlineTimer deadline(boundMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}
