// Properties, their side effects, and the saved design-time data.
#include "CommandTestSupport.h"
#include "Geometry.h"

#include "surface/DrawSurface.h"
#include "toolkit/PropertyBag.h"
#include "win32/SysColors.h"
#include "win32/Win32.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace command_test;

namespace {

const QString kForm1Data = QStringLiteral(":/skin/Form1.buttons.json");
const QString kFormOpenUrlData = QStringLiteral(":/skin/FormOpenUrl.buttons.json");

// Every stored property as the button saves it, for comparing two buttons as a whole.
QJsonObject propertiesOf(const Command &c)
{
    tk::PropertyBag bag;
    c.WriteProperties(bag);
    return bag.toJson();
}

tk::PropertyBag bagOf(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    tk::PropertyBag bag;
    for (const auto &[key, value] : values)
        bag.WriteProperty(QLatin1String(key), value);
    return bag;
}

struct CommandProperties : ::testing::Test {
    tk::Form form;
};
using CommandSavedData = CommandProperties;

} // namespace

TEST_F(CommandProperties, NewInstanceTakesItsNameAsCaptionAndSavesNothingElse)
{
    Command c(&form, QStringLiteral("Command7"));
    c.InitProperties();
    EXPECT_EQ(c.Caption(), QStringLiteral("Command7"));
    EXPECT_EQ(c.ButtonType(), 1);
    EXPECT_EQ(c.Percent(), 16);
    EXPECT_EQ(c.Font(), tk::defaultFormFont());
    EXPECT_EQ(propertiesOf(c).keys(), QStringList({"Caption"}))
        << "every other property holds its saved default";
}

TEST_F(CommandProperties, PercentOutsideZeroToHundredIsKeptThenRefusedWith380)
{
    auto c = newButton(form, 40, 24, 3);
    for (int16_t value : {101, -1, 32767}) {
        EXPECT_EQ(errorOf([&] { c->setPercent(value); }), tk::kInvalidPropertyValue) << value;
        EXPECT_EQ(c->Percent(), value);
        c->PaintButton(0, true); // and it still paints
    }
    c->setPercent(100);
    EXPECT_EQ(c->Percent(), 100);
}

TEST_F(CommandProperties, HWndRefusesWrites)
{
    auto c = newButton(form, 40, 20, 1);
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtRunTime);
    tk::AmbientProperties design;
    design.UserMode = false;
    c->setAmbient(design);
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtDesignTime);
}

TEST_F(CommandProperties, AccessKeyComesFromTheFirstSingleAmpersand)
{
    auto c = newButton(form, 40, 20, 1);
    const std::pair<const char *, const char *> cases[] = {{"&Open", "o"},    {"A&&B", ""},  {"x&&y&z", "z"},
                                                           {"End&", ""},      {"&", ""},     {"&&", ""},
                                                           {"Save &As", "a"}, {"a&&&b", "b"}};
    for (const auto &[caption, key] : cases) {
        c->setCaption(QString::fromUtf8(caption));
        EXPECT_EQ(c->AccessKeys(), QString::fromUtf8(key)) << caption;
    }
}

TEST_F(CommandSavedData, ShellButtonsLoadFromTheFormsLowerCaseDataAndSaveTheSameAgain)
{
    tk::Form dialog;
    const QJsonObject saved = tk::readFormData(kForm1Data).value(QStringLiteral("CommandOpenURL")).toObject();
    EXPECT_TRUE(saved.contains(QStringLiteral("_extentx")));
    EXPECT_EQ(saved.keys().join(' '), saved.keys().join(' ').toLower());

    auto open = Command::fromSaved(&form, kForm1Data, QStringLiteral("CommandOpenURL"));
    EXPECT_EQ(open->Caption(), QStringLiteral("打开网址"));
    EXPECT_EQ(open->ButtonType(), 5);
    EXPECT_EQ(open->ForeColor(), 0x808080);
    EXPECT_EQ(open->Font(), (tk::StdFont{QStringLiteral("宋体"), 9, false, false, 134}));
    EXPECT_EQ(open->Percent(), 53);
    EXPECT_EQ(open->MouseDownMidColor(), 0xFF9964);
    EXPECT_EQ(open->OfficeXpMousemoveFillColor(), 0xBADCDC); // not saved: default
    EXPECT_EQ(open->peer()->parentWidget(), form.peer());
    EXPECT_EQ(geometry(*open), "1560 75 735 255");
    EXPECT_EQ(QSize(open->W(), open->H()), QSize(49, 17));
    EXPECT_EQ(pixel(*open, 0, 0), 0xFFE9D1); // the Office-XP frame and fill
    EXPECT_EQ(pixel(*open, 1, 1), 0xFFF1E1);

    // Saved again through JSON and read into a fresh instance.
    Command again(&form, QStringLiteral("Other"));
    again.ReadProperties(tk::PropertyBag::fromJson(
        QJsonDocument::fromJson(QJsonDocument(open->saved().toJson()).toJson()).object()));
    again.Move(open->Left(), open->Top(), open->Width(), open->Height());
    EXPECT_EQ(propertiesOf(again), propertiesOf(*open));
    EXPECT_EQ(again.surface().image(), open->surface().image());

    auto ok = Command::fromSaved(&dialog, kFormOpenUrlData, QStringLiteral("CommandOK"));
    EXPECT_EQ(ok->Caption(), QStringLiteral("打开"));
    EXPECT_EQ(ok->ForeColor(), tk::GetSysColor(tk::COLOR_BTNTEXT));
    EXPECT_EQ(geometry(*ok), "4080 80 615 255");
    for (const auto &[file, name] :
         {std::pair(kFormOpenUrlData, "Nope"), std::pair(QStringLiteral(":/skin/none.json"), "CommandOK")})
        EXPECT_EQ(errorOf([&] { Command::fromSaved(&dialog, file, QLatin1String(name)); }), tk::kFileNotFound)
            << name;
}

