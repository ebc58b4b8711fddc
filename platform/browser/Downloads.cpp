#include "browser/Downloads.h"

#include <QDir>
#include <QStandardPaths>

namespace tk {

namespace {

std::function<void()> &canceller()
{
    static std::function<void()> c;
    return c;
}

// Room for " (9999)" and a temporary prefix and suffix within a file
// system's 255-byte name.
constexpr qsizetype kMaxNameBytes = 200;
constexpr int kMaxNumbered = 9999;

// Splits "report.txt" into "report" and ".txt", "a.tar.gz" into "a" and
// ".tar.gz"; a name without a dot has no extension.
std::pair<QString, QString> splitExtension(const QString &name)
{
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {name, QString()};
    const qsizetype tar = name.lastIndexOf(QLatin1String(".tar."), -1, Qt::CaseInsensitive);
    if (tar > 0 && tar + 4 == dot)
        dot = tar;
    return {name.left(dot), name.mid(dot)};
}

// Cuts text to at most maxBytes of UTF-8 without splitting a character.
QString cutToBytes(QString text, qsizetype maxBytes)
{
    while (!text.isEmpty() && text.toUtf8().size() > maxBytes)
        text.chop(text.back().isLowSurrogate() && text.size() > 1 ? 2 : 1);
    return text;
}

} // namespace

DownloadEvents &downloadEvents()
{
    static DownloadEvents e;
    return e;
}

void setDownloadCanceller(std::function<void()> cancelAll)
{
    canceller() = std::move(cancelAll);
}

void cancelRunningDownloads()
{
    if (canceller())
        canceller()();
}

QString downloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    return QDir(folder).absolutePath();
}

QString safeDownloadName(const QString &suggested)
{
    // Either kind of slash ends a segment: only the last one is a name.
    QString name = suggested.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control || c == QChar::Null; });
    // A leading dot would hide the file (and "." or ".." are no names);
    // trailing dots and spaces are lost or refused on other systems.
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.toUtf8().size() > kMaxNameBytes) {
        auto [stem, ext] = splitExtension(name);
        if (ext.toUtf8().size() > kMaxNameBytes / 2)
            ext.clear();
        name = cutToBytes(stem, kMaxNameBytes - ext.toUtf8().size()).trimmed() + ext;
    }
    if (name.isEmpty())
        name = QStringLiteral("download");
    return name;
}

QString uniqueDownloadName(const QString &name, const std::function<bool(const QString &)> &taken,
                           const QString &tag)
{
    if (!taken(name))
        return name;
    const auto [stem, ext] = splitExtension(name);
    for (int n = 1; n <= kMaxNumbered; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(ext);
        if (!taken(candidate))
            return candidate;
    }
    return QStringLiteral("%1 (%2)%3").arg(stem, tag, ext);
}

} // namespace tk
