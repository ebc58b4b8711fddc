#pragma once
// A scripted web browser component for tests of the shell's own logic: it
// records what it is told and fires the component's events on demand.

#include "browser/WebBrowser.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace tk {

class FakeBrowser : public WebBrowser {
public:
    FakeBrowser();
    ~FakeBrowser() override;

    QWidget *widget() override { return m_widget; }
    void Navigate(const QString &url) override;
    void Refresh() override { calls << QStringLiteral("Refresh"); }
    void Stop() override;
    void GoBack() override;
    void GoForward() override;
    QString LocationURL() const override { return m_location; }
    QString LocationName() const override { return m_title; }
    bool Busy() const override { return m_busy; }
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }

    // Script.
    void setLocationURL(const QString &url) { m_location = url; }
    void setLocationName(const QString &title) { m_title = title; }
    void setBusy(bool busy) { m_busy = busy; }
    // A whole successful load of the address last navigated to, with events in
    // the component's order, ending not busy with the given title.
    void completeLoad(const QString &title);
    void fireTitleChange(const QString &text);
    bool fireWindowClosing(bool isChild); // returns the answer's cancel flag
    WebBrowser *fireNewWindow2(bool *cancel = nullptr);

    QStringList calls;       // every operation, in order: "Navigate <url>", "GoBack", ...
    QStringList navigations; // the addresses given to Navigate

    // Every live fake, oldest first.
    static const std::vector<FakeBrowser *> &instances();
    // Makes tk::createBrowser() hand out fakes; failAfter >= 0 lets that many
    // creations succeed and fails the rest.
    static void install(int failAfter = -1);

private:
    QPointer<QWidget> m_widget;
    QString m_location;
    QString m_title;
    bool m_busy = false;
    bool m_silent = false;
    QStringList m_back, m_forward;
};

} // namespace tk
