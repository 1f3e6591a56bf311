#pragma once
// Input kept past the end of each command line, for work of several lines that must see
// the controls as they were when it began.
#include <memory>

namespace platform {

namespace detail {
class InputHold;
}

// While one is alive, the user input that Shell::Execute holds during a line is not
// delivered when the line ends: it is kept, input that arrives between lines waits
// behind it, and all of it is delivered in order when the outermost scope ends, by an
// exception too. A modal window opened in between (a message box) takes its own input
// as usual, and the ways to quit stay open as during a line. Once quit has been asked
// for, nothing kept is delivered. Scopes nest: only the outermost one keeps and
// delivers.
class InputHoldScope {
public:
    InputHoldScope();
    ~InputHoldScope();
    InputHoldScope(const InputHoldScope&) = delete;
    InputHoldScope& operator=(const InputHoldScope&) = delete;

private:
    std::unique_ptr<detail::InputHold> hold_;   // only in the outermost scope
};

} // namespace platform
