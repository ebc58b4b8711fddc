#pragma once
// The data object a drop delivers: asked for a clipboard format and its data.

#include <QString>
#include <QVariant>

class QMimeData;

namespace tk {

enum ClipboardFormat : int16_t { kCfText = 1, kCfBitmap = 2, kCfFiles = 15 };

class DataObject {
public:
    explicit DataObject(const QMimeData *mime) : m_mime(mime) {}
    bool GetFormat(int16_t format) const;
    // The data in that format; an empty variant when there is none.
    QVariant GetData(int16_t format) const;

private:
    const QMimeData *m_mime;
};

} // namespace tk
