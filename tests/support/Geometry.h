#pragma once
// A control's place and size in twips as one line: "60 380 13425 8590".

#include "toolkit/Control.h"

#include <string>

inline std::string geometry(const tk::Control &c)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(c.Left())
        .arg(c.Top())
        .arg(c.Width())
        .arg(c.Height())
        .toStdString();
}
