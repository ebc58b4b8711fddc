#include "browser/webengine/EngineStart.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

namespace tk {

void installQtTranslations(const QLocale &locale, QObject *owner)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *catalog : {"qtbase", "qtwebengine"}) {
        auto *translator = new QTranslator(owner);
        if (translator->load(locale, QString::fromLatin1(catalog), QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

void quietEngineStartReport()
{
    // Rules from QT_LOGGING_RULES and QT_LOGGING_CONF override this one.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

void exposePagesToScreenReaders()
{
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

} // namespace tk
