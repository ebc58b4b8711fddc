#include "toolkit/Fonts.h"

#include <QFont>
#include <QString>

namespace tk {

void setUpFonts()
{
    const QString song = QStringLiteral("AR PL SungtiL GB");
    QFont::insertSubstitution(QStringLiteral("宋体"), song);
    QFont::insertSubstitution(QStringLiteral("SimSun"), song);
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
}

} // namespace tk
