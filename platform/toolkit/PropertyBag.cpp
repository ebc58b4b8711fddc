#include "toolkit/PropertyBag.h"

#include "toolkit/TkError.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace tk {

namespace {

bool isFont(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<StdFont>();
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// JSON has only doubles: whole numbers come back as integers, so a colour
// read from a file compares and converts like one set in code.
QVariant fromJsonValue(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::floor(d) == d && std::abs(d) < 9.0e15) {
            const auto n = qint64(d);
            if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
                return int(n);
            return n;
        }
        return d;
    }
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        if (o.contains(QLatin1String("name"))) {
            StdFont f;
            f.Name = o.value(QLatin1String("name")).toString();
            f.Size = o.value(QLatin1String("size")).toDouble(9);
            f.Bold = o.value(QLatin1String("bold")).toBool(false);
            f.Italic = o.value(QLatin1String("italic")).toBool(false);
            f.Charset = int16_t(o.value(QLatin1String("charset")).toInt(0));
            return QVariant::fromValue(f);
        }
    }
    return value.toVariant();
}

QJsonValue toJsonValue(const QVariant &value)
{
    if (isFont(value)) {
        const auto f = value.value<StdFont>();
        return QJsonObject{{QLatin1String("name"), f.Name},
                           {QLatin1String("size"), f.Size},
                           {QLatin1String("bold"), f.Bold},
                           {QLatin1String("italic"), f.Italic},
                           {QLatin1String("charset"), int(f.Charset)}};
    }
    return QJsonValue::fromVariant(value);
}

} // namespace

bool PropertyBag::sameValue(const QVariant &a, const QVariant &b)
{
    if (isFont(a) || isFont(b))
        return isFont(a) && isFont(b) && a.value<StdFont>() == b.value<StdFont>();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    return a == b;
}

int PropertyBag::indexOf(const QString &name) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].key.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString &name, const QVariant &defaultValue) const
{
    const int i = indexOf(name);
    return i < 0 ? defaultValue : m_entries[size_t(i)].value;
}

void PropertyBag::WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    const int i = indexOf(name);
    if (defaultValue.isValid() && sameValue(value, defaultValue)) {
        if (i >= 0)
            m_entries.erase(m_entries.begin() + i);
        return;
    }
    if (i >= 0)
        m_entries[size_t(i)].value = value;
    else
        m_entries.push_back({name, value});
}

QStringList PropertyBag::keys() const
{
    QStringList result;
    for (const Entry &e : m_entries)
        result << e.key;
    return result;
}

QJsonObject PropertyBag::toJson() const
{
    QJsonObject o;
    for (const Entry &e : m_entries)
        o.insert(e.key, toJsonValue(e.value));
    return o;
}

PropertyBag PropertyBag::fromJson(const QJsonObject &object)
{
    PropertyBag bag;
    for (auto it = object.begin(); it != object.end(); ++it)
        bag.WriteProperty(it.key(), fromJsonValue(it.value()));
    return bag;
}

QJsonObject readFormData(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TkError(kFileNotFound, "cannot read " + path.toStdString());
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw TkError(kFileNotFound, "not a form's saved data: " + path.toStdString());
    return doc.object();
}

PropertyBag savedControl(const QJsonObject &formData, const QString &controlName)
{
    const QJsonValue v = formData.value(controlName);
    if (!v.isObject())
        throw TkError(kFileNotFound, "no saved data for " + controlName.toStdString());
    return PropertyBag::fromJson(v.toObject());
}

} // namespace tk
