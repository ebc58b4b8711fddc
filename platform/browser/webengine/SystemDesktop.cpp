#include "browser/webengine/SystemDesktop.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace tk {

SystemDesktop &SystemDesktop::instance()
{
    static SystemDesktop desktop;
    return desktop;
}

QStringList fileNameFilters(const QStringList &acceptedTypes)
{
    // A pattern that could break the filter's syntax (spaces, parentheses,
    // the separators) is left out: the page wrote it, not the user.
    static const QRegularExpression plain(QStringLiteral("^[\\w.*+~-]+$"));
    const QMimeDatabase mimes;
    QStringList globs;
    for (const QString &given : acceptedTypes) {
        const QString type = given.trimmed().toLower();
        if (type.startsWith(QLatin1Char('.'))) {
            if (type.size() > 1)
                globs << QLatin1Char('*') + type;
        } else if (type.endsWith(QLatin1String("/*"))) {
            const QString family = type.chopped(1);
            for (const QMimeType &mime : mimes.allMimeTypes())
                if (mime.name().startsWith(family))
                    globs << mime.globPatterns();
        } else if (const QMimeType mime = mimes.mimeTypeForName(type); mime.isValid()) {
            globs << mime.globPatterns();
        }
    }
    globs.removeDuplicates();
    globs.removeIf([](const QString &glob) { return !plain.match(glob).hasMatch(); });
    QStringList filters;
    if (!globs.isEmpty())
        filters << QStringLiteral("支持的文件 (%1)").arg(globs.join(QLatin1Char(' ')));
    filters << QStringLiteral("所有文件 (*)");
    return filters;
}

QStringList SystemDesktop::chooseFiles(QWidget *parent, FileChoice choice, const QStringList &acceptedTypes)
{
    const QString from = m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
    QStringList chosen;
    if (choice == FileChoice::Folder) {
        const QString folder = QFileDialog::getExistingDirectory(parent, QString(), from);
        if (!folder.isEmpty())
            chosen << folder;
    } else {
        const QString filter = fileNameFilters(acceptedTypes).join(QStringLiteral(";;"));
        if (choice == FileChoice::Many)
            chosen = QFileDialog::getOpenFileNames(parent, QString(), from, filter);
        else if (const QString file = QFileDialog::getOpenFileName(parent, QString(), from, filter);
                 !file.isEmpty())
            chosen << file;
    }
    if (!chosen.isEmpty())
        m_lastFolder =
            choice == FileChoice::Folder ? chosen.first() : QFileInfo(chosen.first()).absolutePath();
    return chosen;
}

bool SystemDesktop::choosePrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    // What the page shows has no selection to print; everything else the
    // engine takes from the printer (page size, ranges, colour, copies).
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tk
