#pragma once
// A form's button as its saved data describes it. The data beside the
// program is read first, then the copy built into it; a button neither
// describes is made with its defaults. A form always gets its button.

#include "Command.h"

#include <QString>

#include <memory>

namespace tavrin {

std::unique_ptr<command::Command> savedButton(tk::Control *form, const QString &fileName,
                                              const QString &name);

} // namespace tavrin
