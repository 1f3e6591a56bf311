#include "platform/canvas.h"

#include "canvas_widget.h"

namespace platform {

QWidget* Canvas::createWidget(QWidget* parent)
{
    auto* w = new detail::CanvasWidget(parent);
    w->backdrop = backdrop_;
    return w;
}

void Canvas::SetBackdrop(std::shared_ptr<Picture> picture)
{
    backdrop_ = std::move(picture);
    if (auto* w = static_cast<detail::CanvasWidget*>(widget())) {
        w->backdrop = backdrop_;
        w->update();
    }
}

} // namespace platform
