#include "FormSignIn.h"

#include "SavedButton.h"

#include "DialogLook.h"
#include "Form1.h"
#include "Forms.h"
#include "toolkit/Color.h"
#include "toolkit/TkError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>

#include <optional>
#include <utility>
#include <vector>

using namespace tk;

namespace tavrin {

namespace {

constexpr uint32_t kLabelColor = 0x00734E33; // the main window's caption
// Where the pieces lie, in twips: two rows of the address dialog's box (the
// button beside the last), and how far below the main window's top edge the
// form lies, as the address dialog does.
constexpr struct {
    float rowTop[2] = {80, 430}, rowHeight = 270, labelLeft = 80, textLeft = 720, textWidth = 3200,
          drop = 800;
} kPlace;

// The sign-in being asked, while its loop runs.
struct Asking {
    int16_t tab;
    std::vector<std::function<void()>> afterwards;
};
std::optional<Asking> g_asking;

void placeLabel(Label &label, const QString &caption, float rowTop)
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(9);
    label.setFont(font);
    label.setForeColor(colorFromBGR(kLabelColor));
    label.setAutoSize(true);
    label.setCaption(caption);
    label.Move(kPlace.labelLeft, rowTop + (kPlace.rowHeight - label.Height()) / 2);
}

// Named as its label reads.
void placeText(TextBox &text, const Label &label, float rowTop)
{
    text.Move(kPlace.textLeft, rowTop, kPlace.textWidth, kPlace.rowHeight);
    styleTextBox(text, label.Caption());
}

} // namespace

FormSignIn::FormSignIn() : LabelUser(this), LabelPassword(this), TextUser(this), TextPassword(this)
{
    setUpDialog(*this, QStringLiteral("登录"), QStringLiteral("SignInBack"), 780);

    placeLabel(LabelUser, QStringLiteral("用户名"), kPlace.rowTop[0]);
    placeLabel(LabelPassword, QStringLiteral("密码"), kPlace.rowTop[1]);
    placeText(TextUser, LabelUser, kPlace.rowTop[0]);
    placeText(TextPassword, LabelPassword, kPlace.rowTop[1]);
    TextPassword.edit()->setEchoMode(QLineEdit::Password);
    for (TextBox *text : {&TextUser, &TextPassword})
        text->events.KeyDown = [this](int16_t &k, int16_t &s) { Text_KeyDown(k, s); };

    CommandOK = savedButton(this, QStringLiteral("FormSignIn.buttons.json"), QStringLiteral("CommandOK"));
    CommandOK->events.Click = [this] { CommandOK_Click(); };
}

bool FormSignIn::ask(const Question &question, QString &user, QString &password)
{
    // Only the page shown asks. The engine waiting for the first answer runs
    // nothing meanwhile, so none other should ask; should one, it is refused.
    if (g_asking || !forms::Form1.isLoaded() || forms::Form1->WBControl1.CurrentTab != question.tab)
        return false;
    g_asking.emplace(Asking{question.tab, {}});
    bool signedIn = false;
    {
        QEventLoop loop;
        FormSignIn &form = *forms::FormSignIn;
        form.setCaption(QStringLiteral("%1 %2").arg(
            question.proxy ? QStringLiteral("代理服务器登录") : QStringLiteral("登录"), question.site));
        form.m_gone = [&] {
            signedIn = form.m_signedIn;
            user = form.TextUser.Text();
            password = form.TextPassword.Text();
            loop.quit();
        };
        Form1 &main = *forms::Form1;
        showWithKeyboard(form, form.TextUser, main.Top() + kPlace.drop,
                         main.Left() + (main.Width() - form.Width()) / 2);
        // Ended by the form going, or by the program's own end (every loop
        // is left then), when the form goes here.
        if (forms::FormSignIn.isLoaded())
            loop.exec();
        forms::FormSignIn.Unload();
    }
    const std::vector<std::function<void()>> afterwards = std::move(g_asking->afterwards);
    g_asking.reset();
    // Queued: they run once the engine has its answer and the stack is back
    // in the loop that called it.
    for (const std::function<void()> &action : afterwards)
        QMetaObject::invokeMethod(qApp, action, Qt::QueuedConnection);
    if (forms::Form1.isLoaded())
        forms::Form1->takeKeyboard();
    if (!signedIn) {
        user.clear();
        password.clear();
    }
    return signedIn;
}

void FormSignIn::tabSelected(int16_t selected)
{
    if (g_asking && g_asking->tab != selected)
        forms::FormSignIn.Unload();
}

void FormSignIn::withdraw(int16_t tab)
{
    if (g_asking && g_asking->tab == tab)
        forms::FormSignIn.Unload();
}

void FormSignIn::CommandOK_Click()
{
    m_signedIn = true;
    // Destroyed once this handler has returned (the toolkit defers it).
    forms::FormSignIn.Unload();
}

// Enter signs in, Escape goes on without.
void FormSignIn::Text_KeyDown(int16_t &KeyCode, int16_t &)
{
    answerKeys(
        KeyCode, [this] { CommandOK_Click(); }, [] { forms::FormSignIn.Unload(); });
}

void FormSignIn::Form_Unload(int16_t &)
{
    if (const std::function<void()> gone = std::exchange(m_gone, nullptr))
        gone();
}

void afterSignIn(std::function<void()> action)
{
    if (!g_asking) {
        action();
        return;
    }
    g_asking->afterwards.push_back(std::move(action));
    forms::FormSignIn.Unload();
}

} // namespace tavrin
