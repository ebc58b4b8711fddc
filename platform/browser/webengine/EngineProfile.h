#pragma once
// The one engine profile of the process, which every browser shares, and the
// one place that connects to it: what the engine reports for the whole
// profile rather than for one page (downloads, for one) is wired here once,
// not per browser.

#include <QObject>

class QWebEngineProfile;

namespace tk {

class ProfileDownloads;

// A QObject so that it is the context of those connections: they end with it.
class EngineProfile : public QObject {
public:
    // Made on first use, under the application object.
    static EngineProfile &instance();

    QWebEngineProfile *profile() const { return m_profile; }
    ProfileDownloads &downloads() const { return *m_downloads; }

    ~EngineProfile() override;

private:
    explicit EngineProfile(QObject *application);

    QWebEngineProfile *m_profile;  // a child of this
    ProfileDownloads *m_downloads; // likewise
};

} // namespace tk
