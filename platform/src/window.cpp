#include "platform/window.h"

#include "platform/exceptions.h"
#include "menu_view.h"
#include "runtime_private.h"
#include "window_widget.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>

namespace platform {

namespace {

// Controls by TabIndex; equal indexes keep their creation order.
std::vector<RectControl*> tabOrder(std::vector<RectControl*> controls)
{
    std::stable_sort(controls.begin(), controls.end(),
                     [](RectControl* a, RectControl* b) { return a->TabIndex() < b->TabIndex(); });
    return controls;
}

QWidget* firstInTabOrder(const std::vector<RectControl*>& controls)
{
    for (RectControl* c : tabOrder(controls)) {
        if (c->widget() && (c->widget()->focusPolicy() & Qt::TabFocus) && !c->widget()->isHidden() &&
            c->widget()->isEnabled())
            return c->widget();
    }
    return nullptr;
}
} // namespace

Window::Window(const ClassRecord* classRecord) : classRecord_(classRecord) {}

Window::~Window()
{
    detail::UnregisterOpenWindow(this);
    // The controls and the menus let go of their widgets before the Qt window takes them.
    controls_.clear();
    menuView_.reset();
}

detail::WindowWidget& Window::constructedWindow() const
{
    if (!qtWindow_)
        throw NilObjectException(QStringLiteral("the window has not been constructed"));
    return *qtWindow_;
}

void Window::Constructor()
{
    if (qtWindow_)
        throw RuntimeException(QStringLiteral("the window has been constructed already"));
    qtWindow_ = std::make_unique<detail::WindowWidget>();
    content_ = new QWidget(qtWindow_.get());
    content_->setObjectName(QStringLiteral("content"));
    qtWindow_->setCentralWidget(content_);
    qtWindow_->setContentSize(QSize(300, 300));
    detail::RegisterOpenWindow(this);
    if (menuBar_)
        SetMenuBar(menuBar_);

    // No catch here: during start-up an exception from these handlers must reach the
    // program's own catch-all.
    EventLayout();
    EventCreateControls();
    updateTabOrder();
    if (QWidget* first = firstInTabOrder(Controls()))
        first->setFocus(Qt::OtherFocusReason);
    EventOpen();
}

void Window::updateTabOrder()
{
    std::vector<QWidget*> chain;
    for (RectControl* c : tabOrder(Controls())) {
        if (c->widget() && c->acceptsFocus())
            chain.push_back(c->widget());
    }
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

RectControl* Window::AddControl(const QString& name, std::unique_ptr<RectControl> control)
{
    if (!control)
        throw NilObjectException(QStringLiteral("no control to add as %1").arg(name));
    control->name_ = name;
    if (control->widget_)
        control->widget_->setObjectName(name);
    controls_.push_back(std::move(control));
    return controls_.back().get();
}

RectControl* Window::ControlByName(const QString& name) const
{
    for (const auto& c : controls_) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

std::vector<RectControl*> Window::Controls() const
{
    std::vector<RectControl*> all;
    all.reserve(controls_.size());
    for (const auto& c : controls_)
        all.push_back(c.get());
    return all;
}

void Window::SetMenuBar(MenuBar* menuBar)
{
    menuBar_ = menuBar;
    detail::WindowWidget* w = qtWindow_.get();
    if (!w)
        return;
    const QSize content = w->contentSize();
    menuView_.reset();
    if (menuBar) {
        menuView_ = MenuView::build(w, *menuBar, w->menuBarShown());
    } else if (w->menuWidget()) {
        w->setMenuWidget(nullptr);
    }
    w->setContentSize(content);
}

void Window::UpdateNow()
{
    // Does the drawing that is pending, synchronously, and nothing else: no other event,
    // user input included, is delivered, and what is up to date is not drawn again.
    if (qtWindow_ && qtWindow_->isVisible())
        QCoreApplication::sendPostedEvents(qtWindow_.get(), QEvent::UpdateRequest);
}

bool Window::Visible() const { return qtWindow_ && qtWindow_->isVisible(); }

RectControl* RuntimeWindowControlByName(const Window* window, const QString& name)
{
    return window ? window->ControlByName(name) : nullptr;
}

} // namespace platform
