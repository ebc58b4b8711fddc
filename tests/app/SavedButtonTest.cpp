// The forms' buttons from saved data beside the program: what reads well is
// used, anything else falls back to the built-in copy, and the forms always
// come up with their button.
#include "Form1.h"
#include "FormOpenUrl.h"
#include "ShellFixture.h"
#include "toolkit/Screen.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tk;

namespace {

class SavedButton : public ShellFixture {
protected:
    void TearDown() override
    {
        ShellFixture::TearDown();
        for (const char *name : {"Form1.buttons.json", "FormOpenUrl.buttons.json"})
            QFile::remove(beside(name));
    }
    static QString beside(const char *name) { return appPath() + QLatin1Char('/') + QLatin1String(name); }
    static void write(const char *name, const QByteArray &bytes)
    {
        QFile f(beside(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray builtIn(const char *name)
    {
        QFile f(QStringLiteral(":/skin/") + QLatin1String(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // The built-in data with one key of the button changed.
    static QByteArray with(const char *name, const char *button, const char *key, const QJsonValue &value)
    {
        QJsonObject all = QJsonDocument::fromJson(builtIn(name)).object();
        QJsonObject b = all.value(QLatin1String(button)).toObject();
        b.insert(QLatin1String(key), value);
        all.insert(QLatin1String(button), b);
        return QJsonDocument(all).toJson();
    }
};

TEST_F(SavedButton, DataBesideTheProgramIsUsedFirst)
{
    write("Form1.buttons.json", with("Form1.buttons.json", "CommandOpenURL", "caption", QStringLiteral("Go")));
    write("FormOpenUrl.buttons.json", with("FormOpenUrl.buttons.json", "CommandOK", "_left", 100));
    EXPECT_EQ(forms::Form1->CommandOpenURL->Caption(), QStringLiteral("Go"));
    EXPECT_EQ(forms::FormOpenUrl->CommandOK->Left(), 100);
}

TEST_F(SavedButton, BadDataBesideTheProgramFallsBackToTheBuiltInCopy)
{
    const std::vector<std::pair<const char *, std::function<QByteArray(const char *, const char *)>>> cases{
        {"empty", [](const char *, const char *) { return QByteArray(); }},
        {"not JSON", [](const char *, const char *) { return QByteArray("\x01\xff{{ not json"); }},
        {"no such button", [](const char *, const char *) { return QByteArray("{}"); }},
        {"a list", [](const char *, const char *) { return QByteArray("[1,2]"); }},
        {"wrong type", [](const char *n, const char *b) { return with(n, b, "_left", QStringLiteral("left")); }},
        {"button not an object", [](const char *, const char *b) {
             return QJsonDocument(QJsonObject{{QLatin1String(b), 7}}).toJson(); }},
        {"percent 500", [](const char *n, const char *b) { return with(n, b, "percent", 500); }},
        {"unknown button type", [](const char *n, const char *b) { return with(n, b, "buttontype", 99); }},
        {"colour -1", [](const char *n, const char *b) { return with(n, b, "midcolor", -1); }},
        {"font a number", [](const char *n, const char *b) { return with(n, b, "font", 3); }},
    };
    for (const auto &[what, bytes] : cases) {
        write("Form1.buttons.json", bytes("Form1.buttons.json", "CommandOpenURL"));
        write("FormOpenUrl.buttons.json", bytes("FormOpenUrl.buttons.json", "CommandOK"));
        ASSERT_TRUE(forms::Form1->CommandOpenURL) << what;
        ASSERT_TRUE(forms::FormOpenUrl->CommandOK) << what;
        EXPECT_FALSE(forms::Form1->CommandOpenURL->Caption().isEmpty()) << what;
        EXPECT_GT(forms::Form1->CommandOpenURL->Width(), 0) << what;
        EXPECT_GT(forms::FormOpenUrl->CommandOK->Width(), 0) << what;
        // Still the way to the dialog and from it to a tab.
        forms::FormOpenUrl.Unload();
        FormInstanceBase::flushUnloaded();
        forms::Form1->CommandOpenURL->events.Click();
        ASSERT_TRUE(forms::FormOpenUrl.isLoaded()) << what;
        forms::FormOpenUrl->Text1.setText(QStringLiteral("http://example.test/"));
        forms::FormOpenUrl->CommandOK->events.Click();
        EXPECT_EQ(forms::Form1->WBControl1.List1.ListCount(), 1) << what;
        forms::unloadAll();
        FormInstanceBase::flushUnloaded();
    }
}

} // namespace
