// Properties, their side effects, and the saved design-time data.
#include "CommandTestSupport.h"

#include "DrawSurface.h"
#include "PropertyBag.h"
#include "Win32.h"

#include <QJsonDocument>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace command_test;

namespace {

const QString kForm1Data = QStringLiteral(":/skin/Form1.buttons.json");
const QString kFormOpenUrlData = QStringLiteral(":/skin/FormOpenUrl.buttons.json");

// Every stored property, for comparing two buttons as a whole.
QStringList propertiesOf(const Command &c)
{
    const tk::StdFont &f = c.Font();
    return {QString::number(c.BackColor()), QString::number(c.ForeColor()), QString::number(c.Percent()),
            QString::number(c.MidColor()), QString::number(c.EndColor()),
            QString::number(c.MouseMoveMidColor()), QString::number(c.MouseMoveEndColor()),
            QString::number(c.MouseDownMidColor()), QString::number(c.MouseDownEndColor()),
            QString::number(c.OfficeXpFillColor()), QString::number(c.OfficeXpFrameColor()),
            QString::number(c.OfficeXpMousemoveFillColor()), QString::number(c.OfficeXpMousemoveFrameColor()),
            QString::number(c.Enabled()),
            QStringLiteral("%1 %2 %3 %4 %5").arg(f.Name).arg(f.Size).arg(f.Bold).arg(f.Italic).arg(f.Charset),
            QString::number(c.ButtonType()), c.Caption(), QString::number(c.ColorScheme()),
            QString::number(c.XpType()), QString::number(c.rectcolor()), QString::number(c.ShowFocusRect())};
}

tk::PropertyBag bagOf(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    tk::PropertyBag bag;
    for (const auto &[key, value] : values)
        bag.WriteProperty(QLatin1String(key), value);
    return bag;
}

} // namespace

TEST(CommandProperties, NewInstanceHasTheDefaultsAndItsOwnNameAsCaption)
{
    tk::Form form;
    Command c(&form, QStringLiteral("Command7"));
    c.InitProperties();
    EXPECT_EQ(c.Caption(), QStringLiteral("Command7"));
    EXPECT_EQ(c.BackColor(), tk::GetSysColor(15));
    EXPECT_EQ(c.ForeColor(), tk::GetSysColor(18));
    EXPECT_EQ(c.Percent(), 16);
    EXPECT_EQ(c.MidColor(), RGB(116, 200, 115));
    EXPECT_EQ(c.MouseDownEndColor(), 0);
    EXPECT_EQ(c.OfficeXpMousemoveFrameColor(), RGB(127, 128, 1));
    EXPECT_EQ(c.rectcolor(), RGB(250, 195, 88));
    EXPECT_EQ(c.ButtonType(), 1);
    EXPECT_EQ(c.ColorScheme(), 1);
    EXPECT_EQ(c.XpType(), 1);
    EXPECT_TRUE(c.Enabled());
    EXPECT_TRUE(c.ShowFocusRect());
    EXPECT_EQ(c.Font(), tk::defaultFormFont());
    // Only what differs from the saved defaults is written: the caption.
    tk::PropertyBag bag;
    c.WriteProperties(bag);
    EXPECT_EQ(bag.keys(), QStringList({"Caption"}));
}

TEST(CommandProperties, SettersRecordTheirExactKeyAndRectColorWaitsForTheNextPaint)
{
    tk::Form form;
    auto c = newButton(form, 40, 20, 1);
    QStringList changed;
    c->PropertyChanged = [&changed](const QString &name) { changed << name; };
    c->setOfficeXpMousemoveFrameColor(1);
    c->setXpType(2);
    c->setShowFocusRect(false);
    c->setEnabled(true);
    c->setCaption(QStringLiteral("x"));
    EXPECT_EQ(changed, QStringList({"OfficeXpMousemoveFrameColor", "XpType", "ShowFocusRect", "Enabled", "Caption"}));

    // rectcolor is the hover outline: set while hovering it shows only when painted again.
    c->setXpType(1);
    c->setCaption(QString());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(c->peer(), &move);
    ASSERT_TRUE(c->IsHover());
    EXPECT_EQ(pixel(*c, 2, 1), RGB(250, 195, 88));
    changed.clear();
    c->setrectcolor(0x123456);
    EXPECT_EQ(changed, QStringList({"rectcolor"}));
    EXPECT_EQ(pixel(*c, 2, 1), RGB(250, 195, 88));
    c->PaintButton(command::kNormalLook, false); // nothing changed: skipped
    EXPECT_EQ(pixel(*c, 2, 1), RGB(250, 195, 88));
    c->PaintButton(command::kNormalLook, true);
    EXPECT_EQ(pixel(*c, 2, 1), 0x123456);
}

