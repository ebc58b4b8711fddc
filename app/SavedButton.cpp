#include "SavedButton.h"

#include "Skin.h"
#include "toolkit/Screen.h"
#include "toolkit/TkError.h"

#include <QFileInfo>

namespace tavrin {

std::unique_ptr<command::Command> savedButton(tk::Control *form, const QString &fileName, const QString &name)
{
    const QString beside = tk::appPath() + QLatin1Char('/') + fileName;
    for (const QString &source : {beside, skin::resource(fileName)}) {
        if (source == beside && !QFileInfo::exists(beside))
            continue;
        try {
            return command::Command::fromSaved(form, source, name);
        } catch (const tk::TkError &) {
            // Unreadable or out of range: the next source.
        }
    }
    return std::make_unique<command::Command>(form, name);
}

} // namespace tavrin
