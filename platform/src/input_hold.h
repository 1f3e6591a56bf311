#pragma once
// Not part of the layer's interface: the input a window receives while a command line
// runs.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

namespace platform::detail {

// While a line runs, input reaches neither the program's controls nor its shortcuts: it
// is held here and posted again, in order, afterwards. The way to quit stays open: the
// menu bar and its menus (so File > Quit can be chosen), the quit item's shortcut, and
// closing a window (not input). Input reaches the windows themselves, which pass it on to
// a widget; it is judged there, where its target is known.
//
// A hold of Span::Scope (one at a time, made by InputHoldScope) takes over what each
// line held instead of its being posted when the line ends. Between lines it holds
// what would otherwise overtake the input it keeps, unless a modal window is up (that
// takes its own input). Either hold posts everything when it goes, unless quit has been
// asked for: then nothing it kept is delivered.
class InputHold : public QObject {
public:
    enum class Span { Line, Scope };
    explicit InputHold(Span span = Span::Line);
    ~InputHold() override;
    bool eventFilter(QObject* receiver, QEvent* event) override;

    // Whether a hold of Span::Scope exists.
    static bool scopeOpen() { return scope_ != nullptr; }

private:
    using Held = std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>>;

    const Span span_;
    Held held_;
    static InputHold* scope_;
};

} // namespace platform::detail
