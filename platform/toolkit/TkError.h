#pragma once
// The toolkit's one error type: a classic error number and a short text.

#include <stdexcept>
#include <string>

namespace tk {

// Every error number raised anywhere in the program: the toolkit's, the
// controls' and the browser component's, the classic values throughout.
enum ErrorNumber : int {
    kInvalidArgument = 5, // invalid procedure call or argument
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kTypeMismatch = 13,
    kFileNotFound = 53,
    kElementNotLoaded = 340, // control array element does not exist
    kAlreadyLoaded = 360,    // object already loaded
    kInvalidPropertyValue = 380,
    kReadOnlyAtRunTime = 382,
    kReadOnlyAtDesignTime = 387,
    // The browser component's own failure (history exhausted and the like):
    // the classic component's "unspecified error".
    kComponentError = -2147467259,
};

class TkError : public std::runtime_error {
public:
    explicit TkError(int number, const std::string &text = {})
        : std::runtime_error(text.empty() ? "toolkit error " + std::to_string(number) : text),
          m_number(number)
    {
    }
    int number() const noexcept { return m_number; }

private:
    int m_number;
};

// Runs steps "with errors ignored", in order: a step whose toolkit or
// component call fails is skipped alone and the next one still runs. Returns
// whether every step completed.
template <class... Steps>
requires(sizeof...(Steps) > 0) bool ignoreErrors(Steps &&...steps)
{
    const auto completes = [](auto &step) {
        try {
            step();
            return true;
        } catch (const TkError &) {
            return false;
        }
    };
    bool all = true;
    ((all = completes(steps) && all), ...);
    return all;
}

} // namespace tk
