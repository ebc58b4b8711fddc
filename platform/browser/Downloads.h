#pragma once
// Downloads belong to the engine's profile, not to a tab: the engine saves
// each file by itself, and the shell only hears when one has ended and asks
// for the running ones to go at exit. Nothing here names an engine.

#include <QString>

#include <functional>

namespace tk {

// What the shell hears of downloads, raised through raiseDroppingErrors.
struct DownloadEvents {
    // The file is complete under fileName (no folder) inside folder.
    std::function<void(const QString &fileName, const QString &folder)> DownloadFinished;
    // Nothing was kept; fileName is the name it would have had.
    std::function<void(const QString &fileName, const QString &folder)> DownloadFailed;
};

// The process-wide hooks; the shell sets them while it can tell the user.
DownloadEvents &downloadEvents();

// Cancels every download still running and removes what it wrote. Set by
// the engine; without one (no engine, tests of the shell) it does nothing.
void setDownloadCanceller(std::function<void()> cancelAll);
void cancelRunningDownloads();

// The user's download folder, created when missing; "" if it cannot be.
QString downloadFolder();

// A name the server suggested, made safe to use inside the download folder:
// its last path segment, without control characters, leading dots or
// trailing dots and spaces, at most 200 bytes; "download" when nothing is left.
QString safeDownloadName(const QString &suggested);

// name when taken(name) is false, else "stem (n).ext" for the lowest n that
// is free ("archive (1).tar.gz" keeps the double extension together). After
// 9999 taken tries: "stem (tag).ext".
QString uniqueDownloadName(const QString &name, const std::function<bool(const QString &)> &taken,
                           const QString &tag);

} // namespace tk
