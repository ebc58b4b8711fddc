#include "toolkit/DataObject.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace tk {

bool DataObject::GetFormat(int16_t format) const
{
    if (!m_mime)
        return false;
    switch (format) {
    case kCfText:
        // Qt counts any dropped address as text; files from a file manager
        // are not text, links from a browser are.
        return m_mime->hasFormat(QStringLiteral("text/plain")) || (m_mime->hasUrls() && !GetFormat(kCfFiles));
    case kCfBitmap:
        return m_mime->hasImage();
    case kCfFiles: {
        // One list: urls() returns a new copy at every call.
        const QList<QUrl> urls = m_mime->urls();
        return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &u) { return u.isLocalFile(); });
    }
    default:
        return false;
    }
}

QVariant DataObject::GetData(int16_t format) const
{
    if (!GetFormat(format))
        return {};
    switch (format) {
    case kCfText:
        return m_mime->text();
    case kCfBitmap:
        return m_mime->imageData();
    case kCfFiles: {
        QStringList files;
        for (const QUrl &u : m_mime->urls())
            if (u.isLocalFile())
                files << u.toLocalFile();
        return files;
    }
    default:
        return {};
    }
}

} // namespace tk
