#include "FormOpenUrl.h"

#include "DialogLook.h"
#include "SavedButton.h"

#include "Forms.h"
#include "toolkit/TkError.h"

#include <QLineEdit>

using namespace tk;

namespace tavrin {

FormOpenUrl::FormOpenUrl() : Text1(this)
{
    setUpDialog(*this, QStringLiteral("打开网址"), QStringLiteral("OpenUrlBack"), 405);

    Text1.Move(80, 80, 3840, 270);
    styleTextBox(Text1, QStringLiteral("网址"));
    Text1.setText(QString());
    Text1.events.KeyDown = [this](int16_t &k, int16_t &s) { Text1_KeyDown(k, s); };

    CommandOK = savedButton(this, QStringLiteral("FormOpenUrl.buttons.json"), QStringLiteral("CommandOK"));
    CommandOK->events.Click = [this] { CommandOK_Click(); };
}

void FormOpenUrl::showAt(float top, float left)
{
    showWithKeyboard(*this, Text1, top, left);
}

void FormOpenUrl::CommandOK_Click()
{
    const Events heard = events;
    if (heard.Submit)
        heard.Submit(Text1.Text());
    // Destroyed once this handler has returned (the toolkit defers it).
    forms::FormOpenUrl.Unload();
    if (heard.Gone)
        heard.Gone();
}

// What an address box does with the two keys: Enter opens, Escape closes.
void FormOpenUrl::Text1_KeyDown(int16_t &KeyCode, int16_t &)
{
    answerKeys(
        KeyCode, [this] { CommandOK_Click(); },
        [this] {
            const std::function<void()> gone = events.Gone;
            forms::FormOpenUrl.Unload();
            if (gone)
                gone();
        });
}

} // namespace tavrin
