#pragma once
// The error number a call fails with, or 0 when it returns normally.

#include "toolkit/TkError.h"

#include <functional>

inline int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const tk::TkError &e) {
        return e.number();
    }
    return 0;
}
