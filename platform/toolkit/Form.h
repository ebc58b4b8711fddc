#pragma once
// A form: a top-level window whose Left, Top, Width and Height are twips on
// the screen. Forms come into being on first reference and go away when
// unloaded (FormInstance below).

#include "toolkit/Control.h"
#include "toolkit/DesktopServices.h"
#include "toolkit/Menu.h"
#include "toolkit/Picture.h"
#include "toolkit/Shortcut.h"

#include <QColor>

#include <functional>
#include <memory>
#include <vector>

namespace tk {

class Form : public Control {
public:
    Form();
    ~Form() override;

    QString Caption() const;
    void setCaption(const QString &caption);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);
    // A form without the system's border and caption bar.
    void setBorderless(bool borderless);
    // A small dialog: the system's caption bar, a border the user cannot drag.
    void setFixedDialog(bool fixed);
    // Drawn at the form's top left at its own size, under the controls.
    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);

    void Show();
    // Shows the form alone over the whole screen that shows near.
    void ShowFullScreen(const Control &near);
    void Hide();
    bool isShown() const;
    // Shows a menu's items as a popup where the user acted (the pointer, or
    // the point the message being handled came with) and runs the chosen one.
    void PopupMenu(const Menu &menu);

    // Binds keys to a handler that fires wherever the keyboard focus is inside
    // the form, the web page included. The binding lives as long as the form.
    void bindShortcut(const QKeySequence &keys, std::function<void()> handler);

    const DesktopServices &desktop() const override { return *m_desktop; }
    // The desktop of the form and the controls in it, the system's unless
    // handed another, which must outlive the form.
    void setDesktop(const DesktopServices &desktop) { m_desktop = &desktop; }

    // The handlers a form's class overrides.
    virtual void Form_Load() {}
    virtual void Form_Unload(int16_t &cancel) { (void)cancel; }
    virtual void Form_Resize() {}

    // Called by FormInstance: Form_Load on load; Form_Unload, then the window
    // goes away, on unload.
    void loadForm();
    void unloadForm();

protected:
    void applyGeometry() override;
    void onResize() override { Form_Resize(); }
    // The system closes the window (window manager, session end): by default
    // the form is unloaded.
    virtual void onSystemClose();

private:
    friend class FormWidget;
    template <class T> friend class FormInstance;
    std::function<void()> m_unload; // set by the form's instance
    const DesktopServices *m_desktop = &DesktopServices::system();
    void systemResized(const QSize &pixels);
    void systemMoved(const QPoint &pixels);
    std::vector<std::unique_ptr<Shortcut>> m_shortcuts;
    bool m_shownOnce = false;
    bool m_fixedDialog = false;
    QColor m_backColor{Qt::lightGray};
    Picture m_picture;
};

// The one application-wide instance of a form class: created and loaded on
// first reference, destroyed by Unload; unloading an unloaded form does nothing.
class FormInstanceBase {
public:
    static int loadedCount();
    // What happens when the last loaded form is unloaded (the program ends).
    static void setLastFormUnloadedHandler(std::function<void()> handler);
    // Destroys the forms unloaded since control last returned to the loop.
    static void flushUnloaded();

protected:
    static void formLoaded();
    static void formUnloaded(std::unique_ptr<Form> form);
};

template <class T> class FormInstance : public FormInstanceBase {
public:
    T &get()
    {
        if (!m_form) {
            m_form = std::make_unique<T>();
            m_form->m_unload = [this] { Unload(); };
            if (m_desktop)
                m_form->setDesktop(*m_desktop);
            formLoaded();
            m_form->loadForm();
        }
        return *m_form;
    }
    T *operator->() { return &get(); }
    T &operator*() { return get(); }
    bool isLoaded() const { return bool(m_form); }
    void Unload()
    {
        if (!m_form || m_unloading)
            return;
        m_unloading = true;
        m_form->unloadForm();
        m_unloading = false;
        formUnloaded(std::move(m_form));
    }
    // The desktop the form has from now on, loaded or when next loaded.
    void setDesktop(const DesktopServices &desktop)
    {
        m_desktop = &desktop;
        if (m_form)
            m_form->setDesktop(desktop);
    }

private:
    std::unique_ptr<T> m_form;
    const DesktopServices *m_desktop = nullptr; // none: the form's own default
    bool m_unloading = false;
};

} // namespace tk
