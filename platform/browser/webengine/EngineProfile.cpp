#include "browser/webengine/EngineProfile.h"

#include "browser/Downloads.h"
#include "browser/webengine/ProfileDownloads.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tk {

namespace {

constexpr int kFreedMemoryQuietMs = 1000;
// How long the engine may keep a changed cookie in memory only.
constexpr qint64 kCookieWriteDelayMs = 30000;

QPointer<EngineProfile> g_profile;

} // namespace

EngineProfile &EngineProfile::instance()
{
    // Owned by the application object: pages live in widgets, which are all
    // gone before ~QApplication runs, so the pages die first. The program
    // closes it before that (close()); should anything not, the engine's
    // shutdown, a post-routine of that destructor, releases the profile's
    // storage, and this QObject goes last with qApp's children.
    if (!g_profile)
        g_profile = new EngineProfile(QCoreApplication::instance());
    return *g_profile;
}

void EngineProfile::close(int boundMs)
{
    if (!g_profile)
        return;
    const bool unwritten = g_profile->m_sinceCookieChange.isValid() &&
                           g_profile->m_sinceCookieChange.elapsed() < kCookieWriteDelayMs;
    const QString cookies =
        QDir(g_profile->m_profile->persistentStoragePath()).filePath(QStringLiteral("Cookies"));
    const QDateTime before = QFileInfo(cookies).lastModified();
    delete g_profile;
    const QDeadlineTimer bound(boundMs);
    // The writing happens on the engine's own threads: look every few
    // milliseconds, running what they hand to this one, without spinning.
    while (unwritten && !bound.hasExpired() && QFileInfo(cookies).lastModified() == before) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

EngineProfile::EngineProfile(QObject *application)
    : QObject(application),
      // Named, so cookies and cache persist (the default profile is off the
      // record).
      m_profile(new QWebEngineProfile(QStringLiteral("Tavrin"), this)),
      m_downloads(new ProfileDownloads(m_profile, this))
{
    // Scripts open windows only for a user's click: a page cannot flood the
    // strip with tabs, while links and click handlers still can.
    m_profile->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // A tab shows Tavrin's own icon, never the page's: fetching and decoding
    // each site's icon would be work no one sees.
    m_profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // A PDF shown inline opens in its tab in the engine's own viewer, which
    // is a plugin; one sent as an attachment still downloads.
    m_profile->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    m_profile->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    for (auto changed : {&QWebEngineCookieStore::cookieAdded, &QWebEngineCookieStore::cookieRemoved})
        connect(m_profile->cookieStore(), changed, this, [this] { m_sinceCookieChange.start(); });
    // The shell's exit reaches the running downloads through this.
    setDownloadCanceller([this] { m_downloads->cancelAll(); });
}

EngineProfile::~EngineProfile()
{
    setDownloadCanceller(nullptr);
}

void EngineProfile::returnFreedMemorySoon()
{
#if defined(__GLIBC__)
    if (!m_freedMemoryQuiet) {
        m_freedMemoryQuiet = new QTimer(this);
        m_freedMemoryQuiet->setSingleShot(true);
        m_freedMemoryQuiet->setInterval(kFreedMemoryQuietMs);
        QObject::connect(m_freedMemoryQuiet, &QTimer::timeout, [] { ::malloc_trim(0); });
    }
    m_freedMemoryQuiet->start();
#endif
}

} // namespace tk
