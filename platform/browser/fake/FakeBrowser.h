#pragma once
// A scripted web browser component for tests of the shell's own logic: it
// records where it is sent and fires the component's events on demand.

#include "browser/WebBrowser.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace tk {

class FakeBrowser : public WebBrowser {
public:
    FakeBrowser();
    ~FakeBrowser() override;

    QWidget *widget() override { return m_widget; }
    void Navigate(const QString &url) override;
    void Refresh() override { calls << QStringLiteral("Refresh"); }
    void Stop() override
    {
        calls << QStringLiteral("Stop");
        m_busy = false;
    }
    // No history is kept: these fail as the component does without one.
    void GoBack() override;
    void GoForward() override;
    QString LocationURL() const override { return m_location; }
    QString LocationName() const override { return m_title; }
    bool Busy() const override { return m_busy; }
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void ExitFullScreen() override { ++fullScreenExits; }
    void Discard() override { discarded = true; }
    double zoomFactor() const override { return m_zoom; }
    void setZoomFactor(double factor) override { m_zoom = factor; }
    // Records "Find text", "Find text backward" or "Find clear" and answers
    // at once with findAnswer (nothing for an empty text).
    void findText(const QString &text, bool backward, std::function<void(int, int)> found) override;
    void print() override { calls << QStringLiteral("Print"); }

    // Script. A whole successful load of the address last navigated to, with events in
    // the component's order, ending not busy with the given title.
    void completeLoad(const QString &title);
    void fireTitleChange(const QString &text);
    bool fireWindowClosing(bool isChild); // returns the answer's cancel flag
    WebBrowser *fireNewWindow2(bool *cancel = nullptr);
    bool fireFullScreenRequested(bool on); // returns the answer's accept flag

    QStringList navigations;              // the addresses given to Navigate, in order
    QStringList calls;                    // the page commands, in order: "Refresh", "GoBack", ...
    int fullScreenExits = 0;              // ExitFullScreen calls
    bool discarded = false;               // Discard called since the last Navigate
    std::pair<int, int> findAnswer{0, 0}; // the active match and the count a search finds

    // Makes tk::createBrowser() hand out fakes; failAfter >= 0 lets that many
    // creations succeed and fails the rest.
    static void install(int failAfter = -1);

private:
    QPointer<QWidget> m_widget;
    QString m_location;
    QString m_title;
    bool m_busy = false;
    bool m_silent = false;
    double m_zoom = 1;
};

} // namespace tk
