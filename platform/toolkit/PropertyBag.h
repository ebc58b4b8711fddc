#pragma once
// The keyed store in which a host saves its user controls' design-time
// properties. Keys match without regard to case; a value equal to its default
// is not stored, so reading it back gives the default again. Values are
// integers, Booleans, strings and fonts (StdFont).
//
// A form's saved data is a JSON object with one object per control, keyed by
// the control's name. Besides the control's own keys it holds the toolkit's:
// "_left", "_top", "_extentx" and "_extenty", the control's place and size in
// twips. A font is stored as {"name", "size", "bold", "italic", "charset"}.

#include "toolkit/Ambient.h"

#include <QJsonObject>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace tk {

class PropertyBag {
public:
    // The stored value, or the default when the key is absent.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = QVariant()) const;
    // Stores the value, or removes the key when the value equals the default.
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue = QVariant());

    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    // The keys as spelled when stored, in the order they were stored.
    QStringList keys() const;

    QJsonObject toJson() const;
    static PropertyBag fromJson(const QJsonObject &object);

    // Integers and doubles compare by value, fonts field by field.
    static bool sameValue(const QVariant &a, const QVariant &b);

private:
    struct Entry {
        QString key;
        QVariant value;
    };
    int indexOf(const QString &name) const;
    std::vector<Entry> m_entries;
};

// Reads a form's saved data (a file or a ":/" resource); error 53 when it is
// missing or not a JSON object.
QJsonObject readFormData(const QString &path);
// The saved properties of one control of a form; error 53 when it has none.
PropertyBag savedControl(const QJsonObject &formData, const QString &controlName);

} // namespace tk
