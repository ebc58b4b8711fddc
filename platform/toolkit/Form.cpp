#include "toolkit/Form.h"

#include "toolkit/Accessible.h"
#include "toolkit/HeldKeys.h"
#include "toolkit/TkError.h"
#include "toolkit/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <vector>

namespace tk {

class FormWidget : public QWidget {
public:
    explicit FormWidget(Form *form) : m_form(form) { setAutoFillBackground(true); }
    void detach() { m_form = nullptr; }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        // The form decides: closing by the system unloads it.
        event->ignore();
        if (m_form)
            QTimer::singleShot(0, this, [f = m_form] { ignoreErrors([f] { f->onSystemClose(); }); });
    }
    void resizeEvent(QResizeEvent *) override
    {
        if (m_form)
            ignoreErrors([this] { m_form->systemResized(size()); });
    }
    void changeEvent(QEvent *event) override
    {
        // Minimised and restored, the window changes size as the system sees
        // it: the form lays itself out again, as after any resize.
        if (event->type() == QEvent::WindowStateChange && m_form) {
            const auto old = static_cast<QWindowStateChangeEvent *>(event)->oldState();
            if ((old ^ windowState()) & Qt::WindowMinimized)
                ignoreErrors([this] { m_form->onResize(); });
        }
        QWidget::changeEvent(event);
    }
    void paintEvent(QPaintEvent *) override
    {
        if (m_form && !m_form->m_picture.isNull()) {
            QPainter p(this);
            p.drawPixmap(0, 0, m_form->m_picture.pixmapFor(devicePixelRatio()));
        }
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (Shortcut::activateUnhandled(this, *event))
            event->accept();
        else
            QWidget::keyPressEvent(event);
    }
    void moveEvent(QMoveEvent *) override
    {
        if (m_form && isWindow())
            m_form->systemMoved(pos());
    }

private:
    Form *m_form;
};

Form::Form() : Control(new FormWidget(this), nullptr)
{
    HeldKeys::ensureInstalled();
    peer()->setAttribute(Qt::WA_DeleteOnClose, false);
    setBackColor(m_backColor);
    m_visible = false;
    describe(peer(), this, {.role = QAccessible::Window});
}

Form::~Form()
{
    if (peer())
        static_cast<FormWidget *>(peer())->detach();
}

QString Form::Caption() const
{
    return peer()->windowTitle();
}
void Form::setCaption(const QString &caption)
{
    peer()->setWindowTitle(caption);
}

void Form::setBackColor(const QColor &color)
{
    m_backColor = color;
    QPalette pal = peer()->palette();
    pal.setColor(QPalette::Window, color);
    peer()->setPalette(pal);
}

void Form::setBorderless(bool borderless)
{
    peer()->setWindowFlag(Qt::FramelessWindowHint, borderless);
}

void Form::setFixedDialog(bool fixed)
{
    m_fixedDialog = fixed;
    peer()->setWindowFlag(Qt::Dialog, fixed);
    peer()->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, fixed);
    describe(peer(), this, {.role = fixed ? QAccessible::Dialog : QAccessible::Window});
    applyGeometry();
}

void Form::setPicture(const Picture &picture)
{
    m_picture = picture;
    peer()->update();
}

void Form::Show()
{
    const bool first = !m_shownOnce;
    m_shownOnce = true;
    m_visible = true;
    peer()->show();
    if (first)
        onResize();
}

void Form::ShowFullScreen(const Control &near)
{
    m_shownOnce = true;
    m_visible = true;
    // Placed on that screen first: a window goes full screen where it is.
    if (QScreen *screen = near.peer() ? near.peer()->screen() : nullptr)
        peer()->setGeometry(screen->geometry());
    peer()->showFullScreen();
}

void Form::Hide()
{
    m_visible = false;
    peer()->hide();
}

bool Form::isShown() const
{
    return peer()->isVisible();
}

void Form::PopupMenu(const Menu &menu)
{
    const Menu *chosen = nullptr;
    {
        QMenu popup;
        menu.fill(popup, &chosen);
        raise(desktop().runPopup, popup);
    }
    // The chosen command runs once the menu and its own event loop are gone,
    // as the system's popup returns the command first: a command may end the
    // program or unload this very form.
    if (chosen && chosen->Click) {
        const std::function<void()> click = chosen->Click;
        ignoreErrors(click);
    }
}

void Form::bindShortcut(const QKeySequence &keys, std::function<void()> handler)
{
    m_shortcuts.push_back(std::make_unique<Shortcut>(*this, keys, std::move(handler)));
}

void Form::loadForm()
{
    Form_Load();
}

void Form::onSystemClose()
{
    if (m_unload)
        m_unload();
}

void Form::unloadForm()
{
    int16_t cancel = 0;
    ignoreErrors([&] { Form_Unload(cancel); });
    m_visible = false;
    peer()->hide();
}

void Form::applyGeometry()
{
    peer()->move(toPixels(m_left), toPixels(m_top));
    const QSize size(toPixels(m_width), toPixels(m_height));
    if (m_fixedDialog)
        peer()->setFixedSize(size);
    else
        peer()->resize(size);
}

void Form::systemResized(const QSize &pixels)
{
    if (pixels.width() == toPixels(m_width) && pixels.height() == toPixels(m_height))
        return;
    m_width = toTwips(pixels.width());
    m_height = toTwips(pixels.height());
    onResize();
}

void Form::systemMoved(const QPoint &pixels)
{
    if (pixels.x() == toPixels(m_left) && pixels.y() == toPixels(m_top))
        return;
    m_left = toTwips(pixels.x());
    m_top = toTwips(pixels.y());
}

namespace {
int &loaded()
{
    static int count = 0;
    return count;
}
std::function<void()> &lastFormHandler()
{
    static std::function<void()> handler;
    return handler;
}
std::vector<Form *> &graveyard()
{
    static std::vector<Form *> forms;
    return forms;
}
} // namespace

int FormInstanceBase::loadedCount()
{
    return loaded();
}

void FormInstanceBase::setLastFormUnloadedHandler(std::function<void()> handler)
{
    lastFormHandler() = std::move(handler);
}

void FormInstanceBase::formLoaded()
{
    ++loaded();
}

void FormInstanceBase::formUnloaded(std::unique_ptr<Form> form)
{
    // The unloaded form may be running one of its own handlers right now
    // (a button that unloads its dialog): destroy it once control is back in
    // the event loop.
    graveyard().push_back(form.release());
    QTimer::singleShot(0, qApp, [] { flushUnloaded(); });
    if (--loaded() == 0 && lastFormHandler())
        lastFormHandler()();
}

void FormInstanceBase::flushUnloaded()
{
    std::vector<Form *> dying;
    dying.swap(graveyard());
    for (Form *form : dying)
        delete form;
}

} // namespace tk