TEST(CommandProperties, PercentOutsideZeroToHundredIsRefusedAndKeepsTheOldValue)
{
    tk::Form form;
    auto c = newButton(form, 40, 24, 3);
    c->setPercent(40);
    QStringList changed;
    c->PropertyChanged = [&changed](const QString &name) { changed << name; };
    const QImage before = c->surface().image().copy();
    EXPECT_EQ(errorOf([&] { c->setPercent(101); }), tk::kInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { c->setPercent(-1); }), tk::kInvalidPropertyValue);
    EXPECT_EQ(c->Percent(), 40);
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(c->surface().image(), before);
    c->setPercent(100);
    c->setPercent(0);
    EXPECT_EQ(c->Percent(), 0);
    EXPECT_EQ(changed, QStringList({"Percent", "Percent"}));
}

TEST(CommandProperties, HWndReadsTheSurfaceHandleAndRefusesWrites)
{
    tk::Form form;
    auto c = newButton(form, 40, 20, 1);
    EXPECT_NE(c->hWnd(), 0);
    EXPECT_EQ(tk::windowFromHandle(c->hWnd()), c->peer());
    const int32_t handle = c->hWnd();
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtRunTime);
    tk::AmbientProperties design;
    design.UserMode = false;
    c->setAmbient(design);
    EXPECT_EQ(errorOf([&] { c->setHWnd(5); }), tk::kReadOnlyAtDesignTime);
    EXPECT_EQ(c->hWnd(), handle);
    tk::PropertyBag bag;
    c->WriteProperties(bag);
    EXPECT_FALSE(bag.contains(QStringLiteral("hWnd"))); // the stored field stays 0
}

TEST(CommandProperties, StyleFourPresetsAndTheSystemSchemeOverwrite)
{
    tk::Form form;
    auto c = newButton(form, 40, 20, 1);
    c->setButtonType(4);
    EXPECT_EQ(c->Percent(), 53);
    EXPECT_EQ(c->MidColor(), RGB(124, 171, 255));
    EXPECT_EQ(c->EndColor(), RGB(191, 211, 255));
    EXPECT_EQ(c->MouseMoveMidColor(), RGB(157, 203, 255));
    EXPECT_EQ(c->MouseMoveEndColor(), RGB(209, 231, 255));
    EXPECT_EQ(c->MouseDownMidColor(), RGB(100, 153, 255));
    EXPECT_EQ(c->MouseDownEndColor(), RGB(191, 211, 255));
    // With the system scheme, a colour change reloads the scheme's own style-4 colours.
    c->setForeColor(0x101010);
    EXPECT_EQ(c->MidColor(), RGB(197, 197, 197));
    EXPECT_EQ(c->EndColor(), RGB(238, 238, 238));
    EXPECT_EQ(c->MouseMoveMidColor(), RGB(123, 167, 211));
    EXPECT_EQ(c->MouseMoveEndColor(), RGB(210, 245, 251));
    EXPECT_EQ(c->MouseDownMidColor(), RGB(227, 167, 105));
    EXPECT_EQ(c->MouseDownEndColor(), RGB(252, 220, 199));
    EXPECT_EQ(c->palette().Text, 0x101010);
    EXPECT_EQ(c->Percent(), 53);
}

TEST(CommandProperties, ColorSchemesFillThePalette)
{
    tk::Form form;
    auto c = newButton(form, 40, 20, 5);
    c->setBackColor(RGB(100, 150, 200));
    c->setColorScheme(2);
    EXPECT_EQ(c->palette(), (command::Palette{RGB(100, 150, 200), RGB(131, 181, 231), RGB(147, 197, 247),
                                              RGB(36, 86, 136), RGB(0, 0, 8), 0}));
    c->setColorScheme(3);
    EXPECT_EQ(c->palette(), (command::Palette{0xC0C0C0, 0xDFDFDF, 0xFFFFFF, 0x808080, 0, 0}));
    EXPECT_EQ(c->OfficeXpFillColor(), RGB(236, 233, 216));
    EXPECT_EQ(c->OfficeXpFrameColor(), RGB(172, 169, 154));
    EXPECT_EQ(c->OfficeXpMousemoveFillColor(), RGB(193, 210, 238));
    EXPECT_EQ(c->OfficeXpMousemoveFrameColor(), RGB(49, 105, 198));
    c->setColorScheme(1);
    EXPECT_EQ(c->palette(), (command::Palette{tk::GetSysColor(15), tk::GetSysColor(22), tk::GetSysColor(20),
                                              tk::GetSysColor(16), tk::GetSysColor(21), c->ForeColor()}));
}

