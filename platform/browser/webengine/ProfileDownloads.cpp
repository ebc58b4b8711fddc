#include "browser/webengine/ProfileDownloads.h"

#include "browser/Downloads.h"
#include "browser/WebBrowser.h"

#include <QDir>
#include <QFile>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <vector>

namespace tk {

namespace {

// Bounds the renames at completion: another program may take a name
// between our look and our move.
constexpr int kRenameTries = 8;

// Removes the temporary file and the one the engine writes while it runs
// (Qt WebEngine 6.4 adds ".download" to the name it is given, and renames
// that file to the name once complete).
void removeWritten(const QString &folder, const QString &temp)
{
    if (temp.isEmpty())
        return;
    const QDir dir(folder);
    QFile::remove(dir.filePath(temp));
    QFile::remove(dir.filePath(temp + QStringLiteral(".download")));
}

} // namespace

ProfileDownloads::ProfileDownloads(QWebEngineProfile *profile, QObject *parent) : QObject(parent)
{
    // Direct: the request must be accepted inside the signal, or it is gone.
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *request) { onRequested(request); });
}

void ProfileDownloads::onRequested(QWebEngineDownloadRequest *request)
{
    const quint32 id = request->id();
    if (auto known = m_downloads.find(id); known != m_downloads.end()) {
        // The engine resumes an interrupted download: same file, new request.
        request->setDownloadDirectory(known->second.folder);
        request->setDownloadFileName(known->second.temp);
        watch(id, request);
        request->accept();
        return;
    }
    Download d;
    d.request = request;
    d.folder = downloadFolder();
    d.name = safeDownloadName(request->suggestedFileName());
    if (d.folder.isEmpty()) {
        request->cancel();
        raiseDroppingErrors(downloadEvents().DownloadFailed, d.name, d.folder);
        return;
    }
    d.temp = freshTempName(d.folder, d.name);
    request->setDownloadDirectory(d.folder);
    request->setDownloadFileName(d.temp);
    m_downloads[id] = d;
    watch(id, request);
    request->accept();
}

void ProfileDownloads::watch(quint32 id, QWebEngineDownloadRequest *request)
{
    m_downloads[id].request = request;
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, [this, id] { onStateChanged(id); });
    // Completed can arrive before the engine has put the file in place.
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, id] { onStateChanged(id); });
}

void ProfileDownloads::onStateChanged(quint32 id)
{
    auto it = m_downloads.find(id);
    if (it == m_downloads.end() || !it->second.request)
        return;
    switch (it->second.request->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        finish(id);
        break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        fail(id, true);
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        fail(id, false);
        break;
    default:
        break;
    }
}

void ProfileDownloads::finish(quint32 id)
{
    Download &d = m_downloads.at(id);
    const QDir dir(d.folder);
    if (!QFile::exists(dir.filePath(d.temp)))
        return; // not in place yet: isFinishedChanged comes back here
    const Download done = d;
    m_downloads.erase(id);
    // The final name is chosen only now, so two downloads of one name that
    // ran at once each get their own; rename never overwrites.
    for (int attempt = 0; attempt < kRenameTries; ++attempt) {
        const QString final = uniqueDownloadName(
            done.name, [&dir](const QString &n) { return dir.exists(n); }, QString::number(id));
        if (QFile::rename(dir.filePath(done.temp), dir.filePath(final))) {
            raiseDroppingErrors(downloadEvents().DownloadFinished, final, done.folder);
            return;
        }
    }
    removeWritten(done.folder, done.temp);
    raiseDroppingErrors(downloadEvents().DownloadFailed, done.name, done.folder);
}

void ProfileDownloads::fail(quint32 id, bool tell)
{
    const Download d = m_downloads.at(id);
    m_downloads.erase(id);
    removeWritten(d.folder, d.temp);
    if (tell)
        raiseDroppingErrors(downloadEvents().DownloadFailed, d.name, d.folder);
}

void ProfileDownloads::cancelAll()
{
    std::vector<quint32> running;
    for (const auto &[id, d] : m_downloads)
        running.push_back(id);
    for (quint32 id : running) {
        auto it = m_downloads.find(id);
        if (it == m_downloads.end())
            continue; // its cancel ended another one's entry
        const Download d = it->second;
        m_downloads.erase(it);
        if (d.request)
            d.request->cancel();
        removeWritten(d.folder, d.temp);
    }
}

// Hidden, and unique against the folder and the other running downloads,
// so nothing shows under a real name until it is complete.
QString ProfileDownloads::freshTempName(const QString &folder, const QString &name) const
{
    const QDir dir(folder);
    const auto taken = [&](const QString &candidate) {
        if (dir.exists(candidate))
            return true;
        for (const auto &[id, d] : m_downloads)
            if (d.temp == candidate)
                return true;
        return false;
    };
    return uniqueDownloadName(QLatin1Char('.') + name + QStringLiteral(".part"), taken,
                              QString::number(m_downloads.size()));
}

} // namespace tk
