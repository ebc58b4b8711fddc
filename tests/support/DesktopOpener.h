#pragma once
// Catches the addresses of a scheme the desktop is asked to open (files and
// folders by default), instead of a real browser, file manager or mailer.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class DesktopOpener : public QObject {
    Q_OBJECT
public:
    explicit DesktopOpener(QString scheme = QStringLiteral("file")) : m_scheme(std::move(scheme))
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(m_scheme); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }

private:
    QString m_scheme;
};
