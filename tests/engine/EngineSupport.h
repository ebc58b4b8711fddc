#pragma once
// What both engine test binaries need: local pages in a throwaway folder, a
// wait long enough for Chromium to start, and a main that sets the engine's
// environment up before the QApplication exists.

#include "Wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>

inline QTemporaryDir *g_pages = nullptr;

inline QString pageUrl(const QString &name)
{
    return QUrl::fromLocalFile(g_pages->filePath(name)).toString();
}

// Writes a page into the folder and returns its address, or "" if it could not.
inline QString writePage(const QString &name, const QString &html)
{
    QFile file(g_pages->filePath(name));
    const QByteArray bytes = html.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? pageUrl(name) : QString();
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

// afterApp runs once the application exists; returning false fails the run.
inline int runEngineTests(int argc, char **argv, const std::function<bool()> &afterApp)
{
    // Throwaway profile and runtime folders, set before the engine starts.
    QTemporaryDir home, runtime, pages;
    if (!home.isValid() || !runtime.isValid() || !pages.isValid())
        return 2;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // Tests run as root in CI, where Chromium refuses its sandbox.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    g_pages = &pages;
    return afterApp() ? RUN_ALL_TESTS() : 2;
}
