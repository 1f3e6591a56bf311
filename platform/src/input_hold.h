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
class InputHold : public QObject {
public:
    InputHold();
    ~InputHold() override;
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace platform::detail
