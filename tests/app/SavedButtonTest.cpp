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
    // The built-in data with one key of the button changed, or without a key the whole button.
    static QByteArray with(const char *name, const char *button, const char *key, const QJsonValue &value)
    {
        QJsonObject all = QJsonDocument::fromJson(builtIn(name)).object();
        QJsonObject b = all.value(QLatin1String(button)).toObject();
        if (key)
            b.insert(QLatin1String(key), value);
        all.insert(QLatin1String(button), key ? QJsonValue(b) : value);
        return QJsonDocument(all).toJson();
    }
};

TEST_F(SavedButton, DataBesideTheProgramIsUsedFirst)
{
    write("Form1.buttons.json",
          with("Form1.buttons.json", "CommandOpenURL", "caption", QStringLiteral("Go")));
    write("FormOpenUrl.buttons.json", with("FormOpenUrl.buttons.json", "CommandOK", "_left", 100));
    EXPECT_EQ(forms::Form1->CommandOpenURL->Caption(), QStringLiteral("Go"));
    EXPECT_EQ(forms::FormOpenUrl->CommandOK->Left(), 100);
}

TEST_F(SavedButton, BadDataBesideTheProgramFallsBackToTheBuiltInCopy)
{
    // The file's bytes, or without them the built-in data with one key (without a key the whole button) changed.
    const std::tuple<const char *, const char *, const char *, QJsonValue> rows[] = {
        {"empty", "", nullptr, {}},
        {"not JSON", "\x01\xff{{ not json", nullptr, {}},
        {"no such button", "{}", nullptr, {}},
        {"a list", "[1,2]", nullptr, {}},
        {"wrong type", nullptr, "_left", QStringLiteral("left")},
        {"button not an object", nullptr, nullptr, 7},
        {"percent 500", nullptr, "percent", 500},
        {"unknown button type", nullptr, "buttontype", 99},
        {"colour -1", nullptr, "midcolor", -1},
        {"font a number", nullptr, "font", 3},
    };
    for (const auto &[what, bytes, key, value] : rows) {
        for (const auto &[name, button] : {std::pair("Form1.buttons.json", "CommandOpenURL"),
                                           std::pair("FormOpenUrl.buttons.json", "CommandOK")})
            write(name, bytes ? QByteArray(bytes) : with(name, button, key, value));
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