TEST_F(CommandSavedData, EveryPropertyRoundTripsAndIsWrittenInItsOrder)
{
    auto a = newButton(form, 60, 24, 3, QStringLiteral("&Go"));
    a->setEnabled(false);
    a->setFont(tk::StdFont{QStringLiteral("Courier New"), 10.5, true, true, 0});
    a->setXpType(3);
    a->setColorScheme(2);
    a->setShowFocusRect(false);
    a->setPercent(77);
    int32_t colour = 0; // every colour a value of its own
    for (auto set :
         {&Command::setBackColor, &Command::setForeColor, &Command::setrectcolor, &Command::setMidColor,
          &Command::setEndColor, &Command::setMouseMoveMidColor, &Command::setMouseMoveEndColor,
          &Command::setMouseDownMidColor, &Command::setMouseDownEndColor, &Command::setOfficeXpFillColor,
          &Command::setOfficeXpFrameColor, &Command::setOfficeXpMousemoveFillColor,
          &Command::setOfficeXpMousemoveFrameColor})
        (a.get()->*set)(++colour);
    tk::PropertyBag bag;
    a->WriteProperties(bag);
    EXPECT_EQ(bag.keys(), QStringList({"BackColor",
                                       "ForeColor",
                                       "Enabled",
                                       "Font",
                                       "ButtonType",
                                       "XpType",
                                       "Caption",
                                       "ColorScheme",
                                       "ShowFocusRect",
                                       "rectcolor",
                                       "Percent",
                                       "MidColor",
                                       "EndColor",
                                       "MouseMoveMidColor",
                                       "MouseMoveEndColor",
                                       "MouseDownMidColor",
                                       "MouseDownEndColor",
                                       "OfficeXpFillColor",
                                       "OfficeXpFrameColor",
                                       "OfficeXpMousemoveFillColor",
                                       "OfficeXpMousemoveFrameColor"}));
    Command b(&form, QStringLiteral("B"));
    b.ReadProperties(bag);
    EXPECT_EQ(propertiesOf(b), propertiesOf(*a));
    EXPECT_FALSE(b.peer()->isEnabled());
    EXPECT_EQ(b.surface().font(), a->Font());
    EXPECT_EQ(b.AccessKeys(), QStringLiteral("g"));
}

TEST_F(CommandSavedData, MissingKeysTakeTheLoadDefaultsAndSavedStyleFourColoursWin)
{
    Command plain(&form, QStringLiteral("Command3"));
    plain.ReadProperties(tk::PropertyBag());
    EXPECT_EQ(plain.Caption(), QStringLiteral("wwbutton"));
    EXPECT_EQ(plain.Font(), tk::AmbientProperties().Font);

    Command blue(&form, QStringLiteral("Command4"));
    blue.ReadProperties(bagOf({{"buttontype", 4}, {"midcolor", 0x111111}, {"mousedownendcolor", 0x222222}}));
    EXPECT_EQ(blue.MidColor(), 0x111111);
    EXPECT_EQ(blue.MouseDownEndColor(), 0x222222);
    EXPECT_EQ(blue.EndColor(), 0xD7F6D7); // the load default, not a preset
    EXPECT_EQ(blue.Percent(), 16);

    Command wrong(&form, QStringLiteral("Command5"));
    EXPECT_EQ(errorOf([&] {
                  wrong.ReadProperties(bagOf({{"percent", QStringLiteral("half")}}));
              }),
              tk::kTypeMismatch);
    EXPECT_EQ(errorOf([&] { wrong.ReadProperties(bagOf({{"percent", 40000}})); }), tk::kOverflow);
}
