#include "Skin.h"

namespace skin {

QString resource(const QString &fileName)
{
    return QStringLiteral(":/skin/") + fileName;
}

tk::Picture picture(const QString &name)
{
    return tk::Picture::load(resource(name + QStringLiteral(".png")));
}

} // namespace skin
