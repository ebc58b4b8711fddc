// Properties, their side effects, and the saved design-time data: a table of
// what buttons load, odd saved values among them, and save again.
#include "CommandTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using namespace command_test;

namespace {

// What a button saves, in its order: "key=value" words, the values as JSON.
std::string savedText(const tk::PropertyBag &bag)
{
    QStringList words;
    for (const QString &key : bag.keys())
        words << key + '=' +
                     QJsonDocument(QJsonArray{bag.toJson()[key]})
                         .toJson(QJsonDocument::Compact)
                         .mid(1)
                         .chopped(1);
    return words.join(' ').toStdString();
}

// The button read again from the bytes of what it saved shows and saves the same.
void expectSameAfterReload(tk::Form &form, const Command &c)
{
    Command again(&form, QStringLiteral("Other"));
    again.ReadProperties(tk::PropertyBag::fromJson(
        QJsonDocument::fromJson(QJsonDocument(c.saved().toJson()).toJson()).object()));
    again.Move(c.Left(), c.Top(), c.Width(), c.Height());
    EXPECT_EQ(std::tuple(savedText(again.saved()), again.surface().image() == c.surface().image(),
                         again.peer()->isEnabled(), again.AccessKeys()),
              std::tuple(savedText(c.saved()), true, c.peer()->isEnabled(), c.AccessKeys()));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(CommandProperties, ANewInstanceSavesOnlyItsNameAsCaptionAndEachPropertyIsSavedInItsOrder)
{
    tk::Form form;
    Command c(&form, QStringLiteral("Command7"));
    c.InitProperties();
    EXPECT_EQ(c.Percent(), 16);
    EXPECT_EQ(savedText(c.saved()), R"(_left=0 _top=0 _extentx=0 _extenty=0 Caption="Command7")");

    c.Move(0, 0, 900, 360);
    c.setButtonType(3);
    c.setCaption(QStringLiteral("&Go"));
    c.setEnabled(false);
    c.setFont(tk::StdFont{QStringLiteral("Courier New"), 10.5, true, true, 0});
    c.setXpType(3);
    c.setColorScheme(2);
    c.setShowFocusRect(false);
    c.setPercent(77);
    int32_t colour = 0; // every colour a value of its own
    for (auto set :
         {&Command::setBackColor, &Command::setForeColor, &Command::setrectcolor, &Command::setMidColor,
          &Command::setEndColor, &Command::setMouseMoveMidColor, &Command::setMouseMoveEndColor,
          &Command::setMouseDownMidColor, &Command::setMouseDownEndColor, &Command::setOfficeXpFillColor,
          &Command::setOfficeXpFrameColor, &Command::setOfficeXpMousemoveFillColor,
          &Command::setOfficeXpMousemoveFrameColor})
        (c.*set)(++colour);
    EXPECT_EQ(savedText(c.saved()),
              R"(_left=0 _top=0 _extentx=900 _extenty=360 BackColor=1 ForeColor=2 Enabled=false )"
              R"(Font={"bold":true,"charset":0,"italic":true,"name":"Courier New","size":10.5} ButtonType=3 )"
              R"(XpType=3 Caption="&Go" ColorScheme=2 ShowFocusRect=false rectcolor=3 Percent=77 MidColor=4 )"
              R"(EndColor=5 MouseMoveMidColor=6 MouseMoveEndColor=7 MouseDownMidColor=8 MouseDownEndColor=9 )"
              R"(OfficeXpFillColor=10 OfficeXpFrameColor=11 OfficeXpMousemoveFillColor=12 )"
              R"(OfficeXpMousemoveFrameColor=13)");
    EXPECT_EQ(c.surface().font(), c.Font());
    expectSameAfterReload(form, c);
}

TEST(CommandProperties, APercentOutsideZeroToHundredIsKeptThenRefusedWith380AndHWndIsReadOnly)
{
    tk::Form form;
    auto c = newButton(form, 40, 24, 3);
    for (int16_t value : {101, -1, 32767, 100}) {
        EXPECT_EQ(errorOf([&] { c->setPercent(value); }), value == 100 ? 0 : tk::kInvalidPropertyValue)
            << value;
        EXPECT_EQ(c->Percent(), value);
        c->PaintButton(0, true); // and it still paints
    }
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtRunTime);
    tk::AmbientProperties design;
    design.UserMode = false;
    c->setAmbient(design);
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtDesignTime);
}

TEST(CommandSavedData, ButtonsLoadFromKeysInAnyLetterCaseOrTheLoadDefaultsAndSaveTheSameAgain)
{
    QTemporaryDir dir;
    const QString form1 = QStringLiteral(":/skin/Form1.buttons.json"), path = dir.filePath("form.json");
    // The form's data and the button's name, or a button's saved keys; then its caption, percent, pixel size,
    // first pixel and what it saves again, or the error loading it.
    const std::tuple<QString, const char *, const char *> rows[] = {
        {form1, "CommandOpenURL",
         R"(打开网址 53 49x17 ffe9d1: _left=1560 _top=75 _extentx=735 _extenty=255 ForeColor=8421504 )"
         R"(ButtonType=5 Caption="打开网址" Percent=53 MidColor=16755580 EndColor=16765887 )"
         R"(MouseMoveMidColor=16763805 MouseMoveEndColor=16771025 MouseDownMidColor=16750948 )"
         R"(MouseDownEndColor=16765887 OfficeXpFillColor=16773601 OfficeXpFrameColor=16771537)"},
        {form1, "Nope", "error 53"},
        {":/skin/none.json", "CommandOpenURL", "error 53"},
        {path, "{}", "wwbutton 16 0x0 ffffffff: _left=0 _top=0 _extentx=0 _extenty=0"},
        // Saved style 4 colours win over its preset; the others take the load defaults.
        {path,
         R"({"_extentx": 900, "_extenty": 360, "buttontype": 4, "midcolor": 1118481, "MouseDownEndColor": 2})",
         "wwbutton 16 60x24 f0f0f0: _left=0 _top=0 _extentx=900 _extenty=360 ButtonType=4 MidColor=1118481 "
         "MouseDownEndColor=2"},
        {path, R"({"percent": "half"})", "error 13"},
        {path, R"({"percent": 40000})", "error 6"},
        // A size past any screen is refused, or draws nothing rather than taking gigabytes.
        {path, R"({"_extentx": 1e12, "_extenty": 1e12})", "error 380"},
        {path, R"({"_extentx": 200000, "_extenty": 200000})",
         "wwbutton 16 0x0 ffffffff: _left=0 _top=0 _extentx=200000 _extenty=200000"},
    };
    tk::Form form;
    for (const auto &[file, button, expected] : rows) {
        SCOPED_TRACE(button);
        const bool keys = button[0] == '{';
        ASSERT_TRUE(!keys || writeFile(path, "{\"Command7\": " + QByteArray(button) + "}"));
        std::string got;
        const int error = errorOf([&, button = button] {
            const auto c = Command::fromSaved(&form, file, keys ? QStringLiteral("Command7") : button);
            const QSize size = c->surface().image().size();
            got = QString::asprintf("%s %d %dx%d %x: ", qUtf8Printable(c->Caption()), c->Percent(),
                                    size.width(), size.height(), pixel(*c, 0, 0))
                      .toStdString() +
                  savedText(c->saved());
            expectSameAfterReload(form, *c);
        });
        EXPECT_EQ(error ? "error " + std::to_string(error) : got, expected);
    }
}
