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

namespace {

constexpr char kRight[] = "Authorization: Basic YW5uOnMzY3JldA=="; // ann:s3cret

// Asks until it gets ann's name and password; each head it was sent is kept.
struct PrivateServer {
    QList<QByteArray> heads;
    LoopbackServer server{[this](QTcpSocket *s, const QByteArray &head) {
        heads << head;
        const bool in = head.contains(kRight);
        const QByteArray body = in ? "<title>welcome</title>" : "<title>denied</title>";
        s->write(httpHead(in ? "200 OK" : "401 Unauthorized",
                          in ? "" : "WWW-Authenticate: Basic realm=\"tavrin\"\r\n", body.size()) +
                 body);
        s->disconnectFromHost();
    }};
    bool sent(const char *what) const
    {
        return std::any_of(heads.begin(), heads.end(),
                           [what](const QByteArray &h) { return h.contains(what); });
    }
};

class SignIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() { tk::registerQtWebBrowserFactory(); }
    void SetUp() override
    {
        tk::NotificationArea::simulate(true);
        tk::FormInstanceBase::setLastFormUnloadedHandler([this] { ++programEnds; });
    }
    void TearDown() override
    {
        forms::unloadAll();
        tk::FormInstanceBase::flushUnloaded();
        tk::FormInstanceBase::setLastFormUnloadedHandler(nullptr);
    }
    static Form1 &main() { return *forms::Form1; }
    static WBControl &tabs() { return main().WBControl1; }
    static FormSignIn &form() { return *forms::FormSignIn; }
    static bool formShown() { return forms::FormSignIn.isLoaded() && form().isShown(); }
    static bool titled(int16_t tab, const char *title)
    {
        return waitUntil([&] { return tabs().WB(tab)->LocationName() == QLatin1String(title); });
    }
    static void select(int16_t tab) { tabs().MTab(tab).events.MouseDown(tk::kLeftButton, 0, 0, 0); }
    static void signIn()
    {
        QTest::keyClicks(form().TextUser.edit(), "ann");
        QTest::keyClicks(form().TextPassword.edit(), "s3cret");
        QTest::keyClick(form().TextPassword.edit(), Qt::Key_Return);
    }
    // Runs step inside the form's own loop once it is shown and active; a
    // form shown again, or none within the bound, fails and is closed.
    static std::unique_ptr<QTimer> onceShown(std::function<void()> step)
    {
        auto poll = std::make_unique<QTimer>();
        QObject::connect(poll.get(), &QTimer::timeout,
                         [step, bound = QDeadlineTimer(60000), ran = false]() mutable {
                             if (!formShown() && !bound.hasExpired())
                                 return;
                             if (ran || !formShown()) {
                                 ADD_FAILURE() << (ran ? "asked again" : "never asked");
                                 forms::FormSignIn.Unload();
                                 bound = QDeadlineTimer(QDeadlineTimer::Forever);
                                 return;
                             }
                             ran = true;
                             QApplication::setActiveWindow(form().peer());
                             step();
                         });
        poll->start(5);
        return poll;
    }
    int programEnds = 0;
};

// What the user does while the form is up, and what the tab shows after:
// the page, the server's own 401 answer, or no tab at all.
TEST_F(SignIn, TheFormAsksAndWhateverHappensMeanwhileEndsSoundly)
{
    const QString plain = titledPage("plain.html", "plain");
    const struct {
        const char *what;
        std::function<void()> meanwhile;
        const char *title; // tab 1's, the program still running
        int ends;
    } rows[] = {
        {"signed in with Enter", signIn, "welcome", 0},
        {"signed in with the button",
         [] {
             form().TextUser.setText("ann");
             form().TextPassword.setText("s3cret");
             form().CommandOK->events.Click();
         },
         "welcome", 0},
        {"Escape", [] { QTest::keyClick(form().TextUser.edit(), Qt::Key_Escape); }, "denied", 0},
        {"another tab selected", [] { select(0); }, "denied", 0},
        {"a tab opened", [&] { tabs().NewWindow(plain); }, "denied", 0},
        {"the tab closed", [] { tabs().closeSelectedTab(); }, nullptr, 0},
        {"退出", [] { forms::FormMenu->m_Exit_Click(); }, nullptr, 1},
        {"the window closed by the system", [] { main().peer()->close(); }, nullptr, 1},
        // Last: once asked to, every event loop started later ends at once.
        {"the program's end", [] { QCoreApplication::exit(0); }, "denied", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        programEnds = 0;
        PrivateServer server;
        main().Show();
        bool ran = false;
        const auto poll = onceShown([&] {
            EXPECT_EQ(form().Caption(), "登录 " + server.server.url("").mid(7).chopped(1));
            EXPECT_EQ(form().TextPassword.edit()->echoMode(), QLineEdit::Password);
            row.meanwhile();
            // Nothing that takes the pages away runs while the engine waits.
            EXPECT_TRUE(forms::Form1.isLoaded());
            ran = true;
        });
        ASSERT_EQ(tabs().NewWindow(server.server.url("private")), std::optional<int16_t>(1));
        ASSERT_TRUE(waitUntil([&] { return ran && !forms::FormSignIn.isLoaded(); }));
        if (row.title && qstrcmp(row.title, "welcome") == 0)
            EXPECT_TRUE(waitUntil([&] { return server.sent(kRight); }));
        else
            EXPECT_FALSE(server.sent("Authorization")) << "cancelled, nothing is sent";
        if (row.ends) {
            EXPECT_TRUE(waitUntil([&] { return !forms::Form1.isLoaded() && programEnds == row.ends; }));
            continue;
        }
        if (row.title)
            EXPECT_TRUE(titled(1, row.title));
        else
            EXPECT_EQ(tabs().List2.items(), QStringList{"1"});
        // The engine goes on: the selected tab loads.
        ASSERT_TRUE(tabs().NewWindow(plain));
        EXPECT_TRUE(titled(tabs().CurrentTab, "plain"));
        forms::unloadAll();
        tk::FormInstanceBase::flushUnloaded();
    }
}

} // namespace
