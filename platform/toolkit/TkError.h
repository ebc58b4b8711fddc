#pragma once
// The toolkit's one error type: a classic error number and a short text.

#include <stdexcept>
#include <string>

namespace tk {

enum ErrorNumber : int {
    kSubscriptOutOfRange = 9,
    kElementNotLoaded = 340,  // control array element does not exist
    kAlreadyLoaded = 360,     // object already loaded
    kInvalidPropertyValue = 380,
    kReadOnlyAtRunTime = 382,
    kReadOnlyAtDesignTime = 387,
    kInvalidArgument = 5,
};

class TkError : public std::runtime_error {
public:
    explicit TkError(int number, const std::string &text = {})
        : std::runtime_error(text.empty() ? "toolkit error " + std::to_string(number) : text),
          m_number(number) {}
    int number() const noexcept { return m_number; }

private:
    int m_number;
};

// Runs one step "with errors ignored": a step whose toolkit or component call
// fails is skipped and the caller goes on. Returns whether the step completed.
template <class F>
bool ignoreErrors(F &&step) {
    try {
        step();
        return true;
    } catch (const TkError &) {
        return false;
    }
}

} // namespace tk
