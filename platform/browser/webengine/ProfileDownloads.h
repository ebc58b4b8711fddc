#pragma once
// Saves every download of the profile into the user's download folder
// without asking: under a hidden temporary name while it runs, then under
// the server's suggested name, made unique at that moment, once complete.
// A failed or cancelled download leaves nothing behind.

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace tk {

class ProfileDownloads : public QObject {
public:
    ProfileDownloads(QWebEngineProfile *profile, QObject *parent);

    // Cancels the downloads still running and removes what they wrote.
    void cancelAll();

private:
    struct Download {
        QPointer<QWebEngineDownloadRequest> request;
        QString folder;
        QString name; // the safe suggested name
        QString temp; // the hidden name it is written under, in folder
    };

    void onRequested(QWebEngineDownloadRequest *request);
    void watch(quint32 id, QWebEngineDownloadRequest *request);
    void onStateChanged(quint32 id);
    void finish(quint32 id);
    void fail(quint32 id, bool tell);
    QString freshTempName(const QString &folder, const QString &name) const;

    // Keyed by the engine's id: a resumed download comes back as a new
    // request with the same id.
    std::map<quint32, Download> m_downloads;
};

} // namespace tk