TEST(CommandProperties, AccessKeyComesFromTheFirstSingleAmpersand)
{
    tk::Form form;
    auto c = newButton(form, 40, 20, 1);
    const std::pair<const char *, const char *> cases[] = {
        {"&Open", "o"}, {"A&&B", ""},  {"x&&y&z", "z"}, {"End&", ""},
        {"&", ""},      {"&&", ""},    {"Save &As", "a"}, {"a&&&b", "b"},
    };
    for (const auto &[caption, key] : cases) {
        c->setCaption(QString::fromUtf8(caption));
        EXPECT_EQ(c->AccessKeys(), QString::fromUtf8(key)) << caption;
    }
}

TEST(CommandSavedData, ShellButtonsLoadFromTheFormsSavedData)
{
    tk::Form form1, dialog;
    auto open = Command::fromSaved(&form1, kForm1Data, QStringLiteral("CommandOpenURL"));
    EXPECT_EQ(open->Caption(), QStringLiteral("打开网址"));
    EXPECT_EQ(open->ButtonType(), 5);
    EXPECT_EQ(open->ForeColor(), 0x808080);
    EXPECT_EQ(open->Font(), (tk::StdFont{QStringLiteral("宋体"), 9, false, false, 134}));
    EXPECT_EQ(open->Percent(), 53);
    EXPECT_EQ(open->MidColor(), 0xFFAB7C);
    EXPECT_EQ(open->EndColor(), 0xFFD3BF);
    EXPECT_EQ(open->MouseMoveMidColor(), 0xFFCB9D);
    EXPECT_EQ(open->MouseMoveEndColor(), 0xFFE7D1);
    EXPECT_EQ(open->MouseDownMidColor(), 0xFF9964);
    EXPECT_EQ(open->MouseDownEndColor(), 0xFFD3BF);
    EXPECT_EQ(open->OfficeXpFillColor(), 0xFFF1E1);
    EXPECT_EQ(open->OfficeXpFrameColor(), 0xFFE9D1);
    EXPECT_EQ(open->OfficeXpMousemoveFillColor(), 0xBADCDC); // not saved: default
    EXPECT_EQ(open->Container(), &form1);
    EXPECT_EQ(open->peer()->parentWidget(), form1.peer());
    EXPECT_EQ(QRectF(open->Left(), open->Top(), open->Width(), open->Height()), QRectF(1560, 75, 735, 255));
    EXPECT_EQ(open->W(), 49);
    EXPECT_EQ(open->H(), 17);
    // Style 5 normal: the Office-XP frame and fill.
    EXPECT_EQ(pixel(*open, 0, 0), 0xFFE9D1);
    EXPECT_EQ(pixel(*open, 1, 1), 0xFFF1E1);

    auto ok = Command::fromSaved(&dialog, kFormOpenUrlData, QStringLiteral("CommandOK"));
    EXPECT_EQ(ok->Caption(), QStringLiteral("打开"));
    EXPECT_EQ(ok->ForeColor(), tk::GetSysColor(18));
    EXPECT_EQ(ok->ButtonType(), 5);
    EXPECT_EQ(ok->OfficeXpFrameColor(), 0xFFE9D1);
    EXPECT_EQ(QRectF(ok->Left(), ok->Top(), ok->Width(), ok->Height()), QRectF(4080, 80, 615, 255));

    EXPECT_EQ(errorOf([&] { Command::fromSaved(&dialog, kFormOpenUrlData, QStringLiteral("Nope")); }), 53);
    EXPECT_EQ(errorOf([&] { Command::fromSaved(&dialog, QStringLiteral(":/skin/none.json"), QStringLiteral("CommandOK")); }), 53);
}

