// A page behind HTTP authentication in the whole program on the real engine:
// the sign-in form, and everything that may happen while the engine waits on
// it.

#include "EngineSupport.h"
#include "Form1.h"
#include "FormMenu.h"
#include "FormSignIn.h"
#include "Forms.h"
#include "browser/webengine/QtWebBrowser.h"
#include "win32/NotifyIcon.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

using namespace tavrin;

namespace {

constexpr char kRight[] = "Authorization: Basic YW5uOnMzY3JldA=="; // ann:s3cret

Form1 &main()
{
    return *forms::Form1;
}
WBControl &tabs()
{
    return main().WBControl1;
}
FormSignIn &form()
{
    return *forms::FormSignIn;
}
bool titled(const char *title)
{
    return waitUntil([&] { return tabs().title() == QLatin1String(title); });
}

// Runs step inside the form's own loop once it is shown; a form shown
// again, or none within the bound, fails and is closed.
std::unique_ptr<QTimer> onceShown(std::function<void()> step)
{
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout,
                     [step, bound = QDeadlineTimer(60000), ran = false]() mutable {
                         const bool shown = forms::FormSignIn.isLoaded() && form().isShown();
                         if (shown && !ran) {
                             ran = true;
                             QApplication::setActiveWindow(form().peer());
                             step();
                         } else if (shown || (!ran && bound.hasExpired())) {
                             ADD_FAILURE() << (ran ? "asked again" : "never asked");
                             forms::FormSignIn.Unload();
                         }
                     });
    poll->start(5);
    return poll;
}

// What the user does while the form is up, and what follows: the page, the
// server's own 401 answer, the tab closed, or the program's end once the
// engine has its answer. Then the engine goes on.
TEST(SignIn, TheFormAsksAndWhateverHappensMeanwhileEndsSoundly)
{
    tk::registerQtWebBrowserFactory();
    tk::NotificationArea::simulate(true);
    int ends = 0;
    tk::FormInstanceBase::setLastFormUnloadedHandler([&] { ++ends; });
    const QString plain = titledPage("plain.html", "plain");
    const std::pair<const char *, std::function<void()>> rows[] = {
        {"welcome",
         [] {
             QTest::keyClicks(form().TextUser.edit(), "ann");
             QTest::keyClicks(form().TextPassword.edit(), "s3cret");
             QTest::keyClick(form().TextPassword.edit(), Qt::Key_Return);
         }},
        {"denied", [] { QTest::keyClick(form().TextUser.edit(), Qt::Key_Escape); }},
        {"denied", [] { tabs().parts().MTab(0).events.MouseDown(tk::kLeftButton, 0, 0, 0); }},
        {"denied", [&] { tabs().NewWindow(plain); }},
        {"closed", [] { tabs().closeSelectedTab(); }},
        {"ended", [] { forms::FormMenu->m_Exit_Click(); }},
        {"ended", [] { main().peer()->close(); }},     // by the system
        {"denied", [] { QCoreApplication::exit(0); }}, // last: later loops would end at once
    };
    int row = 0;
    for (const auto &[after, meanwhile] : rows) {
        SCOPED_TRACE(row++);
        ends = 0;
        QList<QByteArray> heads;
        LoopbackServer server([&](QTcpSocket *s, const QByteArray &head) {
            heads << head;
            const bool in = head.contains(kRight);
            const QByteArray body = in ? "<title>welcome</title>" : "<title>denied</title>";
            const char *ask = in ? "" : "WWW-Authenticate: Basic realm=\"tavrin\"\r\n";
            s->write(httpHead(in ? "200 OK" : "401 Unauthorized", ask, body.size()) + body);
            s->disconnectFromHost();
        });
        const auto sent = [&](const char *what) {
            return std::any_of(heads.begin(), heads.end(),
                               [what](const QByteArray &h) { return h.contains(what); });
        };
        main().Show();
        bool ran = false;
        const auto poll = onceShown([&, &meanwhile = meanwhile] {
            EXPECT_EQ(form().Caption(), "登录 " + server.url("").mid(7).chopped(1));
            EXPECT_EQ(form().TextPassword.edit()->echoMode(), QLineEdit::Password);
            meanwhile();
            EXPECT_TRUE(forms::Form1.isLoaded()) << "nothing takes the pages away while the engine waits";
            ran = true;
        });
        ASSERT_EQ(tabs().NewWindow(server.url("private")), std::optional<int16_t>(1));
        ASSERT_TRUE(waitUntil([&] { return ran && !forms::FormSignIn.isLoaded(); }));
        const QByteArray a(after);
        if (a == "ended") {
            EXPECT_TRUE(waitUntil([&] { return !forms::Form1.isLoaded() && ends == 1; }));
            EXPECT_FALSE(sent("Authorization"));
            continue;
        }
        if (a != "closed") {
            EXPECT_TRUE(waitUntil([&] { return tabs().parts().WB(1)->LocationName() == a; }));
        }
        EXPECT_EQ(sent("Authorization"), sent(kRight)) << "cancelled, nothing is sent";
        EXPECT_EQ(sent(kRight), a == "welcome");
        EXPECT_EQ(tabs().parts().List2.items(), a == "closed" ? QStringList{"1"} : QStringList{});
        ASSERT_TRUE(tabs().NewWindow(plain));
        EXPECT_TRUE(titled("plain"));
        forms::unloadAll();
        tk::FormInstanceBase::flushUnloaded();
    }
    tk::FormInstanceBase::setLastFormUnloadedHandler(nullptr);
}

} // namespace
