#include "FormFind.h"

#include "DialogLook.h"
#include "Forms.h"
#include "SavedButton.h"
#include "toolkit/Color.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TkError.h"

#include <QLineEdit>

using namespace tk;

namespace {
// The address dialog's colours and background: the same small form.
constexpr uint32_t kCountColor = 0x00734E33;
constexpr int16_t kKeyF3 = vbKeyF1 + 2;
// Where the count sits: between the text box and the button, centred.
constexpr float kCountLeft = 3120, kCountWidth = 960;
} // namespace

FormFind::FormFind() : Text1(this), LabelCount(this)
{
    dialogs::setUpDialog(*this, QStringLiteral("查找"), QStringLiteral("OpenUrlBack"), 405);

    Text1.Move(80, 80, 2960, 270);
    dialogs::styleTextBox(Text1, QStringLiteral("查找"));
    Text1.events.KeyDown = [this](int16_t &k, int16_t &s) { Text1_KeyDown(k, s); };
    QObject::connect(Text1.edit(), &QLineEdit::textChanged, Text1.edit(),
                     [this] { ignoreErrors([this] { Text1_Change(); }); });

    LabelCount.setFont(QFont(QStringLiteral("宋体"), 9));
    LabelCount.setForeColor(colorFromBGR(kCountColor));
    LabelCount.setAutoSize(true);
    LabelCount.Move(kCountLeft, 110);

    CommandNext = savedButton(this, QStringLiteral("FormFind.buttons.json"), QStringLiteral("CommandNext"));
    CommandNext->events.Click = [this] { CommandNext_Click(); };
}

void FormFind::showAt(float top, float left)
{
    dialogs::showWithKeyboard(*this, Text1, top, left);
    Text1.edit()->selectAll();
}

void FormFind::showResult(int activeMatch, int matches)
{
    LabelCount.setCaption(Text1.Text().isEmpty() ? QString()
                                                 : QStringLiteral("%1/%2").arg(activeMatch).arg(matches));
    LabelCount.setLeft(kCountLeft + (kCountWidth - LabelCount.Width()) / 2);
}

void FormFind::find(bool backward)
{
    raise(events.Find, Text1.Text(), backward);
}

void FormFind::CommandNext_Click()
{
    find(false);
}

// As it is typed: a new text starts again from the first match.
void FormFind::Text1_Change()
{
    if (Text1.Text().isEmpty())
        showResult(0, 0);
    find(false);
}

void FormFind::Text1_KeyDown(int16_t &KeyCode, int16_t &Shift)
{
    if (KeyCode == vbKeyReturn || KeyCode == kKeyF3) {
        KeyCode = 0;
        find((Shift & kShiftMask) != 0);
    } else if (KeyCode == vbKeyEscape) {
        KeyCode = 0;
        forms::FormFind.Unload();
    }
}

void FormFind::Form_Unload(int16_t &)
{
    const std::function<void()> gone = events.Gone;
    events = {};
    raise(gone);
}
