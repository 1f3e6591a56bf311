#include "platform/rect_control.h"

#include "platform/exceptions.h"
#include "platform/window.h"

#include <QWidget>

namespace platform {

RectControl::RectControl(Window* window) : window_(window) {}

// The widget is its window content's: it goes with the window.
RectControl::~RectControl() = default;

void RectControl::Constructor()
{
    if (!window_ || !window_->content())
        throw NilObjectException(QStringLiteral("a control needs a constructed window"));
    if (widget_)
        return;
    widget_ = createWidget(window_->content());
    if (!acceptsFocus())
        widget_->setFocusPolicy(Qt::NoFocus);
    if (!name_.isEmpty())
        widget_->setObjectName(name_);
    // A child added to a window already on screen stays hidden unless shown.
    widget_->setVisible(visible_);
}

QWidget* RectControl::widget() const { return widget_; }

QWidget& RectControl::constructedWidget(const char* what) const
{
    if (!widget_)
        throw NilObjectException(QStringLiteral("the %1 has not been constructed").arg(QLatin1String(what)));
    return *widget_;
}

bool RectControl::Enabled() const { return widget_ ? widget_->isEnabled() : true; }

void RectControl::Refresh()
{
    if (widget_)
        widget_->repaint();
}

} // namespace platform
