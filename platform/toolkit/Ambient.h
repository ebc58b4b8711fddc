#pragma once
// What a host hands its user controls: a font value as forms save it, and the
// ambient properties (run or design mode, default button, the host's font).

#include <QMetaType>
#include <QString>

#include <cstdint>

namespace tk {

// A font by value: face name, size in points, style and character set.
struct StdFont {
    QString Name;
    double Size = 9;
    bool Bold = false;
    bool Italic = false;
    int16_t Charset = 0;

    friend bool operator==(const StdFont &, const StdFont &) = default;
};

// The forms' own font, which controls inherit unless they carry another.
inline StdFont defaultFormFont()
{
    return StdFont{QStringLiteral("宋体"), 9, false, false, 134};
}

struct AmbientProperties {
    bool UserMode = true;          // false while a designer edits the host
    bool DisplayAsDefault = false; // the host shows this control as its default button
    StdFont Font = defaultFormFont();
};

} // namespace tk

Q_DECLARE_METATYPE(tk::StdFont)
