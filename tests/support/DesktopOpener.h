#pragma once
// Catches the files and folders the desktop is asked to open, instead of a
// real browser or file manager.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class DesktopOpener : public QObject {
    Q_OBJECT
public:
    DesktopOpener() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};