TEST(CommandSavedData, SavedKeysAreLowerCaseAndReadingThemBackGivesTheSameButton)
{
    tk::Form form;
    const QJsonObject data = tk::readFormData(kForm1Data);
    const QJsonObject saved = data.value(QStringLiteral("CommandOpenURL")).toObject();
    for (const QString &key : saved.keys())
        EXPECT_EQ(key, key.toLower());
    EXPECT_TRUE(saved.contains(QStringLiteral("_extentx")));
    EXPECT_TRUE(saved.contains(QStringLiteral("_extenty")));

    auto first = Command::fromSaved(&form, kForm1Data, QStringLiteral("CommandOpenURL"));
    // Saved again through the JSON form and loaded into a fresh instance.
    const QByteArray json = QJsonDocument(first->saved().toJson()).toJson();
    const tk::PropertyBag bag = tk::PropertyBag::fromJson(QJsonDocument::fromJson(json).object());
    Command second(&form, QStringLiteral("Other"));
    second.ReadProperties(bag);
    second.Move(first->Left(), first->Top(), first->Width(), first->Height());
    EXPECT_EQ(propertiesOf(second), propertiesOf(*first));
    EXPECT_EQ(second.surface().image(), first->surface().image());
}

TEST(CommandSavedData, EveryPropertyRoundTripsAndIsWrittenInItsOrder)
{
    tk::Form form;
    auto a = newButton(form, 60, 24, 3, QStringLiteral("&Go"));
    a->setBackColor(1);
    a->setForeColor(2);
    a->setEnabled(false);
    a->setFont(tk::StdFont{QStringLiteral("Courier New"), 10.5, true, true, 0});
    a->setXpType(3);
    a->setColorScheme(2);
    a->setShowFocusRect(false);
    a->setrectcolor(3);
    a->setPercent(77);
    a->setMidColor(4);
    a->setEndColor(5);
    a->setMouseMoveMidColor(6);
    a->setMouseMoveEndColor(7);
    a->setMouseDownMidColor(8);
    a->setMouseDownEndColor(9);
    a->setOfficeXpFillColor(10);
    a->setOfficeXpFrameColor(11);
    a->setOfficeXpMousemoveFillColor(12);
    a->setOfficeXpMousemoveFrameColor(13);
    tk::PropertyBag bag;
    a->WriteProperties(bag);
    EXPECT_EQ(bag.keys(),
              QStringList({"BackColor", "ForeColor", "Enabled", "Font", "ButtonType", "XpType", "Caption",
                           "ColorScheme", "ShowFocusRect", "rectcolor", "Percent", "MidColor", "EndColor",
                           "MouseMoveMidColor", "MouseMoveEndColor", "MouseDownMidColor", "MouseDownEndColor",
                           "OfficeXpFillColor", "OfficeXpFrameColor", "OfficeXpMousemoveFillColor",
                           "OfficeXpMousemoveFrameColor"}));
    Command b(&form, QStringLiteral("B"));
    b.ReadProperties(bag);
    EXPECT_EQ(propertiesOf(b), propertiesOf(*a));
    EXPECT_FALSE(b.peer()->isEnabled());
    EXPECT_EQ(b.surface().font(), a->Font());
    EXPECT_EQ(b.AccessKeys(), QStringLiteral("g"));
}

TEST(CommandSavedData, MissingKeysTakeTheLoadDefaultsAndSavedStyleFourColoursWin)
{
    tk::Form form;
    Command plain(&form, QStringLiteral("Command3"));
    plain.ReadProperties(tk::PropertyBag());
    EXPECT_EQ(plain.Caption(), QStringLiteral("wwbutton"));
    EXPECT_EQ(plain.Font(), tk::AmbientProperties().Font);

    Command blue(&form, QStringLiteral("Command4"));
    blue.ReadProperties(bagOf({{"buttontype", 4}, {"midcolor", 0x111111}, {"mousedownendcolor", 0x222222}}));
    EXPECT_EQ(blue.MidColor(), 0x111111);
    EXPECT_EQ(blue.MouseDownEndColor(), 0x222222);
    EXPECT_EQ(blue.EndColor(), 0xD7F6D7);  // the load default, not a preset
    EXPECT_EQ(blue.Percent(), 16);

    Command wrong(&form, QStringLiteral("Command5"));
    EXPECT_EQ(errorOf([&] { wrong.ReadProperties(bagOf({{"percent", QStringLiteral("half")}})); }), 13);
    EXPECT_EQ(errorOf([&] { wrong.ReadProperties(bagOf({{"percent", 40000}})); }), 6);
}
