#pragma once
// The one engine profile of the process, which every browser shares, and the
// one place that connects to it: what the engine reports for the whole
// profile rather than for one page (downloads, for one) is wired here once,
// not per browser.

#include <QElapsedTimer>
#include <QObject>

class QTimer;
class QWebEngineProfile;

namespace tk {

class ProfileDownloads;

// A QObject so that it is the context of those connections: they end with it.
class EngineProfile : public QObject {
public:
    // Made on first use, under the application object.
    static EngineProfile &instance();
    // Ends the profile once every page has gone, while the engine still runs.
    // The engine writes cookies to disk lazily (within half a minute) and
    // otherwise as the profile's storage closes, which its own shutdown can
    // cut short: so when a cookie changed within that half minute, this
    // waits (at most boundMs) for the cookie file to be written.
    static void close(int boundMs);

    QWebEngineProfile *profile() const { return m_profile; }
    ProfileDownloads &downloads() const { return *m_downloads; }

    // What the engine frees for a page that went (a discarded page's objects,
    // a renderer's host side once it has ended) stays in this process's heap
    // until the allocator is asked to hand it back: most of the page's share
    // here. The frees trickle in after the page went, and no signal says when
    // they are done, so the heap is trimmed once they have been quiet for a
    // moment (each call restarts the wait). A no-op without glibc.
    void returnFreedMemorySoon();

    ~EngineProfile() override;

private:
    explicit EngineProfile(QObject *application);

    QWebEngineProfile *m_profile;         // a child of this
    ProfileDownloads *m_downloads;        // likewise
    QTimer *m_freedMemoryQuiet = nullptr; // likewise, made on first use
    QElapsedTimer m_sinceCookieChange;    // invalid until a cookie changes
};

} // namespace tk
