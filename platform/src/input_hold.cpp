#include "input_hold.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>

#include "platform/runtime.h"

#include <iterator>

namespace platform::detail {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

bool isQuitAction(const QAction* action) { return action && action->menuRole() == QAction::QuitRole; }

// An item whose choice neither quits nor only opens a submenu is not chosen while a line
// runs: the program is in the middle of something.
bool choosable(const QAction* action)
{
    return !action || action->menu() || action->isSeparator() || isQuitAction(action);
}

// What an open menu may do while a line runs: be looked through, closed, and quit from.
bool menuMay(const QMenu& menu, const QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return choosable(menu.actionAt(static_cast<const QMouseEvent&>(event).position().toPoint()));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        switch (static_cast<const QKeyEvent&>(event).key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Alt:
        case Qt::Key_Control:
        case Qt::Key_Shift:
        case Qt::Key_Meta:
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_Select:
            return choosable(menu.activeAction());
        default:
            return false;   // a letter would choose an item by its mnemonic
        }
    case QEvent::ContextMenu:
        return false;
    default:
        return true;
    }
}

bool inMenuBar(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QMenuBar*>(widget))
            return true;
        if (widget->isWindow())
            return false;
    }
    return false;
}

// What becomes of an input event while input is held.
enum class Verdict {
    Deliver,   // not input, or a way to quit
    Refuse,    // a menu choice that would do something other than quit
    Hold,
};

Verdict judge(QObject& receiver, const QEvent& event)
{
    const QEvent::Type type = event.type();
    // ShortcutOverride only asks whether the focused widget takes a key itself: without
    // the answer no shortcut, the quit item's included, could fire.
    if (!isUserInput(type) || type == QEvent::ShortcutOverride || receiver.isWindowType())
        return Verdict::Deliver;
    if (type == QEvent::Shortcut && isQuitAction(qobject_cast<QAction*>(&receiver)))
        return Verdict::Deliver;
    if (auto* widget = qobject_cast<QWidget*>(&receiver)) {
        if (auto* menu = qobject_cast<QMenu*>(widget))
            return menuMay(*menu, event) ? Verdict::Deliver : Verdict::Refuse;
        if (inMenuBar(widget))
            return Verdict::Deliver;
    }
    return Verdict::Hold;
}

} // namespace

InputHold* InputHold::scope_ = nullptr;

InputHold::InputHold(Span span) : span_(span)
{
    if (span_ == Span::Scope)
        scope_ = this;
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputHold::~InputHold()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    if (span_ == Span::Scope) {
        scope_ = nullptr;
    } else if (scope_) {
        std::move(held_.begin(), held_.end(), std::back_inserter(scope_->held_));
        return;
    }
    // The program winds down: what was kept goes unseen (a click kept during the line's
    // run would otherwise still be handled, and store the key).
    if (QuitRequested())
        return;
    for (auto& [receiver, event] : held_) {
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
    }
}

bool InputHold::eventFilter(QObject* receiver, QEvent* event)
{
    switch (judge(*receiver, *event)) {
    case Verdict::Deliver:
        return false;
    case Verdict::Refuse:
        // Dropped, not held, during a line; between lines the menus work as ever.
        return span_ == Span::Line;
    case Verdict::Hold:
        break;
    }
    // Between lines only what would overtake kept input waits; a modal window (a message
    // box) takes its own input.
    if (span_ == Span::Scope && (held_.empty() || QGuiApplication::modalWindow()))
        return false;
    held_.emplace_back(receiver, std::unique_ptr<QEvent>(event->clone()));
    return true;
}

} // namespace platform::detail
